#include "gui/BatchProgress.h"

#include <QStatusBar>

namespace morvatex {
namespace {

constexpr int kBarEnd = 1000;
// Ten pictures a second are enough to follow a run, and few enough that
// painting them does not slow a batch of small files.
constexpr qint64 kShowIntervalMs = 100;

}  // namespace

BatchProgress::BatchProgress(QStatusBar* statusBar) : QProgressBar(statusBar) {
  setObjectName(QStringLiteral("batchProgress"));
  setRange(0, kBarEnd);
  statusBar->addWidget(this, 1);
  statusBar->setSizeGripEnabled(false);
  statusBar->setFixedHeight(qMax(statusBar->sizeHint().height(), sizeHint().height() + 4));
  Finish();
}

void BatchProgress::Begin(int markedRows) {
  Finish();
  markedRows_ = markedRows;
}

void BatchProgress::NextFile() { ++fileNumber_; }

void BatchProgress::ShowLines(const ConversionProgress& progress) {
  if (switchedOff_ || !progress.inPass || progress.lines == 0) return;
  if (sinceShown_.isValid() && sinceShown_.elapsed() < kShowIntervalMs) return;
  sinceShown_.start();
  if (shownFileNumber_ != fileNumber_) {
    shownFileNumber_ = fileNumber_;
    setFormat(QStringLiteral("Datei %1 von %2: %p %").arg(fileNumber_).arg(markedRows_));
  }
  const std::size_t done = (progress.pass == Pass::kWriting ? progress.lines : 0) + progress.line;
  setValue(static_cast<int>(kBarEnd * done / (2 * progress.lines)));
  if (isHidden()) show();
}

void BatchProgress::Finish() {
  hide();
  markedRows_ = 0;
  fileNumber_ = 0;
  shownFileNumber_ = 0;
  reset();
  sinceShown_.invalidate();
}

}  // namespace morvatex
