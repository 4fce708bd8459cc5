#include "paint/ToolPathPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <QImage>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/OutcomeCodes.h"
#include "paint/Batch.h"
#include "paint/DepthColours.h"
#include "paint/Figures.h"
#include "paint/Polylines.h"
#include "paint/StrokeRasterizer.h"

namespace morvatex {
namespace {

const QColor kFeedColour(0, 0, 170);
const QColor kRapidColour(210, 40, 40);
const QColor kFrameColour(150, 150, 150);
const QColor kFailureColour(230, 0, 0);

// The moves go out in chunks of this many, with a stop query before each.
constexpr std::size_t kSegmentsPerChunk = 4096;

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
  // is more than one or a StrokeRasterizer can draw into that image.
  BandPainters(QPainter& painter, const QRectF& area, int bands) : painter_(painter) {
    QPaintDevice* device = painter.device();
    if (bands < 1 || device == nullptr || device->devType() != QInternal::Image || painter.paintEngine() == nullptr ||
        painter.paintEngine()->type() != QPaintEngine::Raster)
      return;
    QImage& image = *static_cast<QImage*>(device);
    bool invertible = false;
    toDevice_ = painter.combinedTransform();
    toLogical_ = toDevice_.inverted(&invertible);
    if (!invertible) return;
    rows_ = image.height();
    bands = std::min(bands, std::max(1, rows_ / kMinBandRows));
    // Band edges and the own strokes only where a row of the picture is a
    // row of the image.
    balance_ = toDevice_.type() <= QTransform::TxScale;
    const bool ownStrokes = balance_ && StrokeRasterizer::Supports(image);
    if (bands < 2 && !ownStrokes) return;
    ratio_ = image.devicePixelRatio();
    width_ = image.width();
    area_ = area;
    world_ = painter.worldTransform();
    const QRectF areaPixels = toDevice_.mapRect(area);
    areaPixels_ =
        QRect(QPoint(static_cast<int>(std::lround(areaPixels.left())), static_cast<int>(std::lround(areaPixels.top()))),
              QPoint(static_cast<int>(std::lround(areaPixels.right())) - 1,
                     static_cast<int>(std::lround(areaPixels.bottom())) - 1));
    uchar* bits = image.bits();
    for (int b = 0; b < bands; ++b) {
      auto band = std::make_unique<Band>();
      band->image = QImage(bits, image.width(), rows_, image.bytesPerLine(), image.format());
      band->image.setDevicePixelRatio(ratio_);
      band->painter.begin(&band->image);
      band->painter.setRenderHints(painter.renderHints());
      if (ownStrokes) band->strokes = std::make_unique<StrokeRasterizer>(band->image, kFeedWidth);
      SetRows(*band, rows_ * b / bands, rows_ * (b + 1) / bands);
      bands_.push_back(std::move(band));
    }
    for (std::size_t b = 0; b < bands_.size(); ++b) threads_.emplace_back([this, b] { Work(b); });
  }
  BandPainters(const BandPainters&) = delete;
  BandPainters& operator=(const BandPainters&) = delete;
  // Batches not drawn by now are dropped: the picture was given up.
  ~BandPainters() {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    for (auto& band : bands_) band->painter.end();
  }

  // Draws `batch` with `pens` (which must outlive Finish), taking its
  // contents; the bands may draw it later.
  void Draw(Batch& batch, const std::vector<QPen>& pens) {
    if (bands_.empty()) {
      const double inf = std::numeric_limits<double>::infinity();
      DrawBatch(painter_, batch, pens, QRectF(QPointF(-inf, -inf), QPointF(inf, inf)));
      return;
    }
    auto job = std::make_shared<Job>();
    job->batch = std::move(batch);
    batch.clear();
    job->pens = &pens;
    std::unique_lock lock(mutex_);
    // A few batches ahead at most, so that a stop is not kept waiting.
    drawn_.wait(lock, [&] { return jobs_.size() < kMaxQueued; });
    jobs_.push_back(std::move(job));
    lock.unlock();
    queued_.notify_all();
  }

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
  void Finish() {
    std::unique_lock lock(mutex_);
    drawn_.wait(lock, [&] { return jobs_.empty(); });
  }

 private:
  static constexpr int kMinBandRows = 32;
  static constexpr std::size_t kMaxQueued = 8;

  struct Job {
    Batch batch;
    const std::vector<QPen>* pens = nullptr;
  };

