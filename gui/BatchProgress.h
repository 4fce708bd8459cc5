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

class BatchProgress final : public QProgressBar {
  Q_OBJECT

 public:
  // Puts itself, hidden, into `statusBar` and fixes the status bar's height
  // to what it needs when shown, so the window's layout does not move when a
  // run begins or ends.
  explicit BatchProgress(QStatusBar* statusBar);

  // A batch over `markedRows` marked rows begins; nothing shows yet.
  void Begin(int markedRows);
  // The next marked row begins: it is file n + 1 of the run.
  void NextFile();
  // The file in hand stands at `progress`. Painting costs far more than a
  // conversion step (a batch of small files starts hundreds of files a
  // second), so the display follows at most every 100 ms; the first call of
  // a run always shows.
  void ShowLines(const ConversionProgress& progress);
  // The run is over: hidden, and reset for the next one.
  void Finish();

  // Off, the display stays hidden and ignores every call; for timing a run
  // without it.
  void SetSwitchedOff(bool off) { switchedOff_ = off; }

 private:
  int markedRows_ = 0;
  int fileNumber_ = 0;
  int shownFileNumber_ = 0;  // the file number the bar's text names
  bool switchedOff_ = false;
  QElapsedTimer sinceShown_;
};

}  // namespace morvatex
