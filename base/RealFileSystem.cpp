// The operating system's side of FileSystem: POSIX calls, or their wide
// counterparts on Windows. Paths turn into the system's form here and only here.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
// windows.h makes CreateFile a macro for CreateFileA; here it would rename
// FileSystem::CreateFile in this file alone.
#undef CreateFile
#else
#include <poll.h>
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
int OpenNative(const NativeString& p, int flags, int mode = 0) {
  return ::_wopen(p.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}
int CloseNative(int fd) { return ::_close(fd); }
long long ReadNative(int fd, char* b, std::size_t n) {
  return ::_read(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
long long WriteNative(int fd, const char* b, std::size_t n) {
  return ::_write(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
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

// errno of the call that just failed; EIO should the system have left none.
int ErrorNumber() { return errno != 0 ? errno : EIO; }

// A path with a NUL byte would be cut short by the system; refuse it instead.
bool Usable(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

std::filesystem::path FsPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(Cp1252ToUtf16(path));
#else
  return std::filesystem::path(Cp1252ToUtf8(path));
#endif
}

// Renames `from` over `to` in one step; 0 or the errno of the failure.
int RenameNative(const std::string& from, const std::string& to) {
#ifdef _WIN32
  // Windows refuses to replace a file that someone holds open for a moment
  // (another writer's rename in progress, a virus scanner, the indexer);
  // such a refusal is tried again for up to a second.
  const NativeString source = ToNative(from), target = ToNative(to);
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
    const DWORD error = ::GetLastError();
    const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (busy && attempt < 50) {
      ::Sleep(20);
      continue;
    }
    switch (error) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND: return ENOENT;
      case ERROR_NOT_SAME_DEVICE: return EXDEV;
      case ERROR_DISK_FULL: return ENOSPC;
      default: return busy ? EACCES : EIO;
    }
  }
#else
  std::error_code ec;
  std::filesystem::rename(FsPath(from), FsPath(to), ec);
  return !ec ? 0 : ec.value() != 0 ? ec.value() : EIO;
#endif
}

// Writes as much of `bytes` as the system takes; returns how much that was.
std::size_t WriteSome(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long long n = WriteNative(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) {
      errno = ENOSPC;  // nothing written and no error: the device is full
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool WriteAll(int fd, std::string_view bytes) { return WriteSome(fd, bytes) == bytes.size(); }

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

#ifndef _WIN32
// Waits until `fd` can be read without blocking, asking `giveUp` at least
// every tenth of a second. A signal that arrives just before a blocking read
// would not interrupt it; this wait never misses one. False when given up.
bool WaitReadable(int fd, GiveUpWaiting giveUp) {
  for (;;) {
    if (giveUp()) return false;
    pollfd wanted{fd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, 100);
    if (ready > 0 || (ready < 0 && errno != EINTR)) return true;  // the read tells what it is
  }
}
#else
// Waits until the pipe `fd` holds data or has lost its writer, asking `giveUp`
// every tenth of a second: a read from an empty pipe waits where no Ctrl-C
// reaches it. Other devices are read at once. False when given up.
bool WaitReadable(int fd, GiveUpWaiting giveUp) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (::GetFileType(handle) != FILE_TYPE_PIPE) return !giveUp();
  for (;;) {
    if (giveUp()) return false;
    DWORD available = 0;
    if (!::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
      return true;  // the read tells what it is
    }
    ::Sleep(100);
  }
}
#endif

class RealReadableFile final : public ReadableFile {
 public:
  // `waitFirst`: a source that may block (a FIFO, a terminal); each read
  // waits in WaitReadable first.
  RealReadableFile(int fd, GiveUpWaiting giveUpWaiting, bool waitFirst)
      : fd_(fd), giveUpWaiting_(giveUpWaiting), waitFirst_(waitFirst && giveUpWaiting) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      if (waitFirst_ && !WaitReadable(fd_.get(), giveUpWaiting_)) return -1;
      const long long n = ReadNative(fd_.get(), buffer, capacity);
      if (n >= 0) return static_cast<std::ptrdiff_t>(n);
      if (waitFirst_ && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (errno != EINTR || (giveUpWaiting_ && giveUpWaiting_())) return -1;
    }
  }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
  GiveUpWaiting giveUpWaiting_;
  bool waitFirst_;
};

class RealWritableFile final : public WritableFile {
 public:
  explicit RealWritableFile(int fd) : fd_(fd) {}
  bool Write(std::string_view bytes) override { return WriteAll(fd_.get(), bytes); }
  std::size_t WriteCounted(std::string_view bytes) override { return WriteSome(fd_.get(), bytes); }
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

enum class FileKind { kMissing, kRegular, kFolder, kOther };

#ifndef _WIN32
FileKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return FileKind::kFolder;
  return S_ISREG(mode) ? FileKind::kRegular : FileKind::kOther;
}
#endif

#ifdef _WIN32
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// `native` without the separators at its end, which the C library's stat
// refuses (to it "C:\cnc\" is missing, "C:\cnc" a folder); kept where they
// belong to a root: a drive ("C:\"), a share ("\\server\share\") or "\".
NativeString StatForm(const NativeString& native) {
  std::size_t end = native.size();
  while (end > 1 && IsSeparator(native[end - 1])) --end;
  if (end == native.size() || native[end - 1] == L':') return native;
  if (end == 1 && IsSeparator(native[0])) return native;
  // "\\server\share" is the root of a share: at most one separator after
  // the two that open it.
  if (native.size() > 2 && IsSeparator(native[0]) && IsSeparator(native[1])) {
    int inner = 0;
    for (std::size_t i = 2; i < end; ++i) inner += IsSeparator(native[i]) ? 1 : 0;
    if (inner <= 1) return native;
  }
  return native.substr(0, end);
}

// The devices Windows finds under these names in every folder ("NUL", "CON",
// "COM1"), and the paths of its device namespace ("\\.\pipe\name"), except a
// drive's files written so ("\\.\C:\name"). The C library's stat does not tell
// them; reading one may wait for ever.
bool NamesADevice(const NativeString& native) {
  if (native.size() >= 4 && IsSeparator(native[0]) && IsSeparator(native[1]) && native[2] == L'.' &&
      IsSeparator(native[3])) {
    const bool driveFile = native.size() >= 7 && native[5] == L':' && IsSeparator(native[6]);
    return !driveFile;
  }
  const std::size_t separator = native.find_last_of(L"\\/:");
  NativeString name = native.substr(separator == NativeString::npos ? 0 : separator + 1);
  for (wchar_t& c : name) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" || name == L"CONOUT$")
    return true;
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) && name[3] >= L'1' &&
         name[3] <= L'9';
}
#endif

// What `native` names, links followed.
FileKind KindOf(const NativeString& native) {
#ifdef _WIN32
  if (NamesADevice(native)) return FileKind::kOther;
  struct _stat64 st;
  const NativeString statForm = StatForm(native);
  if (::_wstat64(statForm.c_str(), &st) != 0) return FileKind::kMissing;
  if (st.st_mode & _S_IFDIR) return FileKind::kFolder;
  if (statForm.size() != native.size()) return FileKind::kMissing;  // "file\" names no file, as on POSIX
  return (st.st_mode & _S_IFREG) ? FileKind::kRegular : FileKind::kOther;
#else
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) return FileKind::kMissing;
  return KindOfMode(st.st_mode);
#endif
}

// The same, and whether `native` itself is a link: one look for a path that
// is none, as most targets are.
FileKind KindOf(const NativeString& native, bool& isLink) {
  isLink = false;
#ifndef _WIN32
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0) return FileKind::kMissing;
  isLink = S_ISLNK(st.st_mode);
  if (!isLink) return KindOfMode(st.st_mode);
#endif
  return KindOf(native);
}

