// The help window `HelpWindow`: a read-only text that its caller fills before
// showing it, and "OK".
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace morvatex {

class HelpWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Puts `text` (lines separated by CR LF) into TextView and shows the window
  // modally; returns when it is closed by "OK", Esc or the close box.
  void ShowText(const QString& text);

  QPlainTextEdit* TextView() const { return textView_; }
  QPushButton* OkButton() const { return okButton_; }

 private:
  QPlainTextEdit* textView_;
  QPushButton* okButton_;
};

}  // namespace morvatex
