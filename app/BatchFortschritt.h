// The progress of a batch run in the main window's status bar: which file is
// in hand ("Datei n von m") and how far its source lines have got, as a bar
// over both passes (the measuring pass fills the first half, the writing
// pass the second). Shown only while a batch runs.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "engine/UnitConvertFile.h"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace morvatex {

class BatchFortschritt final : public QWidget {
  Q_OBJECT

 public:
  // Puts itself, hidden, into `statusBar` and fixes the bar's height to what
  // it needs when shown, so the window's layout does not move when a run
  // begins or ends.
  explicit BatchFortschritt(QStatusBar* statusBar);

  // A batch over `markierte` marked rows begins; nothing shows yet.
  void Beginnen(int markierte);
  // The next marked row begins: "Datei n von m" with n one more than before.
  void NaechsteDatei();
  // The file in hand stands at `stand`. Painting costs far more than a
  // conversion step (a batch of small files starts hundreds of files a
  // second), so the display follows at most every 40 ms; the first call of
  // a run always shows.
  void Zeilen(const ConversionProgress& stand);
  // The run is over: hidden, and reset for the next one.
  void Beenden();

  // Off, the display stays hidden and ignores every call; for timing a run
  // without it.
  void SetzeAbgeschaltet(bool off) { abgeschaltet_ = off; }

  QLabel* Datei() const { return datei_; }
  QProgressBar* Balken() const { return balken_; }

 private:
  QLabel* datei_ = nullptr;
  QProgressBar* balken_ = nullptr;
  int markierte_ = 0;
  int dateiNummer_ = 0;
  bool abgeschaltet_ = false;
  QElapsedTimer seitAnzeige_;
};

}  // namespace morvatex
