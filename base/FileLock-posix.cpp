// RealFileSystem's locks on POSIX: flock on a descriptor of its own, which
// the system lets go when the process ends, however it ends.
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"

namespace morvatex {
namespace {

// The most of the holder's line that is read back.
constexpr std::size_t kLongestHolder = 512;

class FlockLock final : public FileLock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  ~FlockLock() override { ::close(fd_); }
  FlockLock(const FlockLock&) = delete;
  FlockLock& operator=(const FlockLock&) = delete;

 private:
  int fd_;
};

std::string ReadHolder(int fd) {
  char buffer[kLongestHolder];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

FileLockResult RealFileSystem::TryLock(const std::string& path, std::string_view holder,
                                       std::unique_ptr<FileLock>& lock, std::string& heldBy) {
  lock.reset();
  heldBy.clear();
  if (path.find('\0') != std::string::npos) {
    errno = EINVAL;
    return FileLockResult::kUnavailable;
  }
  // O_NOFOLLOW: a link put there must not make this write elsewhere.
  const std::string native = Cp1252ToUtf8(path);
  int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  // A folder that may not be written: the lock of a file made there before.
  if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return FileLockResult::kUnavailable;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return FileLockResult::kUnavailable;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int reason = errno;
    if (reason == EWOULDBLOCK) heldBy = ReadHolder(fd);
    ::close(fd);
    errno = reason;
    return reason == EWOULDBLOCK ? FileLockResult::kHeld : FileLockResult::kUnavailable;
  }
  // Who holds it, for the message of the next one; a read-only file keeps
  // what it says.
  const std::string line = std::string(holder) + ", PID " + std::to_string(::getpid());
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
  }
  lock = std::make_unique<FlockLock>(fd);
  return FileLockResult::kTaken;
}

}  // namespace morvatex