  struct Band {
    QImage image;  // the painter's image, shared
    QPainter painter;
    int top = -1, bottom = -1;  // device rows
    QRectF reach;               // those rows in the painter's coordinates
    // The pens as this band's own: copies of one QPen share its data, and
    // every stroke copies its pen, so threads sharing one would contend for
    // its reference count all the time.
    const std::vector<QPen>* from = nullptr;
    std::vector<QPen> pens;
    std::uint64_t next = 0;  // the number of the next batch to draw
    std::unique_ptr<StrokeRasterizer> strokes;
  };

  // Clips the band to its rows: first in device rows, then the painter's
  // transform and area.
  void SetRows(Band& band, int top, int bottom) const {
    if (band.top == top && band.bottom == bottom) return;
    band.top = top;
    band.bottom = bottom;
    band.painter.setWorldTransform(QTransform());
    band.painter.setClipRect(QRectF(0, top / ratio_, width_ / ratio_, (bottom - top) / ratio_));
    band.painter.setWorldTransform(world_);
    band.painter.setClipRect(area_, Qt::IntersectClip);
    band.reach = toLogical_.mapRect(QRectF(0, top, width_, bottom - top));
    if (band.strokes) band.strokes->SetClip(QRect(0, top, width_, bottom - top).intersected(areaPixels_));
  }

  void DrawBand(Band& band, const Job& job) const {
    const std::vector<QPen>& pens = *job.pens;
    if (band.from != &pens || band.pens.size() != pens.size()) {
      band.from = &pens;
      band.pens.clear();
      for (const QPen& pen : pens) {
        QPen own(QBrush(pen.color()), pen.widthF(), pen.style(), pen.capStyle(), pen.joinStyle());
        own.setCosmetic(pen.isCosmetic());
        if (pen.style() == Qt::CustomDashLine) own.setDashPattern(pen.dashPattern());
        band.pens.push_back(own);
      }
    }
    if (band.top < band.bottom)
      DrawBatch(band.painter, job.batch, band.pens, band.reach, band.strokes.get(), toDevice_);
  }

