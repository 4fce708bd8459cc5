// The preview's work away from the GUI thread: traces one program, then
// paints pictures of its path into images on request. One thread per
// preview, so that its window keeps painting and answering however long the
// program; every step hears a stop within a few hundred lines or one chunk
// of moves, so ending the worker never waits long.
#pragma once

#include <QImage>
#include <QSize>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "engine/IselDialect.h"
#include "paint/ReadBackOverlay.h"
#include "paint/ToolPathPainter.h"
#include "preview/LineIndex.h"
#include "preview/ToolPath.h"
#include "settings/SettingsRecord.h"
#include "verify/Verification.h"

namespace morvatex {

class PreviewWorker {
 public:
  struct Traced {
    std::shared_ptr<const ToolPath> path;  // null when memory ran out
    FeedDepth depth;                       // of the path's feed moves
  };
  struct Picture {
    std::uint64_t ticket = 0;  // as RequestPicture gave it
    QImage image;              // null when memory ran out
    bool outOfMemory = false;
    QSize size;  // in logical pixels
    PreviewView view;
    PaintOptions options;
    OverlayOptions overlay;
  };
  struct ReadBack {
    // The path the control model read, with the divergent lines; null when
    // memory ran out (the result then says so).
    std::shared_ptr<const ReadBackOverlay> overlay;
    VerificationResult result;
  };

  // Starts `thread`; false when the system could not start it.
  using QThreadStarter = std::function<bool(QThread& thread)>;
  static bool StartQThread(QThread& thread);

  // Starts tracing `sourcePath`, read in `dialect`, at once, on a thread
  // that `startThread` starts. `traced` hears the end of the trace (unless
  // stopped), `painted` each finished picture; both are called on the
  // worker's thread, never after the destructor returned. Without a thread
  // (see Started) neither is ever called. `fs` must outlive the worker.
  PreviewWorker(FileSystem& fs, const SettingsRecord& settings, std::string sourcePath,
                std::function<void(Traced)> traced, std::function<void(Picture)> painted,
                const QThreadStarter& startThread = StartQThread, IselDialect dialect = IselDialect::kOriginal);
  // Stops whatever runs and waits for the thread.
  ~PreviewWorker();
  PreviewWorker(const PreviewWorker&) = delete;
  PreviewWorker& operator=(const PreviewWorker&) = delete;

  // Whether the worker's thread runs (or ran): false when the system gave
  // none, and then there is no trace and no picture.
  bool Started() const { return started_; }
  // Ends the trace or picture in hand soon; nothing is reported afterwards.
  void Stop();
  // How far the trace has come; safe from any thread.
  TraceProgress Progress() const;
  // How far the picture asked for last has come, as a share from 0 to 1.
  double PictureProgress() const;
  // Asks for a picture of `size` logical pixels, `pixelRatio` device pixels
  // each. It replaces a request not yet taken up and stops a picture being
  // painted; requests before the trace ended wait for it. Returns the
  // ticket its picture will carry.
  // `overlay` is drawn over the path.
  std::uint64_t RequestPicture(QSize size, double pixelRatio, const PreviewView& view, const PaintOptions& options,
                               const OverlayOptions& overlay = {});

  // Asks for the CNC program at `cncPath` to be read back by `model` and
  // checked against the source (read in the worker's dialect), once the
  // trace ended; `done` hears the result on the worker's thread (unless
  // stopped). Pictures asked for meanwhile wait for it. Without a thread nothing is ever reported.
  void RequestReadBack(std::string cncPath, ControlModel model, std::function<void(ReadBack)> done);

  // Asks for the line index of the text file at `path` (preview/LineIndex.h),
  // once the trace ended; `done` hears it on the worker's thread, null when
  // the file cannot be read or memory ran out (unless stopped). Without a
  // thread nothing is ever reported.
  using IndexDone = std::function<void(std::shared_ptr<const LineIndex>)>;
  void RequestLineIndex(std::string path, IndexDone done);

  // Workers whose thread has not yet been waited for, in the whole process.
  static int LiveThreads();

 private:
  struct Request {
    std::uint64_t ticket = 0;
    QSize size;
    double pixelRatio = 1;
    PreviewView view;
    PaintOptions options;
    OverlayOptions overlay;
  };
  void Run(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath, IselDialect dialect);
  struct ReadBackRequest {
    std::string cncPath;
    ControlModel model = ControlModel::kRs274;
    std::function<void(ReadBack)> done;
  };
  void Paint(const ToolPath& path, const Request& request);
  // `iselMoves`: how many moves the trace found; the source is read in
  // `dialect`, as the trace read it.
  void ReadBackNow(FileSystem& fs, const SettingsRecord& settings, const std::string& sourcePath, IselDialect dialect,
                   std::size_t iselMoves, const ReadBackRequest& request);

  std::function<void(Traced)> traced_;
  std::function<void(Picture)> painted_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> latest_{0};  // the newest ticket given out
  std::atomic<int> pass_{0};
  std::atomic<std::size_t> done_{0}, total_{0};
  std::atomic<double> pictureShare_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Request> pending_;                  // guarded by mutex_
  std::optional<ReadBackRequest> pendingReadBack_;  // guarded by mutex_
  struct IndexRequest {
    std::string path;
    IndexDone done;
  };
  std::vector<IndexRequest> pendingIndexes_;  // guarded by mutex_
  void IndexNow(FileSystem& fs, const IndexRequest& request);
  bool runReturned_ = false;  // guarded by mutex_; the thread's last step
  bool started_ = false;
  // A QThread, not a std::thread: Qt frees the font data a thread used
  // within that thread only for its own threads (on Windows it otherwise
  // frees it from another thread, and twice). Last: it starts once the rest
  // is set up.
  std::unique_ptr<QThread> thread_;
};

}  // namespace morvatex