// The file the link `target` stands for, so that the new file replaces the
// file it names and the link stays; the path itself when the file's path
// has no Windows-1252 form.
std::string LinkedPath(const std::string& target) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(FsPath(target), ec);
  if (ec) return target;
  return Utf8ToCp1252(resolved.string()).value_or(target);
}

// Six letters or digits that make a name nobody else is likely to use. One
// generator per thread: conversions may run on several at once.
std::string RandomEnding() {
  thread_local std::mt19937_64 random = [] {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return std::mt19937_64((std::uint64_t{device()} << 32) ^ now);
  }();
  constexpr std::string_view kLetters = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string ending;
  for (int i = 0; i < 6; ++i) ending += kLetters[random() % kLetters.size()];
  return ending;
}

// Where the last name of `path` begins.
std::size_t NameStart(const std::string& path) {
#ifdef _WIN32
  const std::size_t separator = path.find_last_of("/\\:");
#else
  const std::size_t separator = path.rfind('/');
#endif
  return separator == std::string::npos ? 0 : separator + 1;
}

// How long `name` is where the system counts it: UTF-16 units on Windows
// (one per Windows-1252 byte), UTF-8 bytes elsewhere.
std::size_t NativeLength(std::string_view name) {
#ifdef _WIN32
  return name.size();
#else
  return Cp1252ToUtf8(name).size();
#endif
}

// A shortened name must never be the target's own, also where the file
// system ignores case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The file `target` names, its links followed (see LinkedPath), and what it is.
std::string FinalPathOf(const std::string& target, FileKind& kind) {
  bool isLink = false;
  kind = KindOf(ToNative(target), isLink);
  return isLink ? LinkedPath(target) : target;
}