  void Work(std::size_t b) {
    Band& band = *bands_[b];
    for (;;) {
      std::unique_lock lock(mutex_);
      queued_.wait(lock, [&] { return quit_ || band.next < first_ + jobs_.size(); });
      if (quit_) return;
      const std::shared_ptr<const Job> job = jobs_[band.next - first_];
      lock.unlock();
      DrawBand(band, *job);
      lock.lock();
      ++band.next;
      // A batch goes once every band has drawn it.
      bool popped = false;
      while (!jobs_.empty() &&
             std::all_of(bands_.begin(), bands_.end(), [&](const auto& other) { return other->next > first_; })) {
        jobs_.pop_front();
        ++first_;
        popped = true;
      }
      lock.unlock();
      if (popped) drawn_.notify_all();
    }
  }

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

}  // namespace

std::size_t PaintSteps(const ToolPath& path, const PaintOptions& options) {
  // Rapid moves, feed moves and dots, and with depth the scan for the range.
  const std::size_t chunks = (path.segments.size() + kSegmentsPerChunk - 1) / kSegmentsPerChunk;
  return chunks * (options.depth ? 4 : 3);
}

bool PaintToolPath(QPainter& painter, const ToolPath& path, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped, const PaintOptions& options) {
  painter.save();
  painter.setClipRect(area);
  painter.fillRect(area, Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);

  if (path.extentsKnown) {
    const DrawingExtents& e = path.extents;
    const QRectF frame = QRectF(view.ToScreen(e.minX, e.maxY), view.ToScreen(e.maxX, e.minY)).normalized();
    QPen framePen(kFrameColour, 1);
    framePen.setCosmetic(true);
    painter.setPen(framePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setFont(FigureFont());
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(painter.font());
    const double below = frame.bottom() + kFigureGap + metrics.ascent();
    painter.drawText(QPointF(frame.left(), below), Figure(e.minX));
    const QString maxX = Figure(e.maxX);
    painter.drawText(QPointF(frame.right() - metrics.horizontalAdvance(maxX), below), maxX);
    const QString minY = Figure(e.minY), maxY = Figure(e.maxY);
    painter.drawText(QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(minY), frame.bottom()), minY);
    painter.drawText(
        QPointF(frame.left() - kFigureGap - metrics.horizontalAdvance(maxY), frame.top() + metrics.ascent()), maxY);
  }

  // The moves go out in chunks, so that a stop is heard between two of them
  // however long the whole path takes; rapid moves first, then feed moves
  // over them, then the dots of moves in Z alone. Each chunk becomes a
  // batch of polylines, drawn before the next chunk is asked for.
  Batch batch;
  const auto inChunks = [&](auto add, auto draw) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) return false;
      const std::size_t end = std::min(path.segments.size(), first + kSegmentsPerChunk);
      for (std::size_t i = first; i < end; ++i) add(path.segments[i]);
      draw();
      batch.clear();
    }
    return true;
  };
  // The range, too, in chunks: a long path takes a while to scan.
  DepthRange range;
  if (options.depth) {
    for (std::size_t first = 0; first < path.segments.size(); first += kSegmentsPerChunk) {
      if (stopped && stopped()) {
        painter.restore();
        return false;
      }
      range.Add(path, first, std::min(path.segments.size(), first + kSegmentsPerChunk));
    }
  }
  painter.setBrush(Qt::NoBrush);
  QPen rapidPen(kRapidColour, 1);
  rapidPen.setDashPattern({6, 4});  // long enough to tell from a feed move at a glance
  rapidPen.setCosmetic(true);
  QPen feedPen(kFeedColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  feedPen.setCosmetic(true);
  // Feed moves by depth: a pen per depth bucket, one polyline per unbroken
  // run of one bucket.
  std::vector<QPen> feedPens;
  if (options.depth) {
    for (int bucket = 0; bucket < kDepthBuckets; ++bucket) {
      feedPens.push_back(feedPen);
      feedPens.back().setColor(DepthRange::Colour(bucket));
    }
  } else {
    feedPens.push_back(feedPen);
  }
  const std::vector<QPen> rapidPens = {rapidPen};
  const auto strokeRapid = [&] {
    // One painter for the dashes (see BandPainters).
    BandPainters one(painter, area, 0);
    Polylines lines(batch, painter, view, area);
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind == PathSegment::Kind::kRapid) lines.Add(segment);
        },
        [&] {
          lines.End();
          one.Draw(batch, rapidPens);
        });
  };
  const int bands =
      options.bands > 0 ? options.bands : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  const auto strokeFeed = [&](BandPainters& painters) {
    Polylines lines(batch, painter, view, area);
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind == PathSegment::Kind::kRapid) return;
          if (options.depth) lines.SetPen(range.Bucket(segment.end.z));
          lines.Add(segment);
        },
        [&] {
          lines.End();
          painters.Draw(batch, feedPens);
        });
  };
  // A feed move in Z alone (drilling, plunging) has no line to show: a dot.
  const double deviceScale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
  const double dotReach = kPlungeRadius + kPenReach / (deviceScale > 0 ? deviceScale : 1);
  const auto dots = [&](BandPainters& painters) {
    return inChunks(
        [&](const PathSegment& segment) {
          if (segment.kind != PathSegment::Kind::kLinear || !segment.zOnly) return;
          const QPointF at = view.ToScreen(segment.end.x, segment.end.y);
          Batch::Line dot;
          dot.first = batch.points.size();
          dot.count = 1;
          dot.pen = options.depth ? range.Bucket(segment.end.z) : 0;
          dot.left = at.x() - dotReach;
          dot.right = at.x() + dotReach;
          dot.top = at.y() - dotReach;
          dot.bottom = at.y() + dotReach;
          batch.points.push_back(at);
          batch.lines.push_back(dot);
        },
        [&] { painters.Draw(batch, feedPens); });
  };
  bool drawn = strokeRapid();
  if (drawn) {
    BandPainters painters(painter, area, bands);
    // Where the feed moves end and the dots lie, for the band edges.
    painters.Balance([&](const auto& add) {
      for (std::size_t i = 0; i < path.segments.size(); ++i) {
        const PathPoint end = path.segments.EndOf(i);
        add(view.ToScreen(end.x, end.y), 1.0);
      }
    });
    drawn = strokeFeed(painters) && dots(painters);
    if (drawn) painters.Finish();
  }
  if (!drawn) {
    painter.restore();
    return false;
  }
  painter.setBrush(Qt::NoBrush);

  if (range.known) PaintDepthLegend(painter, range, area);

  if (!IsGood(path.code) && !path.segments.empty()) {
    const PathPoint last = path.segments.back().end;
    QPen failurePen(kFailureColour, 2);
    failurePen.setCosmetic(true);
    painter.setPen(failurePen);
    painter.drawEllipse(view.ToScreen(last.x, last.y), 6, 6);
  }
  painter.restore();
  return true;
}

}  // namespace morvatex
