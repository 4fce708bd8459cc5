// The progress of a batch run in the main window's status bar: one bar that
// names the file in hand ("Datei n von m") and fills as its source lines go
// by, over both passes (the measuring pass fills the first half, the
// writing pass the second). Shown only while a batch runs.
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

#include "engine/ConversionRun.h"

class QStatusBar;

namespace morvatex {

class BatchFortschritt final : public QProgressBar {
  Q_OBJECT

 public:
  // Puts itself, hidden, into `statusBar` and fixes the status bar's height
  // to what it needs when shown, so the window's layout does not move when a
  // run begins or ends.
  explicit BatchFortschritt(QStatusBar* statusBar);

  // A batch over `markierte` marked rows begins; nothing shows yet.
  void Beginnen(int markierte);
  // The next marked row begins: it is file n + 1 of the run.
  void NaechsteDatei();
  // The file in hand stands at `stand`. Painting costs far more than a
  // conversion step (a batch of small files starts hundreds of files a
  // second), so the display follows at most every 100 ms; the first call of
  // a run always shows.
  void Zeilen(const ConversionProgress& stand);
  // The run is over: hidden, and reset for the next one.
  void Beenden();

  // Off, the display stays hidden and ignores every call; for timing a run
  // without it.
  void SetzeAbgeschaltet(bool off) { abgeschaltet_ = off; }

 private:
  int markierte_ = 0;
  int dateiNummer_ = 0;
  int gezeigteNummer_ = 0;  // the file number the bar's text names
  bool abgeschaltet_ = false;
  QElapsedTimer seitAnzeige_;
};

}  // namespace morvatex
