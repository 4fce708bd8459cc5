// Change notices from ReadDirectoryChangesW: one handle on the watched
// folder, which also covers its sub-folders when they count.
#include <windows.h>

#include <algorithm>

#include "base/Cp1252Codec.h"
#include "batch/FolderNotices.h"

namespace morvatex {
namespace {

constexpr WatchTime kStopSlice{100};
constexpr DWORD kWatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                  FILE_NOTIFY_CHANGE_LAST_WRITE;

// A share's server sends notices only for some changes, and not at all
// through some servers (Samba on Linux, NAS boxes): a share is polled.
bool OnNetworkShare(const std::u16string& folder) {
  wchar_t full[MAX_PATH] = {};
  if (::GetFullPathNameW(reinterpret_cast<const wchar_t*>(folder.c_str()), MAX_PATH, full, nullptr) == 0) return false;
  // \\server\share, but not \\?\C:\... nor \\.\device
  if (full[0] == L'\\' && full[1] == L'\\' && full[2] != L'?' && full[2] != L'.') return true;
  wchar_t root[MAX_PATH] = {};
  return ::GetVolumePathNameW(full, root, MAX_PATH) != 0 && ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

class DirectoryChangeNotices final : public FolderNotices {
 public:
  DirectoryChangeNotices() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~DirectoryChangeNotices() override {
    Close();
    if (event_ != nullptr) ::CloseHandle(event_);
  }
  DirectoryChangeNotices(const DirectoryChangeNotices&) = delete;
  DirectoryChangeNotices& operator=(const DirectoryChangeNotices&) = delete;

  bool Watch(const std::vector<std::string>& folders, bool recursive) override {
    if (folders.empty() || event_ == nullptr) return false;
    if (folder_ != INVALID_HANDLE_VALUE && root_ == folders.front() && recursive_ == recursive) return true;
    Close();
    root_ = folders.front();
    recursive_ = recursive;
    const std::u16string wide = Cp1252ToUtf16(root_);
    if (OnNetworkShare(wide)) return false;
    folder_ = ::CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (folder_ == INVALID_HANDLE_VALUE) return false;
    if (!Ask()) {
      Close();
      return false;
    }
    return true;
  }

  NoticeWait Wait(WatchTime timeout, bool (*stop)() noexcept) override {
    if (folder_ == INVALID_HANDLE_VALUE) return NoticeWait::kLost;
    for (WatchTime left = timeout; left > WatchTime{0}; left -= kStopSlice) {
      if (stop && stop()) return NoticeWait::kQuiet;
      const DWORD waited = ::WaitForSingleObject(event_, static_cast<DWORD>(std::min(left, kStopSlice).count()));
      if (waited == WAIT_TIMEOUT) continue;
      DWORD bytes = 0;
      pending_ = false;
      // No bytes means the buffer overflowed: a look at everything finds
      // what the lost notices said.
      if (waited != WAIT_OBJECT_0 || !::GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE) || !Ask()) {
        Close();
        return NoticeWait::kLost;
      }
      return NoticeWait::kChanged;
    }
    return NoticeWait::kQuiet;
  }

 private:
  // Asks for the next notices; they arrive in `buffer_`, `event_` set.
  bool Ask() {
    ::ResetEvent(event_);
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;
    pending_ = ::ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, recursive_ ? TRUE : FALSE, kWatchedChanges,
                                       nullptr, &overlapped_, nullptr) != 0;
    return pending_;
  }

  void Close() {
    if (folder_ == INVALID_HANDLE_VALUE) return;
    if (pending_) {
      ::CancelIo(folder_);
      DWORD bytes = 0;
      ::GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE);  // the buffer is ours again
      pending_ = false;
    }
    ::CloseHandle(folder_);
    folder_ = INVALID_HANDLE_VALUE;
  }

  HANDLE event_;
  HANDLE folder_ = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped_{};
  std::string root_;
  bool recursive_ = false;
  bool pending_ = false;  // a ReadDirectoryChangesW is under way
  alignas(DWORD) char buffer_[65536];
};

}  // namespace

std::unique_ptr<FolderNotices> OpenFolderNotices() { return std::make_unique<DirectoryChangeNotices>(); }

}  // namespace morvatex
