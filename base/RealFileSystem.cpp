// The operating system's side of FileSystem: POSIX calls, or their wide
// counterparts on Windows. Paths turn into the system's form here and only here.
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"

namespace morvatex {
namespace {

#ifdef _WIN32
using NativeString = std::wstring;
NativeString ToNative(const std::string& path) {
  const std::u16string wide = Cp1252ToUtf16(path);
  return NativeString(wide.begin(), wide.end());
}
int OpenNative(const NativeString& p, int flags, int mode = 0) { return ::_wopen(p.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode); }
int CloseNative(int fd) { return ::_close(fd); }
long long ReadNative(int fd, char* b, std::size_t n) { return ::_read(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n)); }
long long WriteNative(int fd, const char* b, std::size_t n) { return ::_write(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n)); }
bool SeekNative(int fd, std::uint64_t offset) { return ::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) >= 0; }
bool SyncNative(int fd) { return ::_commit(fd) == 0; }
int UnlinkNative(const NativeString& p) { return ::_wunlink(p.c_str()); }
constexpr int kCreateMode = _S_IREAD | _S_IWRITE;
#else
using NativeString = std::string;
NativeString ToNative(const std::string& path) { return Cp1252ToUtf8(path); }
int OpenNative(const NativeString& p, int flags, int mode = 0) { return ::open(p.c_str(), flags | O_CLOEXEC, mode); }
int CloseNative(int fd) { return ::close(fd); }
long long ReadNative(int fd, char* b, std::size_t n) { return ::read(fd, b, n); }
long long WriteNative(int fd, const char* b, std::size_t n) { return ::write(fd, b, n); }
bool SeekNative(int fd, std::uint64_t offset) { return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0; }
bool SyncNative(int fd) { return ::fsync(fd) == 0; }
int UnlinkNative(const NativeString& p) { return ::unlink(p.c_str()); }
constexpr int kCreateMode = 0666;
#endif

// A path with a NUL byte would be cut short by the system; refuse it instead.
bool Usable(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

std::filesystem::path FsPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(Cp1252ToUtf16(path));
#else
  return std::filesystem::path(Cp1252ToUtf8(path));
#endif
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const long long n = WriteNative(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Owns a descriptor; closes it silently if the owner never called Close().
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) CloseNative(fd_);
  }
  int get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    return CloseNative(fd) == 0;
  }

 private:
  int fd_;
};

using GiveUpWaiting = bool (*)() noexcept;

class RealReadableFile final : public ReadableFile {
 public:
  RealReadableFile(int fd, GiveUpWaiting giveUpWaiting) : fd_(fd), giveUpWaiting_(giveUpWaiting) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      const long long n = ReadNative(fd_.get(), buffer, capacity);
      if (n >= 0) return static_cast<std::ptrdiff_t>(n);
      if (errno != EINTR || (giveUpWaiting_ && giveUpWaiting_())) return -1;
    }
  }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
  GiveUpWaiting giveUpWaiting_;
};

class RealWritableFile final : public WritableFile {
 public:
  explicit RealWritableFile(int fd) : fd_(fd) {}
  bool Write(std::string_view bytes) override { return WriteAll(fd_.get(), bytes); }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
};

class RealPatchableFile final : public PatchableFile {
 public:
  explicit RealPatchableFile(int fd) : fd_(fd) {}
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    return SeekNative(fd_.get(), offset) && WriteAll(fd_.get(), bytes);
  }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
};

bool IsDirectory(const NativeString& native) {
#ifdef _WIN32
  struct _stat64 st;
  return ::_wstat64(native.c_str(), &st) == 0 && (st.st_mode & _S_IFDIR);
#else
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

}  // namespace

std::unique_ptr<ReadableFile> RealFileSystem::OpenForReading(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const NativeString native = ToNative(path);
  // Reading a folder "succeeds" to open on POSIX and fails later; refuse early.
  if (IsDirectory(native)) return nullptr;
  int fd = -1;
  do {
    // Opening a FIFO waits for a writer; a signal may end that wait.
    fd = OpenNative(native, O_RDONLY);
  } while (fd < 0 && errno == EINTR && !(giveUpWaiting_ && giveUpWaiting_()));
  if (fd < 0) return nullptr;
  return std::make_unique<RealReadableFile>(fd, giveUpWaiting_);
}

std::unique_ptr<WritableFile> RealFileSystem::CreateFile(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = OpenNative(ToNative(path), O_WRONLY | O_CREAT | O_TRUNC, kCreateMode);
  if (fd < 0) return nullptr;
  return std::make_unique<RealWritableFile>(fd);
}

std::unique_ptr<WritableFile> RealFileSystem::OpenForAppending(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = OpenNative(ToNative(path), O_WRONLY | O_APPEND);
  if (fd < 0) return nullptr;
  return std::make_unique<RealWritableFile>(fd);
}

std::unique_ptr<PatchableFile> RealFileSystem::OpenForPatching(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = OpenNative(ToNative(path), O_RDWR);
  if (fd < 0) return nullptr;
  return std::make_unique<RealPatchableFile>(fd);
}

MakeFoldersResult RealFileSystem::MakeFolders(const std::string& folder) {
  if (folder.empty()) return MakeFoldersResult::kOk;
  if (folder.find('\0') != std::string::npos) return MakeFoldersResult::kFailed;
  const std::filesystem::path native = FsPath(folder);
  std::error_code ec;
  std::filesystem::create_directories(native, ec);
  if (!ec) return MakeFoldersResult::kOk;
  if (ec == std::errc::io_error) return MakeFoldersResult::kIoError;
  // create_directories reports an error for some forms of an existing folder
  // (a trailing separator, a drive root); what counts is that it exists.
  std::error_code statError;
  if (std::filesystem::is_directory(native, statError)) return MakeFoldersResult::kOk;
  return MakeFoldersResult::kFailed;
}

bool RealFileSystem::RemoveFile(const std::string& path) {
  if (!Usable(path)) return false;
  return UnlinkNative(ToNative(path)) == 0;
}

bool RealFileSystem::ReplaceFile(const std::string& path, std::string_view contents) {
  if (!Usable(path)) return false;
  // The new file is completed and flushed beside the old one, then renamed
  // over it in one step.
  const std::string temporary = path + ".neu~";
  const NativeString nativeTemporary = ToNative(temporary);
  {
    const int fd = OpenNative(nativeTemporary, O_WRONLY | O_CREAT | O_TRUNC, kCreateMode);
    if (fd < 0) return false;
    Descriptor file(fd);
    const bool written = WriteAll(file.get(), contents) && SyncNative(file.get());
    if (!file.Close() || !written) {
      UnlinkNative(nativeTemporary);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(FsPath(temporary), FsPath(path), ec);
  if (ec) {
    UnlinkNative(nativeTemporary);
    return false;
  }
  return true;
}

bool RealFileSystem::SameFile(const std::string& a, const std::string& b) {
  if (!Usable(a) || !Usable(b)) return false;
  std::error_code ec;
  const bool same = std::filesystem::equivalent(FsPath(a), FsPath(b), ec);
  return !ec && same;
}

bool ReadWholeFile(FileSystem& fs, const std::string& path, std::string& contents) {
  contents.clear();
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return false;
  char buffer[1 << 16];
  for (;;) {
    const std::ptrdiff_t n = file->Read(buffer, sizeof buffer);
    if (n < 0) {
      file->Close();
      return false;
    }
    if (n == 0) break;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  return file->Close();
}

}  // namespace morvatex
