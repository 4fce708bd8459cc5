// The system's change notices for watched folders: inotify on Linux,
// ReadDirectoryChangesW on Windows (FolderNotices-posix.cpp, -win32.cpp).
//
// A notice only says "look again": the watch (batch/FolderWatch.h) finds out
// itself what changed, so a notice lost or merged costs nothing but time.
// Network shares often send none at all; there the watch polls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "batch/FolderWatch.h"

namespace morvatex {

enum class NoticeWait {
  kChanged,  // something in a watched folder changed (or may have)
  kQuiet,    // the time ran out, or a stop was asked for
  kLost,     // the notices stopped (the folder went away): watch again
};

class FolderNotices {
 public:
  virtual ~FolderNotices() = default;
  // Watches `folders`, the watched folder first, then its sub-folders
  // (Windows covers those with the first when `recursive`). May be called
  // again with a new list; folders no longer in it are let go. False when
  // the first folder cannot be watched.
  virtual bool Watch(const std::vector<std::string>& folders, bool recursive) = 0;
  // Waits up to `timeout` for a notice; asks `stop` at least every 100 ms
  // and returns kQuiet when it says yes.
  virtual NoticeWait Wait(WatchTime timeout, bool (*stop)() noexcept) = 0;
};

// The system's notices; null where it offers none (then the watch polls).
std::unique_ptr<FolderNotices> OpenFolderNotices();

}  // namespace morvatex
