// RealFileSystem's locks on Windows: LockFileEx on a handle of its own,
// which the system lets go when the process ends, however it ends. The
// locked byte lies far beyond the holder's line, so that it can be read.
#include <string>

#include <windows.h>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"

namespace morvatex {
namespace {

constexpr DWORD kLockedOffsetHigh = 1;  // the byte at 4 GiB
constexpr DWORD kLongestHolder = 512;

class HandleLock final : public FileLock {
 public:
  explicit HandleLock(HANDLE handle) : handle_(handle) {}
  ~HandleLock() override { ::CloseHandle(handle_); }
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;

 private:
  HANDLE handle_;
};

OVERLAPPED At(DWORD low, DWORD high) {
  OVERLAPPED place{};
  place.Offset = low;
  place.OffsetHigh = high;
  return place;
}

std::string ReadHolder(HANDLE handle) {
  char buffer[kLongestHolder];
  DWORD read = 0;
  OVERLAPPED start = At(0, 0);
  if (!::ReadFile(handle, buffer, sizeof buffer, &read, &start)) return {};
  return std::string(buffer, read);
}

}  // namespace

FileLockResult RealFileSystem::TryLock(const std::string& path, std::string_view holder,
                                       std::unique_ptr<FileLock>& lock, std::string& heldBy) {
  lock.reset();
  heldBy.clear();
  const std::u16string wide16 = Cp1252ToUtf16(path);
  const std::wstring wide(wide16.begin(), wide16.end());
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // FILE_FLAG_OPEN_REPARSE_POINT: a link put there is not followed.
  HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
    handle = ::CreateFileW(wide.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                           nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return FileLockResult::kUnavailable;
  }
  OVERLAPPED locked = At(0, kLockedOffsetHigh);
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &locked)) {
    const bool held = ::GetLastError() == ERROR_LOCK_VIOLATION;
    if (held) heldBy = ReadHolder(handle);
    ::CloseHandle(handle);
    errno = held ? EWOULDBLOCK : EACCES;
    return held ? FileLockResult::kHeld : FileLockResult::kUnavailable;
  }
  // Who holds it, for the message of the next one.
  const std::string line = std::string(holder) + ", PID " + std::to_string(::GetCurrentProcessId());
  DWORD written = 0;
  OVERLAPPED start = At(0, 0);
  if (::SetFilePointer(handle, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && ::SetEndOfFile(handle))
    ::WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, &start);
  lock = std::make_unique<HandleLock>(handle);
  return FileLockResult::kTaken;
}

}  // namespace morvatex
