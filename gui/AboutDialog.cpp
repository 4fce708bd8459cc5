#include "gui/AboutDialog.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "base/ProductInfo.h"
#include "gui/DialogFont.h"
#include "gui/WindowPlacement.h"

namespace morvatex {
namespace {

const QColor kDarkBlue(0, 0, 123);
const QColor kDarkRed(123, 0, 0);

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

const char* const kNotes[] = {
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
void StyleAsLink(QLabel* label) {
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kDarkRed);
  label->setPalette(palette);
  label->setCursor(Qt::PointingHandCursor);
  label->setTextFormat(Qt::PlainText);
}

QWidget* MakeBar(const char* name, int y, QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setAutoFillBackground(true);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, kDarkBlue);
  bar->setPalette(palette);
  bar->setGeometry(33, y, 489, 9);
  return bar;
}

// The program's picture: a white "M" on the dark blue panel, 32 x 32.
QPixmap ProgramPicture() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 4));
  painter.drawPolyline(QPolygon({QPoint(4, 28), QPoint(4, 4), QPoint(16, 18), QPoint(28, 4), QPoint(28, 28)}));
  return pixmap;
}

// The notes were written line by line for the classic dialog font; in a
// wider face a line would wrap mid-sentence. Half a point at a time, the
// view's font shrinks until its longest line fits (6 points at the least).
void FitLinesToWidth(QPlainTextEdit* view, const QStringList& lines) {
  const int available = view->width() - 2 * view->frameWidth() - view->verticalScrollBar()->sizeHint().width() -
                        2 * static_cast<int>(std::ceil(view->document()->documentMargin()));
  QFont font = view->font();
  for (qreal size = font.pointSizeF(); size >= 6; size -= 0.5) {
    font.setPointSizeF(size);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line.trimmed()));
    if (widest <= available) break;
  }
  view->setFont(font);
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent),
      versionLabel_(Label("versionLabel", 20, this)),
      dateLabel_(Label("dateLabel", 44, this)),
      authorLabel_(Label("authorLabel", 80, this)),
      authorMailLabel_(Label("authorMailLabel", 104, this)),
      authorHomeLabel_(Label("authorHomeLabel", 128, this)),
      notesView_(new QPlainTextEdit(this)),
      closeButton_(new QPushButton(QStringLiteral("Weiter"), this)) {
  setObjectName(QStringLiteral("aboutDialog"));
  setWindowTitle(QStringLiteral("Info"));
  setModal(true);
  setFixedSize(556, 464);
  setFont(DialogFont(font()));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(255, 251, 240));
  setPalette(palette);

  auto* iconPanel = new QLabel(this);
  iconPanel->setObjectName(QStringLiteral("iconPanel"));
  iconPanel->setGeometry(16, 16, 65, 65);
  iconPanel->setAutoFillBackground(true);
  QPalette panelPalette = iconPanel->palette();
  panelPalette.setColor(QPalette::Window, kDarkBlue);
  iconPanel->setPalette(panelPalette);
  iconPanel->setAlignment(Qt::AlignCenter);
  iconPanel->setPixmap(ProgramPicture());

  QFont big = versionLabel_->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  versionLabel_->setFont(big);
  versionLabel_->setFixedHeight(24);
  StyleAsLink(authorMailLabel_);
  StyleAsLink(authorHomeLabel_);
  authorMailLabel_->installEventFilter(this);
  authorHomeLabel_->installEventFilter(this);

  notesView_->setObjectName(QStringLiteral("notesView"));
  notesView_->setReadOnly(true);
  notesView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long lines wrap
  notesView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  notesView_->setGeometry(33, 168, 489, 145);
  QStringList lines;
  for (const char* line : kNotes) lines << QString::fromUtf8(line);
  notesView_->setPlainText(lines.join(QLatin1Char('\n')));
  FitLinesToWidth(notesView_, lines);

  MakeBar("upperBar", 325, this);
  MakeBar("lowerBar", 380, this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  closeButton_->setGeometry(440, 420, 82, 27);
  // Esc closes through QDialog's reject, the same as "Weiter".
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
  ScrollWhenTooLarge(*this);
  CentreOnScreen(*this);
  KeepOnScreen(*this);
}

void AboutDialog::SetLabelTexts() {
  versionLabel_->setText(Latin1(kProductName) + QStringLiteral(" Ver.: ") + Latin1(kVersionText));
  dateLabel_->setText(QStringLiteral("31.01.2008 - 01.05.2020"));
  authorLabel_->setText(QStringLiteral("Autor: ") + Latin1(kAuthorName));
  authorMailLabel_->setText(Latin1(kAuthorEMail));
  authorHomeLabel_->setText(Latin1(kProductWebPage));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == authorMailLabel_) OpenAuthorMail();
    if (watched == authorHomeLabel_) OpenAuthorHome();
  }
  return QDialog::eventFilter(watched, event);
}

void AboutDialog::OpenAuthorMail() {
  // The result is not examined: without a mail program nothing happens.
  QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + Latin1(kAuthorEMail)));
}

void AboutDialog::OpenAuthorHome() { QDesktopServices::openUrl(QUrl(Latin1(kProductWebPage))); }

}  // namespace morvatex