#ifndef _WIN32
// Gives the new file `fd` the permissions of the regular file `native` it
// will replace and, where this process may, its owner and group, as writing
// into the old file would have kept them. Only the rwx bits: a set-user-ID
// bit must not pass to a file of another owner. A file system that keeps no
// modes (FAT) refuses; the new file is as good as before then. `added`: bits
// the new file gets in any case.
void TakeOverMode(int fd, const NativeString& native, mode_t added) {
  struct stat old {};
  if (::stat(native.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
  struct stat made {};
  if (::fstat(fd, &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && made.st_gid != old.st_gid) {
      [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
  }
  [[maybe_unused]] const int changed = ::fchmod(fd, (old.st_mode & 0777) | added);
}
#endif

struct TemporaryFile {
  int fd = -1;
  std::string path;
  int error = 0;  // errno when fd < 0
};

// A new file beside `finalPath`, in its folder so that a rename puts it in
// place in one step. Created exclusively under a name no file had: it never
// opens a file or link of someone else, and two writers never share one.
// `reopened`: the file may be opened again for writing before it is put in
// place (a large drawing gets its extents so), so its owner keeps the right
// to write it even when the old file was read-only.
TemporaryFile CreateTemporaryBeside(const std::string& finalPath, bool reopened) {
  TemporaryFile made;
  const std::size_t nameStart = NameStart(finalPath);
  const std::string_view name = std::string_view(finalPath).substr(nameStart);
  // "NAME.~ending" while it fits the usual limit of 255; else, or when the
  // file system allows less, the name with its last eight characters
  // replaced by the ending: never longer than the name in bytes or in
  // UTF-16 units, it fits wherever the name itself does.
  constexpr std::size_t kNameMax = 255;
  constexpr std::size_t kEndingLength = 8;
  bool sameLength = NativeLength(name) + kEndingLength > kNameMax;
  made.error = EEXIST;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string_view kept =
        sameLength ? name.substr(0, name.size() - std::min(name.size(), kEndingLength)) : name;
    const std::string candidateName = std::string(kept) + ".~" + RandomEnding();
    if (SameNameIgnoringCase(candidateName, name)) continue;
    const std::string candidate = finalPath.substr(0, nameStart) + candidateName;
    const NativeString native = ToNative(candidate);
    errno = 0;
    const int fd = OpenNative(native, O_WRONLY | O_CREAT | O_EXCL, kCreateMode);
    if (fd >= 0) {
#ifndef _WIN32
      TakeOverMode(fd, ToNative(finalPath), reopened ? S_IWUSR : 0);
#else
      static_cast<void>(reopened);
#endif
      made.fd = fd;
      made.path = candidate;
      made.error = 0;
      return made;
    }
    made.error = ErrorNumber();
    if (made.error == ENAMETOOLONG && !sameLength) {
      sameLength = true;
      continue;
    }
    if (made.error != EEXIST) break;
  }
  return made;
}

}  // namespace

std::unique_ptr<ReadableFile> RealFileSystem::OpenForReading(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const NativeString native = ToNative(path);
  bool mayBlock = false;
  int flags = O_RDONLY;
#ifdef _WIN32
  const FileKind kind = KindOf(native);
  if (kind == FileKind::kFolder) return nullptr;
  // A pipe waits for data; each read waits in WaitReadable instead, which a
  // stop request can always end.
  mayBlock = giveUpWaiting_ && kind == FileKind::kOther;
#else
  // Reading a folder "succeeds" to open on POSIX and fails later; refuse early.
  struct stat info {};
  const bool exists = ::stat(native.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return nullptr;
  // Opening a FIFO waits for a writer, and reading it for data. When waiting
  // can be given up, it is opened without waiting and each read waits in
  // poll instead, which a signal can always end.
  if (giveUpWaiting_ && exists && !S_ISREG(info.st_mode)) {
    mayBlock = true;
    if (S_ISFIFO(info.st_mode)) flags |= O_NONBLOCK;
  }
#endif
  int fd = -1;
  do {
    fd = OpenNative(native, flags);
  } while (fd < 0 && errno == EINTR && !(giveUpWaiting_ && giveUpWaiting_()));
  if (fd < 0) return nullptr;
  return std::make_unique<RealReadableFile>(fd, giveUpWaiting_, mayBlock);
}

std::unique_ptr<WritableFile> RealFileSystem::CreateFile(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = OpenNative(ToNative(path), O_WRONLY | O_CREAT | O_TRUNC, kCreateMode);
  if (fd < 0) return nullptr;
  return std::make_unique<RealWritableFile>(fd);
}

StagedFile RealFileSystem::CreateStagedFile(const std::string& target) {
  StagedFile staged;
  staged.path = staged.finalPath = target;
  if (!Usable(target)) return staged;
  FileKind kind = FileKind::kMissing;
  const std::string finalPath = FinalPathOf(target, kind);
  switch (kind) {
    case FileKind::kFolder: return staged;
    case FileKind::kOther: {  // a device or a pipe takes the bytes itself
      const int fd = OpenNative(ToNative(target), O_WRONLY | O_CREAT | O_TRUNC, kCreateMode);
      if (fd >= 0) staged.file = std::make_unique<RealWritableFile>(fd);
      return staged;
    }
    case FileKind::kMissing:
    case FileKind::kRegular: break;
  }
  staged.finalPath = finalPath;
  const TemporaryFile temporary = CreateTemporaryBeside(finalPath, true);
  if (temporary.fd >= 0) {
    staged.path = temporary.path;
    staged.file = std::make_unique<RealWritableFile>(temporary.fd);
  }
  return staged;
}

bool RealFileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (!Usable(from) || !Usable(to)) return false;
  return RenameNative(from, to) == 0;
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
  std::filesystem::path native = FsPath(folder);
#ifdef _WIN32
  // "C:" alone is the current folder of drive C (the folder part of
  // "C:teil.cnc" or "C:/cnc/teil.cnc", the latter a path that the folder rules
  // split at the colon only); msvcrt's stat finds it only as "C:.".
  if (native.has_root_name() && !native.has_root_directory() && !native.has_relative_path()) native += L".";
#endif
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

int RealFileSystem::ReplaceFileErrorNumber(const std::string& path, std::string_view contents) {
  if (!Usable(path)) return EINVAL;
  // The new file is completed and flushed beside the old one, then renamed
  // over it in one step; a link stays and the file it names is replaced.
  FileKind kind = FileKind::kMissing;
  const std::string finalPath = FinalPathOf(path, kind);
  if (kind == FileKind::kFolder) return EISDIR;
  const TemporaryFile temporary = CreateTemporaryBeside(finalPath, false);
  if (temporary.fd < 0) return temporary.error;
  const NativeString nativeTemporary = ToNative(temporary.path);
  {
    Descriptor file(temporary.fd);
    int failure = WriteAll(file.get(), contents) && SyncNative(file.get()) ? 0 : ErrorNumber();
    if (!file.Close() && failure == 0) failure = ErrorNumber();
    if (failure != 0) {
      UnlinkNative(nativeTemporary);
      return failure;
    }
  }
  const int renamed = RenameNative(temporary.path, finalPath);
  if (renamed != 0) UnlinkNative(nativeTemporary);
  return renamed;
}

FileIdentity RealFileSystem::IdentityOf(const std::string& path) {
  FileIdentity identity;
  if (!Usable(path)) return identity;
  const NativeString native = ToNative(path);
#ifdef _WIN32
  if (NamesADevice(native)) {
    // Opening a pipe to ask would take the place of its reader; a device is
    // told by its name ("C:\x\NUL" is NUL), a path in the device namespace
    // by the whole path, in any case.
    const bool deviceNamespace = native.size() >= 2 && IsSeparator(native[0]) && IsSeparator(native[1]);
    const NativeString name = deviceNamespace ? native : native.substr(native.find_last_of(L"\\/:") + 1);
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (wchar_t c : name) {
      hash ^= static_cast<std::uint64_t>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
      hash *= 1099511628211u;
    }
    return {true, ~std::uint64_t{0}, hash};
  }
  // Folders open only with backup semantics; no access right is asked for.
  const HANDLE file = ::CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info)) {
    identity = {true, info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  }
  ::CloseHandle(file);
#else
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0) {
    identity = {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
#endif
  return identity;
}

bool RealFileSystem::IsSpecialFile(const std::string& path) {
  return Usable(path) && KindOf(ToNative(path)) == FileKind::kOther;
}

bool RealFileSystem::FolderWritable(const std::string& folder) {
  if (folder.find('\0') != std::string::npos) return false;
  const NativeString native = ToNative(folder.empty() ? std::string(".") : folder);
#ifdef _WIN32
  // _waccess looks only at the read-only attribute, which Windows ignores on
  // folders, so a folder in "Program Files" would pass. Creating a file there
  // is what the system itself decides: the process's rights, a write-protected
  // medium. The file is hidden and gone when its handle closes.
  if (KindOf(native) != FileKind::kFolder) return false;
  const bool endsOpen = IsSeparator(native.back()) || native.back() == L':';
  const NativeString prefix = native + (endsOpen ? L"" : L"\\") + L".morvatex-probe-";
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string ending = RandomEnding();
    const HANDLE probe = ::CreateFileW(
        (prefix + NativeString(ending.begin(), ending.end())).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
#else
  // Creating an entry needs the right to search the folder as well.
  return ::access(native.c_str(), W_OK | X_OK) == 0;
#endif
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
