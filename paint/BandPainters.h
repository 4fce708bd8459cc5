// Draws the batches of a picture into horizontal bands of its image at
// once, one thread each.
#pragma once

#include <QPen>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/ThreadStarter.h"
#include "paint/Batch.h"

class QPainter;

namespace morvatex {

// Draws batches into horizontal bands of the painter's image at once, one
// thread each. A band's painter has the same transform as the painter and
// a clip that keeps it in its rows, so every band holds exactly the pixels
// one painter would draw there: drawing order within a band is kept, and
// strokes are rasterised the same however they are clipped. (The dashed
// rapid moves stay with the painter itself: they take little time, and a
// dash pattern that a clip shifted would show at every band edge.) Where
// rows of the picture are rows of the image, the feed moves' strokes go
// to a StrokeRasterizer of the band's own, even with a single band, so
// that the picture is the same for any number.
//
// The batches queue up and each band works through them at its own pace,
// so that a band held up by other work on the machine does not hold up
// the others at every batch.
class BandPainters {
 public:
  // No bands (Draw uses `painter` alone) when `bands` is 0, or unless the
  // painter draws into an image with Qt's raster engine and either `bands`
  // is more than one or a StrokeRasterizer can draw into that image. Each
  // band's thread comes from `startThread`; where the system gives fewer,
  // the rows are shared among the threads there are, and without any the
  // calling thread draws one band itself in Draw: the same picture.
  BandPainters(QPainter& painter, const QRectF& area, int bands, const ThreadStarter& startThread = StartThread);
  BandPainters(const BandPainters&) = delete;
  BandPainters& operator=(const BandPainters&) = delete;
  // Batches not drawn by now are dropped: the picture was given up.
  ~BandPainters();

  // Draws `batch` with `pens` (which must outlive Finish), taking its
  // contents; the bands may draw it later.
  void Draw(Batch& batch, const std::vector<QPen>& pens);

  // Moves the band edges, before the first batch, so that each band gets
  // about as much to draw: `visit(add)` calls add(point, work) for points
  // in the painter's coordinates. The edges stay: each row is drawn by one
  // thread, in order.
  template <typename Visit>
  void Balance(Visit visit) {
    if (!balance_ || !jobs_.empty() || first_ > 0) return;
    std::vector<double> work(static_cast<std::size_t>(rows_));
    double total = 0;
    visit([&](QPointF at, double weight) {
      const double y = toDevice_.map(at).y();
      const auto row = static_cast<std::size_t>(std::clamp(y, 0.0, static_cast<double>(rows_ - 1)));
      work[row] += weight;
      total += weight;
    });
    if (total <= 0) return;
    const std::size_t bands = bands_.size();
    std::size_t row = 0;
    double sum = 0;
    int top = 0;
    for (std::size_t b = 0; b < bands; ++b) {
      int bottom = rows_;
      if (b + 1 < bands) {
        const double share = total * static_cast<double>(b + 1) / static_cast<double>(bands);
        while (row < work.size() && sum + work[row] <= share) sum += work[row++];
        bottom = std::max(top, static_cast<int>(row));
      }
      SetRows(*bands_[b], top, bottom);
      top = bottom;
    }
  }

  // Waits until every band has drawn every batch.
  void Finish();

 private:
  struct Job;
  struct Band;

  // Clips the band to its rows: first in device rows, then the painter's
  // transform and area.
  void SetRows(Band& band, int top, int bottom) const;
  void DrawBand(Band& band, const Job& job) const;
  void StartThreads(const ThreadStarter& startThread);
  void Work(Band& band);

  QPainter& painter_;
  double ratio_ = 1;
  int width_ = 0, rows_ = 0;
  QRectF area_;
  QRect areaPixels_;  // the area in device pixels
  QTransform world_, toDevice_, toLogical_;
  bool balance_ = false;
  std::vector<std::unique_ptr<Band>> bands_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable queued_, drawn_;
  std::deque<std::shared_ptr<const Job>> jobs_;
  std::uint64_t first_ = 0;  // the number of the batch at the front of jobs_
  bool quit_ = false;
};

}  // namespace morvatex
