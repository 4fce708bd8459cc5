#include "app/BatchFortschritt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace morvatex {
namespace {

constexpr int kBalkenEnde = 1000;
// Enough for a person to follow, little enough to cost nothing.
constexpr qint64 kAnzeigeAbstandMs = 40;

}  // namespace

BatchFortschritt::BatchFortschritt(QStatusBar* statusBar) : QWidget(statusBar) {
  setObjectName(QStringLiteral("Fortschritt"));
  datei_ = new QLabel(this);
  datei_->setObjectName(QStringLiteral("FortschrittDatei"));
  // Wide enough for large batches, so the bar does not move as n grows.
  datei_->setText(QStringLiteral("Datei 99999 von 99999"));
  datei_->setMinimumWidth(datei_->sizeHint().width());
  balken_ = new QProgressBar(this);
  balken_->setObjectName(QStringLiteral("FortschrittBalken"));
  balken_->setRange(0, kBalkenEnde);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 0);
  layout->addWidget(datei_);
  layout->addWidget(balken_, 1);
  statusBar->addWidget(this, 1);
  statusBar->setSizeGripEnabled(false);
  statusBar->setFixedHeight(qMax(statusBar->sizeHint().height(), sizeHint().height() + 2));
  Beenden();
}

void BatchFortschritt::Beginnen(int markierte) {
  Beenden();
  markierte_ = markierte;
}

void BatchFortschritt::NaechsteDatei() { ++dateiNummer_; }

void BatchFortschritt::Zeilen(const ConversionProgress& stand) {
  if (abgeschaltet_ || !stand.inPass || stand.lines == 0) return;
  const std::size_t done = (stand.pass == Pass::kWriting ? stand.lines : 0) + stand.line;
  if (seitAnzeige_.isValid() && seitAnzeige_.elapsed() < kAnzeigeAbstandMs) return;
  seitAnzeige_.start();
  datei_->setText(QStringLiteral("Datei %1 von %2").arg(dateiNummer_).arg(markierte_));
  balken_->setValue(static_cast<int>(kBalkenEnde * done / (2 * stand.lines)));
  if (isHidden()) show();
}

void BatchFortschritt::Beenden() {
  hide();
  markierte_ = 0;
  dateiNummer_ = 0;
  balken_->reset();
  seitAnzeige_.invalidate();
}

}  // namespace morvatex
