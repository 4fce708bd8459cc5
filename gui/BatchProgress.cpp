#include "gui/BatchProgress.h"

#include <QStatusBar>

namespace morvatex {
namespace {

constexpr int kBalkenEnde = 1000;
// Ten pictures a second are enough to follow a run, and few enough that
// painting them does not slow a batch of small files.
constexpr qint64 kAnzeigeAbstandMs = 100;

}  // namespace

BatchFortschritt::BatchFortschritt(QStatusBar* statusBar) : QProgressBar(statusBar) {
  setObjectName(QStringLiteral("Fortschritt"));
  setRange(0, kBalkenEnde);
  statusBar->addWidget(this, 1);
  statusBar->setSizeGripEnabled(false);
  statusBar->setFixedHeight(qMax(statusBar->sizeHint().height(), sizeHint().height() + 4));
  Beenden();
}

void BatchFortschritt::Beginnen(int markierte) {
  Beenden();
  markierte_ = markierte;
}

void BatchFortschritt::NaechsteDatei() { ++dateiNummer_; }

void BatchFortschritt::Zeilen(const ConversionProgress& stand) {
  if (abgeschaltet_ || !stand.inPass || stand.lines == 0) return;
  if (seitAnzeige_.isValid() && seitAnzeige_.elapsed() < kAnzeigeAbstandMs) return;
  seitAnzeige_.start();
  if (gezeigteNummer_ != dateiNummer_) {
    gezeigteNummer_ = dateiNummer_;
    setFormat(QStringLiteral("Datei %1 von %2: %p %").arg(dateiNummer_).arg(markierte_));
  }
  const std::size_t done = (stand.pass == Pass::kWriting ? stand.lines : 0) + stand.line;
  setValue(static_cast<int>(kBalkenEnde * done / (2 * stand.lines)));
  if (isHidden()) show();
}

void BatchFortschritt::Beenden() {
  hide();
  markierte_ = 0;
  dateiNummer_ = 0;
  gezeigteNummer_ = 0;
  reset();
  seitAnzeige_.invalidate();
}

}  // namespace morvatex
