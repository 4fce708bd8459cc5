#include "gui/HelpWindow.h"
#include "gui/DialogFont.h"
#include "gui/WindowPlacement.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvatex {

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent), textView_(new QPlainTextEdit(this)), okButton_(new QPushButton(QStringLiteral("OK"), this)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QStringLiteral("Hilfe"));
  setModal(true);
  setFont(DialogFont(font()));
  setFixedSize(559, 329);

  textView_->setObjectName(QStringLiteral("textView"));
  textView_->setReadOnly(true);
  textView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long lines wrap
  textView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = textView_->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  textView_->setPalette(palette);
  okButton_->setObjectName(QStringLiteral("okButton"));

  auto* buttonPanel = new QWidget(this);
  buttonPanel->setObjectName(QStringLiteral("buttonPanel"));
  buttonPanel->setFixedHeight(39);
  auto* buttons = new QHBoxLayout(buttonPanel);
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(textView_);
  layout->addWidget(buttonPanel);

  // Esc closes through QDialog's reject, the same as "OK".
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  ScrollWhenTooLarge(*this);
  KeepOnScreen(*this);
}

void HelpWindow::ShowText(const QString& text) {
  textView_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  CentreOnScreen(*this);
  okButton_->setFocus();
  exec();
}

}  // namespace morvatex
