#include "gui/AboutDialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "base/ProductInfo.h"

namespace morvatex {
namespace {

const QColor kDunkelblau(0, 0, 123);
const QColor kDunkelrot(123, 0, 0);

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

const char* const kHinweise[] = {
    "Es wird nicht garantiert, daß morvatex den kompletten Isel- Befehlssatz interpretiert und in",
    "entsprechende DIN-Code-Befehle konvertiert.",
    "Sollten Erweiterungen notwendig sein und diese in das Konzept von Morvatex passen, so ist der ",
    "Autor bestrebt, diese nachträglich einzubauen.",
    "Morvatex verwendet als Maßeinheit Millimeter. Eine Umwandlung von z.B. Inch in Millimeter erfolgt ",
    "NICHT!",
    "",
    "HAFTUNG FÜR SCHÄDEN",
    "Der Anwender ist verpflichtet CNC-Programme vor dem Gebrauch unter erhöten ",
    "Sicherheitsvorkehrungen und mit hoher Sorgfalt einzufahren.",
    "Der Autor dieses Programmes lehnt jegliche Haftung für Schäden an Maschinen, ",
    "verschnittenen Werkstücken und ähnlichem grundsätzlich ab.",
};

QLabel* Label(const char* name, int y, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignCenter);
  label->setGeometry(90, y, 376, 20);
  return label;
}

// A link label: underlined, dark red, with a hand cursor.
void AlsLink(QLabel* label) {
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kDunkelrot);
  label->setPalette(palette);
  label->setCursor(Qt::PointingHandCursor);
  label->setTextFormat(Qt::PlainText);
}

QWidget* Balken(const char* name, int y, QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setAutoFillBackground(true);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, kDunkelblau);
  bar->setPalette(palette);
  bar->setGeometry(33, y, 489, 9);
  return bar;
}

// The program's picture: a white "M" on the dark blue panel, 32 x 32.
QPixmap Programmbild() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 4));
  painter.drawPolyline(QPolygon({QPoint(4, 28), QPoint(4, 4), QPoint(16, 18), QPoint(28, 4), QPoint(28, 28)}));
  return pixmap;
}

}  // namespace

TFormInfo::TFormInfo(QWidget* parent)
    : QDialog(parent),
      labelVersion_(Label("LabelVersion", 20, this)),
      labelDatum_(Label("LabelDatum", 44, this)),
      labelAutor_(Label("LabelAutor", 80, this)),
      labelAutorEMail_(Label("LabelAutorEMail", 104, this)),
      labelAutorHome_(Label("LabelAutorHome", 128, this)),
      memo1_(new QPlainTextEdit(this)),
      button1_(new QPushButton(QStringLiteral("Weiter"), this)) {
  setObjectName(QStringLiteral("FormInfo"));
  setWindowTitle(QStringLiteral("Info"));
  setModal(true);
  setFixedSize(556, 464);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(255, 251, 240));
  setPalette(palette);

  auto* panel1 = new QLabel(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setGeometry(16, 16, 65, 65);
  panel1->setAutoFillBackground(true);
  QPalette panelPalette = panel1->palette();
  panelPalette.setColor(QPalette::Window, kDunkelblau);
  panel1->setPalette(panelPalette);
  panel1->setAlignment(Qt::AlignCenter);
  panel1->setPixmap(Programmbild());

  QFont big = labelVersion_->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  labelVersion_->setFont(big);
  labelVersion_->setFixedHeight(24);
  AlsLink(labelAutorEMail_);
  AlsLink(labelAutorHome_);
  labelAutorEMail_->installEventFilter(this);
  labelAutorHome_->installEventFilter(this);

  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setReadOnly(true);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long lines wrap
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1_->setGeometry(33, 168, 489, 145);
  QStringList lines;
  for (const char* line : kHinweise) lines << QString::fromUtf8(line);
  memo1_->setPlainText(lines.join(QLatin1Char('\n')));

  Balken("Panel3", 325, this);
  Balken("Panel2", 380, this);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(440, 420, 82, 27);
  // Esc closes through QDialog's reject, the same as "Weiter".
  connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
  if (QScreen* desktop = screen()) move(desktop->availableGeometry().center() - rect().center());
}

void TFormInfo::BeschriftungenSetzen() {
  labelVersion_->setText(Latin1(kProductName) + QStringLiteral(" Ver.: ") + Latin1(kVersionText));
  labelDatum_->setText(QStringLiteral("31.01.2008 - 01.05.2020"));
  labelAutor_->setText(QStringLiteral("Autor: ") + Latin1(kAuthorName));
  labelAutorEMail_->setText(Latin1(kAuthorEMail));
  labelAutorHome_->setText(Latin1(kProductWebPage));
}

bool TFormInfo::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == labelAutorEMail_) LabelAutorEMailClick();
    if (watched == labelAutorHome_) LabelAutorHomeClick();
  }
  return QDialog::eventFilter(watched, event);
}

void TFormInfo::LabelAutorEMailClick() {
  // The result is not examined: without a mail program nothing happens.
  QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + Latin1(kAuthorEMail)));
}

void TFormInfo::LabelAutorHomeClick() { QDesktopServices::openUrl(QUrl(Latin1(kProductWebPage))); }

}  // namespace morvatex
