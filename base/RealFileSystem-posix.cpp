// The POSIX calls behind RealFileSystem (base/NativeFiles.h). Paths are UTF-8
// on the system's side.
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/NativeFiles.h"

namespace morvatex::os {
namespace {

FileKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return FileKind::kFolder;
  return S_ISREG(mode) ? FileKind::kRegular : FileKind::kOther;
}

}  // namespace

NativeString ToNative(const std::string& path) { return Cp1252ToUtf8(path); }
std::filesystem::path FsPath(const std::string& path) { return std::filesystem::path(Cp1252ToUtf8(path)); }

int OpenNative(const NativeString& p, int flags, int mode) { return ::open(p.c_str(), flags | O_CLOEXEC, mode); }
int CloseNative(int fd) { return ::close(fd); }
long long ReadNative(int fd, char* b, std::size_t n) { return ::read(fd, b, n); }
long long WriteNative(int fd, const char* b, std::size_t n) { return ::write(fd, b, n); }
bool SeekNative(int fd, std::uint64_t offset) { return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0; }
bool SyncNative(int fd) { return ::fsync(fd) == 0; }
int UnlinkNative(const NativeString& p) { return ::unlink(p.c_str()); }
const int kCreateMode = 0666;

int RenameNative(const std::string& from, const std::string& to) {
  std::error_code ec;
  std::filesystem::rename(FsPath(from), FsPath(to), ec);
  return !ec ? 0 : ec.value() != 0 ? ec.value() : EIO;
}

// A signal that arrives just before a blocking read would not interrupt it;
// this wait never misses one.
bool WaitReadable(int fd, GiveUpWaiting giveUp) {
  for (;;) {
    if (giveUp()) return false;
    pollfd wanted{fd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, 100);
    if (ready > 0 || (ready < 0 && errno != EINTR)) return true;  // the read tells what it is
  }
}

bool PrepareReading(const NativeString& native, bool waitingCanEnd, int& flags, bool& waitFirst) {
  // Reading a folder "succeeds" to open on POSIX and fails later; refuse early.
  struct stat info {};
  const bool exists = ::stat(native.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return false;
  // Opening a FIFO waits for a writer, and reading it for data. When waiting
  // can be given up, it is opened without waiting and each read waits in
  // poll instead, which a signal can always end.
  if (waitingCanEnd && exists && !S_ISREG(info.st_mode)) {
    waitFirst = true;
    if (S_ISFIFO(info.st_mode)) flags |= O_NONBLOCK;
  }
  return true;
}

FileKind KindOf(const NativeString& native) {
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) return errno == ELOOP ? FileKind::kLinkLoop : FileKind::kMissing;
  return KindOfMode(st.st_mode);
}

// One look for a path that is no link, as most targets are none.
FileKind KindOf(const NativeString& native, bool& isLink) {
  isLink = false;
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0) return FileKind::kMissing;
  isLink = S_ISLNK(st.st_mode);
  if (!isLink) return KindOfMode(st.st_mode);
  return KindOf(native);
}

std::size_t NameStart(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  return separator == std::string::npos ? 0 : separator + 1;
}

// The system counts the UTF-8 bytes of a name.
std::size_t NativeLength(std::string_view name) { return Cp1252ToUtf8(name).size(); }

// The permissions of the old file and, where this process may, its owner
// and group, as writing into the old file would have kept them. Only the rwx
// bits: a set-user-ID bit must not pass to a file of another owner. A file
// system that keeps no modes (FAT) refuses; the new file is as good as
// before then.
void TakeOverMode(int fd, const NativeString& replaced, bool keepWritable) {
  const mode_t added = keepWritable ? S_IWUSR : 0;
  struct stat old {};
  if (::stat(replaced.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
  struct stat made {};
  if (::fstat(fd, &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && made.st_gid != old.st_gid) {
      [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
  }
  [[maybe_unused]] const int changed = ::fchmod(fd, (old.st_mode & 0777) | added);
}

FileIdentity IdentityOf(const NativeString& native) {
  FileIdentity identity;
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0) {
    identity = {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
  return identity;
}

bool FolderWritable(const NativeString& native) {
  // Creating an entry needs the right to search the folder as well.
  return ::access(native.c_str(), W_OK | X_OK) == 0;
}

}  // namespace morvatex::os
