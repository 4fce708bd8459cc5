// The help window `Form2`: a read-only text that its caller fills before
// showing it, and "OK".
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace morvatex {

class TForm2 final : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Puts `text` (lines separated by CR LF) into Memo1 and shows the window
  // modally; returns when it is closed by "OK", Esc or the close box.
  void Zeige(const QString& text);

  QPlainTextEdit* Memo1() const { return memo1_; }
  QPushButton* Button1() const { return button1_; }

 private:
  QPlainTextEdit* memo1_;
  QPushButton* button1_;
};

}  // namespace morvatex
