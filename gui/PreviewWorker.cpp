#include "gui/PreviewWorker.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

namespace morvatex {
namespace {

std::atomic<int> liveThreads{0};

// A CNC program may say anything, X1E300 too: beyond a float's range the
// cast would be undefined, and no picture tells such figures apart anyway.
float Drawn(double value) {
  constexpr double kFar = 1e30;
  return std::isnan(value) ? 0.0F : static_cast<float>(std::clamp(value, -kFar, kFar));
}

ReadBackMove OverlayMove(const TracedMove& move) {
  ReadBackMove m;
  m.startX = Drawn(move.start.x);
  m.startY = Drawn(move.start.y);
  m.x = Drawn(move.end.x);
  m.y = Drawn(move.end.y);
  m.line = static_cast<std::uint32_t>(move.line);
  m.rapid = move.kind == MotionKind::kRapid;
  m.arc = move.IsArc();
  if (m.arc) {
    m.centreX = Drawn(move.centre.x);
    m.centreY = Drawn(move.centre.y);
    // The reader gives the sweep without its direction, which the kind holds.
    const double sweep = std::abs(move.sweep);
    m.sweep = Drawn(move.Clockwise() ? -sweep : sweep);
  }
  return m;
}

}  // namespace

bool PreviewWorker::StartQThread(QThread& thread) {
  thread.start();
  // A thread the system refused is neither running nor finished.
  return thread.isRunning() || thread.isFinished();
}

PreviewWorker::PreviewWorker(FileSystem& fs, const SettingsRecord& settings, std::string sourcePath,
                             std::function<void(Traced)> traced, std::function<void(Picture)> painted,
                             const QThreadStarter& startThread, IselDialect dialect)
    : traced_(std::move(traced)), painted_(std::move(painted)) {
  ++liveThreads;
  thread_.reset(QThread::create([this, &fs, settings, sourcePath = std::move(sourcePath), dialect] {
    Run(fs, settings, sourcePath, dialect);
    // The last step of the thread, under a lock the destructor takes
    // after QThread::wait: that wait orders through a futex that the
    // thread sanitizer cannot see, this lock it can.
    const std::lock_guard lock(mutex_);
    runReturned_ = true;
  }));
  started_ = startThread(*thread_);
}

PreviewWorker::~PreviewWorker() {
  Stop();
  thread_->wait();
  {
    const std::lock_guard lock(mutex_);  // see the end of the thread's function
  }
  --liveThreads;
}

int PreviewWorker::LiveThreads() { return liveThreads.load(); }

void PreviewWorker::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
}

TraceProgress PreviewWorker::Progress() const { return {pass_.load(), done_.load(), total_.load()}; }

double PreviewWorker::PictureProgress() const { return pictureShare_.load(); }

std::uint64_t PreviewWorker::RequestPicture(QSize size, double pixelRatio, const PreviewView& view,
                                            const PaintOptions& options, const OverlayOptions& overlay) {
  std::uint64_t ticket = 0;
  {
    const std::lock_guard lock(mutex_);
    ticket = ++latest_;
    pending_ = Request{ticket, size, pixelRatio, view, options, overlay};
    pictureShare_ = 0;
  }
  wake_.notify_all();
  return ticket;
}

void PreviewWorker::RequestReadBack(std::string cncPath, ControlModel model, std::function<void(ReadBack)> done) {
  {
    const std::lock_guard lock(mutex_);
    pendingReadBack_ = ReadBackRequest{std::move(cncPath), model, std::move(done)};
  }
  wake_.notify_all();
}

void PreviewWorker::RequestLineIndex(std::string path, IndexDone done) {
  {
    const std::lock_guard lock(mutex_);
    pendingIndexes_.push_back({std::move(path), std::move(done)});
  }
  wake_.notify_all();
}

void PreviewWorker::IndexNow(FileSystem& fs, const IndexRequest& request) {
  std::shared_ptr<const LineIndex> index;
  try {
    if (std::optional<LineIndex> built = IndexFile(fs, request.path, [this] { return stop_.load(); }))
      index = std::make_shared<const LineIndex>(std::move(*built));
  } catch (const std::bad_alloc&) {
    index.reset();
  }
  if (stop_) return;
  request.done(std::move(index));
}

