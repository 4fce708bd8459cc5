// The about window `FormInfo`: version, dates, author, mail and web links,
// and the notes on scope and liability.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace morvatex {

class TFormInfo final : public QDialog {
  Q_OBJECT

 public:
  explicit TFormInfo(QWidget* parent = nullptr);

  // Writes the texts of the labels: version, dates, author, mail address and
  // web page. The main window calls it when it is first shown.
  void BeschriftungenSetzen();

  QLabel* LabelVersion() const { return labelVersion_; }
  QLabel* LabelDatum() const { return labelDatum_; }
  QLabel* LabelAutor() const { return labelAutor_; }
  QLabel* LabelAutorEMail() const { return labelAutorEMail_; }
  QLabel* LabelAutorHome() const { return labelAutorHome_; }
  QPlainTextEdit* Memo1() const { return memo1_; }
  QPushButton* Button1() const { return button1_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Open a new mail to the author and the product's web page through the
  // desktop's default handlers; nothing is reported when there is none.
  void LabelAutorEMailClick();
  void LabelAutorHomeClick();

  QLabel* labelVersion_;
  QLabel* labelDatum_;
  QLabel* labelAutor_;
  QLabel* labelAutorEMail_;
  QLabel* labelAutorHome_;
  QPlainTextEdit* memo1_;
  QPushButton* button1_;
};

}  // namespace morvatex
