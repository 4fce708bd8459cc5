#include "paint/BandPainters.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <limits>
#include <utility>

#include "paint/StrokeRasterizer.h"

namespace morvatex {
namespace {

constexpr int kMinBandRows = 32;
constexpr std::size_t kMaxQueued = 8;

}  // namespace

struct BandPainters::Job {
  Batch batch;
  const std::vector<QPen>* pens = nullptr;
};

struct BandPainters::Band {
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

BandPainters::BandPainters(QPainter& painter, const QRectF& area, int bands, const ThreadStarter& startThread)
    : painter_(painter) {
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
  StartThreads(startThread);
}

void BandPainters::StartThreads(const ThreadStarter& startThread) {
  threads_.reserve(bands_.size());  // so that no thread is lost to a failed push_back
  for (const auto& band : bands_) {
    std::thread thread = startThread([this, b = band.get()] { Work(*b); });
    if (!thread.joinable()) break;
    threads_.push_back(std::move(thread));
  }
  if (threads_.size() == bands_.size()) return;
  // Threads wait for the first batch and look at no band before it, so the
  // bands can still be cut anew: one per thread, or one for this thread.
  const std::lock_guard lock(mutex_);
  const std::size_t kept = std::max<std::size_t>(threads_.size(), 1);
  bands_.resize(kept);
  for (std::size_t b = 0; b < kept; ++b) {
    const int count = static_cast<int>(kept), index = static_cast<int>(b);
    SetRows(*bands_[b], rows_ * index / count, rows_ * (index + 1) / count);
  }
}

BandPainters::~BandPainters() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  for (auto& band : bands_) band->painter.end();
}

void BandPainters::Draw(Batch& batch, const std::vector<QPen>& pens) {
  if (bands_.empty()) {
    const double inf = std::numeric_limits<double>::infinity();
    DrawBatch(painter_, batch, pens, QRectF(QPointF(-inf, -inf), QPointF(inf, inf)));
    return;
  }
  if (threads_.empty()) {  // no thread could be had: the one band is drawn here
    Job job;
    job.batch = std::move(batch);
    batch.clear();
    job.pens = &pens;
    DrawBand(*bands_.front(), job);
    ++first_;
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

void BandPainters::Finish() {
  std::unique_lock lock(mutex_);
  drawn_.wait(lock, [&] { return jobs_.empty(); });
}

void BandPainters::SetRows(Band& band, int top, int bottom) const {
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

void BandPainters::DrawBand(Band& band, const Job& job) const {
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
  if (band.top < band.bottom) DrawBatch(band.painter, job.batch, band.pens, band.reach, band.strokes.get(), toDevice_);
}

void BandPainters::Work(Band& band) {
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

}  // namespace morvatex