void PreviewWorker::ReadBackNow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                                IselDialect dialect, std::size_t iselMoves, const ReadBackRequest& request) {
  ReadBack readBack;
  try {
    auto overlay = std::make_shared<ReadBackOverlay>();
    // About one move read back per Isel move: room for them at once, since
    // growing by doubling would for a moment hold three times as many.
    overlay->moves.reserve(iselMoves + iselMoves / 16 + 16);
    VerificationHooks hooks;
    hooks.readMove = [&overlay](const TracedMove& move) { overlay->moves.push_back(OverlayMove(move)); };
    hooks.stopped = [this] { return stop_.load(); };
    VerificationOptions options;
    options.model = request.model;
    readBack.result = VerifySourceAndCncProgram(settings, fs, sourcePath, request.cncPath, options, dialect, hooks);
    for (const Divergence& d : readBack.result.summary.first)
      if (d.cncLine > 0) overlay->divergentLines.push_back(d.cncLine);
    std::sort(overlay->divergentLines.begin(), overlay->divergentLines.end());
    readBack.overlay = std::move(overlay);
  } catch (const std::bad_alloc&) {
    readBack = ReadBack{};
    readBack.result.problem = "Zu wenig Speicher";
  } catch (const std::length_error&) {
    readBack = ReadBack{};
    readBack.result.problem = "Zu wenig Speicher";
  }
  if (stop_) return;
  request.done(std::move(readBack));
}

void PreviewWorker::Run(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath,
                        IselDialect dialect) {
  std::shared_ptr<const ToolPath> path;
  Traced traced;
  try {
    path = std::make_shared<const ToolPath>(TraceToolPathFile(
        fs, sourcePath, settings, [this] { return stop_.load(); },
        [this](const TraceProgress& progress) {
          total_ = progress.total;
          done_ = progress.done;
          pass_ = progress.pass;
        },
        dialect));
    traced.depth = FeedDepthOf(*path);
  } catch (const std::bad_alloc&) {
    path.reset();  // the partial path is gone with the unwinding
  } catch (const std::length_error&) {
    path.reset();  // more moves than a vector can hold: memory, too
  }
  if (stop_) return;
  traced.path = path;
  traced_(std::move(traced));
  if (!path) return;

  for (;;) {
    Request request;
    std::optional<ReadBackRequest> readBack;
    std::vector<IndexRequest> indexes;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] {
        return stop_ || pending_.has_value() || pendingReadBack_.has_value() || !pendingIndexes_.empty();
      });
      if (stop_) return;
      // A read-back goes first: the picture asked for next wants to show it.
      if (pendingReadBack_) {
        readBack = std::move(pendingReadBack_);
        pendingReadBack_.reset();
      } else if (!pendingIndexes_.empty()) {
        indexes.swap(pendingIndexes_);
      } else {
        request = *pending_;
        pending_.reset();
      }
    }
    if (readBack) {
      ReadBackNow(fs, settings, sourcePath, dialect, path->segments.size(), *readBack);
    } else if (!indexes.empty()) {
      for (const IndexRequest& index : indexes) IndexNow(fs, index);
    } else {
      Paint(*path, request);
    }
  }
}

void PreviewWorker::Paint(const ToolPath& path, const Request& request) {
  const double steps = static_cast<double>(std::max<std::size_t>(PaintSteps(path, request.options), 1));
  std::size_t asked = 0;
  // A newer request makes this picture worthless: it stops at once.
  const auto stale = [&] {
    if (stop_.load() || latest_.load() != request.ticket) return true;
    pictureShare_ = static_cast<double>(asked++) / steps;
    return false;
  };
  if (request.size.isEmpty()) return;
  Picture picture{request.ticket, {}, false, request.size, request.view, request.options, request.overlay};
  try {
    // A null image is one that memory could not hold.
    QImage image(request.size * request.pixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
      picture.outOfMemory = true;
    } else {
      image.setDevicePixelRatio(request.pixelRatio);
      QPainter painter(&image);
      const QRectF area(QPointF(0, 0), QSizeF(request.size));
      if (!PaintToolPath(painter, path, request.view, area, stale, request.options)) return;
      const OverlayOptions& overlay = request.overlay;
      if (overlay.readBack &&
          !PaintReadBack(painter, path, *overlay.readBack, overlay.selected, request.view, area, stale))
        return;
      painter.end();
      picture.image = std::move(image);
    }
  } catch (const std::bad_alloc&) {
    picture.image = QImage();
    picture.outOfMemory = true;
  }
  if (stale()) return;
  painted_(std::move(picture));
}

}  // namespace morvatex
