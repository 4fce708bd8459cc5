#include "gui/HelpWindow.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace morvatex {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent), memo1_(new QPlainTextEdit(this)), button1_(new QPushButton(QStringLiteral("OK"), this)) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Hilfe"));
  setModal(true);
  QFont dialogFont = font();
  dialogFont.setPointSize(8);
  setFont(dialogFont);
  setFixedSize(559, 329);

  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setReadOnly(true);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long lines wrap
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = memo1_->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  memo1_->setPalette(palette);
  button1_->setObjectName(QStringLiteral("Button1"));

  auto* panel1 = new QWidget(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(39);
  auto* buttons = new QHBoxLayout(panel1);
  buttons->addStretch();
  buttons->addWidget(button1_);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(memo1_);
  layout->addWidget(panel1);

  // Esc closes through QDialog's reject, the same as "OK".
  connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm2::Zeige(const QString& text) {
  memo1_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  if (QScreen* desktop = screen()) move(desktop->availableGeometry().center() - rect().center());
  button1_->setFocus();
  exec();
}

}  // namespace morvatex
