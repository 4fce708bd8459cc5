// The about window `AboutDialog`: version, dates, author, mail and web links,
// and the notes on scope and liability.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace morvatex {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // Writes the texts of the labels: version, dates, author, mail address and
  // web page. The main window calls it when it is first shown.
  void SetLabelTexts();

  QLabel* VersionLabel() const { return versionLabel_; }
  QLabel* DateLabel() const { return dateLabel_; }
  QLabel* AuthorLabel() const { return authorLabel_; }
  QLabel* AuthorMailLabel() const { return authorMailLabel_; }
  QLabel* AuthorHomeLabel() const { return authorHomeLabel_; }
  QPlainTextEdit* NotesView() const { return notesView_; }
  QPushButton* CloseButton() const { return closeButton_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Open a new mail to the author and the product's web page through the
  // desktop's default handlers; nothing is reported when there is none.
  void OpenAuthorMail();
  void OpenAuthorHome();

  QLabel* versionLabel_;
  QLabel* dateLabel_;
  QLabel* authorLabel_;
  QLabel* authorMailLabel_;
  QLabel* authorHomeLabel_;
  QPlainTextEdit* notesView_;
  QPushButton* closeButton_;
};

}  // namespace morvatex
