#include "gui/PreviewWorker.h"

#include <QPainter>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace morvatex {
namespace {

std::atomic<int> liveThreads{0};

}  // namespace

bool PreviewWorker::StartQThread(QThread& thread) {
  thread.start();
  // A thread the system refused is neither running nor finished.
  return thread.isRunning() || thread.isFinished();
}

PreviewWorker::PreviewWorker(FileSystem& fs, const SettingsRecord& settings, std::string sourcePath,
                             std::function<void(Traced)> traced, std::function<void(Picture)> painted,
                             const QThreadStarter& startThread)
    : traced_(std::move(traced)), painted_(std::move(painted)) {
  ++liveThreads;
  thread_.reset(
      QThread::create([this, &fs, settings, sourcePath = std::move(sourcePath)] { Run(fs, settings, sourcePath); }));
  started_ = startThread(*thread_);
}

PreviewWorker::~PreviewWorker() {
  Stop();
  thread_->wait();
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
                                            const PaintOptions& options) {
  std::uint64_t ticket = 0;
  {
    const std::lock_guard lock(mutex_);
    ticket = ++latest_;
    pending_ = Request{ticket, size, pixelRatio, view, options};
    pictureShare_ = 0;
  }
  wake_.notify_all();
  return ticket;
}

void PreviewWorker::Run(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath) {
  std::shared_ptr<const ToolPath> path;
  Traced traced;
  try {
    path = std::make_shared<const ToolPath>(TraceToolPathFile(
        fs, sourcePath, settings, [this] { return stop_.load(); },
        [this](const TraceProgress& progress) {
          total_ = progress.total;
          done_ = progress.done;
          pass_ = progress.pass;
        }));
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
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
      if (stop_) return;
      request = *pending_;
      pending_.reset();
    }
    Paint(*path, request);
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
  Picture picture{request.ticket, {}, false, request.size, request.view, request.options};
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
