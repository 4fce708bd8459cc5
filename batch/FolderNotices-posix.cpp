// Change notices from inotify: one watch per folder, since inotify does not
// look into sub-folders by itself.
#include <algorithm>
#include <cerrno>
#include <iterator>
#include <map>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "base/Cp1252Codec.h"
#include "batch/FolderNotices.h"

namespace morvatex {
namespace {

constexpr WatchTime kStopSlice{100};
constexpr std::uint32_t kWatchedEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                         IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Network file systems take inotify watches but report only the changes
// made on this computer: a file another PC drops there would never be seen.
bool OnNetworkShare(const std::string& folder) {
  struct statfs info {};
  if (::statfs(Cp1252ToUtf8(folder).c_str(), &info) != 0) return false;
  constexpr unsigned long kNetworkTypes[] = {
      0x6969,      // NFS
      0xFF534D42,  // CIFS
      0xFE534D42,  // SMB2
      0x517B,      // SMB
      0x564C,      // NCP
      0x73757245,  // Coda
      0x65735546,  // FUSE (sshfs and the like)
  };
  const auto type = static_cast<unsigned long>(info.f_type);
  return std::find(std::begin(kNetworkTypes), std::end(kNetworkTypes), type) != std::end(kNetworkTypes);
}

class InotifyNotices final : public FolderNotices {
 public:
  explicit InotifyNotices(int fd) : fd_(fd) {}
  ~InotifyNotices() override { ::close(fd_); }
  InotifyNotices(const InotifyNotices&) = delete;
  InotifyNotices& operator=(const InotifyNotices&) = delete;

  bool Watch(const std::vector<std::string>& folders, bool /*recursive*/) override {
    for (auto it = watches_.begin(); it != watches_.end();) {
      if (std::find(folders.begin(), folders.end(), it->first) == folders.end()) {
        ::inotify_rm_watch(fd_, it->second);
        it = watches_.erase(it);
      } else {
        ++it;
      }
    }
    root_ = -1;
    if (folders.empty() || OnNetworkShare(folders.front())) return false;
    bool complete = true;
    for (const std::string& folder : folders) {
      auto known = watches_.find(folder);
      if (known == watches_.end()) {
        // Adding an existing watch again gives its number back.
        const int wd = ::inotify_add_watch(fd_, Cp1252ToUtf8(folder).c_str(), kWatchedEvents);
        if (wd < 0) {
          // A sub-folder gone already is seen by the next look; out of
          // watches (ENOSPC) some folders would go unseen.
          complete = complete && (errno == ENOENT || errno == ENOTDIR);
          continue;
        }
        known = watches_.emplace(folder, wd).first;
      }
      if (root_ < 0 && folder == folders.front()) root_ = known->second;
    }
    return root_ >= 0 && complete;
  }

  NoticeWait Wait(WatchTime timeout, bool (*stop)() noexcept) override {
    for (WatchTime left = timeout; left > WatchTime{0}; left -= kStopSlice) {
      if (stop && stop()) return NoticeWait::kQuiet;
      pollfd wanted{fd_, POLLIN, 0};
      const int ready = ::poll(&wanted, 1, static_cast<int>(std::min(left, kStopSlice).count()));
      if (ready < 0 && errno != EINTR) return NoticeWait::kLost;
      if (ready > 0) return Drain();
    }
    return NoticeWait::kQuiet;
  }

 private:
  NoticeWait Drain() {
    alignas(inotify_event) char buffer[16384];
    bool lost = false;
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        // An overflow (IN_Q_OVERFLOW) lost notices: a look at everything,
        // which every notice brings, finds them.
        if (event->wd == root_ && (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) lost = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if (lost) {
      for (const auto& [folder, wd] : watches_) ::inotify_rm_watch(fd_, wd);
      watches_.clear();
      root_ = -1;
      return NoticeWait::kLost;
    }
    return NoticeWait::kChanged;
  }

  int fd_;
  int root_ = -1;
  std::map<std::string, int> watches_;
};

}  // namespace

std::unique_ptr<FolderNotices> OpenFolderNotices() {
  const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<InotifyNotices>(fd);
}

}  // namespace morvatex
