// The part of FileSystem's real implementation that both platforms share. It
// reaches the operating system only through base/NativeFiles.h, which
// RealFileSystem-posix.cpp and RealFileSystem-win32.cpp implement; paths turn
// into the system's form there and only there.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/NativeFiles.h"
#include "base/PathIdentity.h"
#include "base/StagedName.h"

namespace morvatex {

// One generator per thread: conversions may run on several at once.
std::string os::RandomEnding() {
  thread_local std::mt19937_64 random = [] {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return std::mt19937_64((std::uint64_t{device()} << 32) ^ now);
  }();
  constexpr std::string_view kLetters = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string ending;
  for (std::size_t i = 0; i < kStagedEndingLength; ++i) ending += kLetters[random() % kLetters.size()];
  return ending;
}

namespace {

using os::FileKind;
using os::NativeString;

// errno of the call that just failed; EIO should the system have left none.
int ErrorNumber() { return errno != 0 ? errno : EIO; }

// A path with a NUL byte would be cut short by the system; refuse it instead.
bool Usable(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

// Writes as much of `bytes` as the system takes; returns how much that was.
std::size_t WriteSome(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long long n = os::WriteNative(fd, bytes.data() + done, bytes.size() - done);
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
    if (fd_ >= 0) os::CloseNative(fd_);
  }
  int Fd() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    return os::CloseNative(fd) == 0;
  }

 private:
  int fd_;
};

class RealReadableFile final : public ReadableFile {
 public:
  // `waitFirst`: a source that may block (a FIFO, a terminal); each read
  // waits in WaitReadable first.
  RealReadableFile(int fd, os::GiveUpWaiting giveUpWaiting, bool waitFirst)
      : fd_(fd), giveUpWaiting_(giveUpWaiting), waitFirst_(waitFirst && giveUpWaiting) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      if (waitFirst_ && !os::WaitReadable(fd_.Fd(), giveUpWaiting_)) return -1;
      const long long n = os::ReadNative(fd_.Fd(), buffer, capacity);
      if (n >= 0) {
        at_ += static_cast<std::uint64_t>(n);
        return static_cast<std::ptrdiff_t>(n);
      }
      if (waitFirst_ && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (errno != EINTR || (giveUpWaiting_ && giveUpWaiting_())) return -1;
    }
  }
  // A file seeks; a source that may block (which cannot) reads and drops.
  bool Skip(std::uint64_t bytes) override {
    if (waitFirst_) return ReadableFile::Skip(bytes);
    if (!os::SeekNative(fd_.Fd(), at_ + bytes)) return false;
    at_ += bytes;
    return true;
  }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
  os::GiveUpWaiting giveUpWaiting_;
  bool waitFirst_;
  std::uint64_t at_ = 0;  // the offset of the next read
};

class RealWritableFile final : public WritableFile {
 public:
  explicit RealWritableFile(int fd) : fd_(fd) {}
  bool Write(std::string_view bytes) override { return WriteAll(fd_.Fd(), bytes); }
  std::size_t WriteCounted(std::string_view bytes) override { return WriteSome(fd_.Fd(), bytes); }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
};

class RealPatchableFile final : public PatchableFile {
 public:
  explicit RealPatchableFile(int fd) : fd_(fd) {}
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    return os::SeekNative(fd_.Fd(), offset) && WriteAll(fd_.Fd(), bytes);
  }
  bool Close() override { return fd_.Close(); }

 private:
  Descriptor fd_;
};

// The file the link `target` stands for, so that the new file replaces the
// file it names and the link stays; the path itself when the file's path
// has no Windows-1252 form.
std::string LinkedPath(const std::string& target) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(os::FsPath(target), ec);
  if (ec) return target;
  return Utf8ToCp1252(resolved.string()).value_or(target);
}

// Where a link that names no file (yet) leads: the end of its chain of
// links, so that the new file is created there, as writing through the link
// would create it, and the link stays. A relative link counts from its own
// folder. The link itself when the chain cannot be read.
std::string DanglingLinkEnd(const std::string& target) {
  std::filesystem::path at = os::FsPath(target);
  std::error_code ec;  // symlink_status sets it for the missing end, which is what is looked for
  for (int hop = 0; hop < 64 && std::filesystem::is_symlink(std::filesystem::symlink_status(at, ec)); ++hop) {
    const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
    if (ec) return target;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return Utf8ToCp1252(at.string()).value_or(target);
}

// The file `target` names, its links followed (see LinkedPath and
// DanglingLinkEnd), and what it is.
std::string FinalPathOf(const std::string& target, FileKind& kind) {
  bool isLink = false;
  kind = os::KindOf(os::ToNative(target), isLink);
  if (!isLink || kind == FileKind::kLinkLoop) return target;
  return kind == FileKind::kMissing ? DanglingLinkEnd(target) : LinkedPath(target);
}

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
  const std::size_t nameStart = os::NameStart(finalPath);
  const std::string_view name = std::string_view(finalPath).substr(nameStart);
  // "NAME.~ending" while it fits the usual limit of 255; else, or when the
  // file system allows less, the name with its last eight characters
  // replaced by the ending: never longer than the name in bytes or in
  // UTF-16 units, it fits wherever the name itself does.
  constexpr std::size_t kNameMax = 255;
  constexpr std::size_t kEndingLength = kStagedEndingLength + 2;
  bool sameLength = os::NativeLength(name) + kEndingLength > kNameMax;
  made.error = EEXIST;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidateName = StagedName(name, os::RandomEnding(), sameLength);
    // A shortened name must never be the target's own, also where the file
    // system ignores case.
    if (SamePathOnWindows(candidateName, name)) continue;
    const std::string candidate = finalPath.substr(0, nameStart) + candidateName;
    const NativeString native = os::ToNative(candidate);
    errno = 0;
    const int fd = os::OpenNative(native, O_WRONLY | O_CREAT | O_EXCL, os::kCreateMode);
    if (fd >= 0) {
      os::TakeOverMode(fd, os::ToNative(finalPath), reopened);
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
  const NativeString native = os::ToNative(path);
  bool mayBlock = false;
  int flags = O_RDONLY;
  if (!os::PrepareReading(native, giveUpWaiting_ != nullptr, flags, mayBlock)) return nullptr;
  int fd = -1;
  do {
    fd = os::OpenNative(native, flags);
  } while (fd < 0 && errno == EINTR && !(giveUpWaiting_ && giveUpWaiting_()));
  if (fd < 0) return nullptr;
  return std::make_unique<RealReadableFile>(fd, giveUpWaiting_, mayBlock);
}

std::unique_ptr<WritableFile> RealFileSystem::CreateFile(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = os::OpenNative(os::ToNative(path), O_WRONLY | O_CREAT | O_TRUNC, os::kCreateMode);
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
    // Said in errno as ReplaceFileErrorNumber says it: a caller shows why.
    case FileKind::kFolder: errno = EISDIR; return staged;
    case FileKind::kLinkLoop: errno = ELOOP; return staged;
    case FileKind::kOther: {  // a device or a pipe takes the bytes itself
      const int fd = os::OpenNative(os::ToNative(target), O_WRONLY | O_CREAT | O_TRUNC, os::kCreateMode);
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
  return os::RenameNative(from, to) == 0;
}

std::unique_ptr<WritableFile> RealFileSystem::OpenForAppending(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = os::OpenNative(os::ToNative(path), O_WRONLY | O_APPEND);
  if (fd < 0) return nullptr;
  return std::make_unique<RealWritableFile>(fd);
}

std::unique_ptr<PatchableFile> RealFileSystem::OpenForPatching(const std::string& path) {
  if (!Usable(path)) return nullptr;
  const int fd = os::OpenNative(os::ToNative(path), O_RDWR);
  if (fd < 0) return nullptr;
  return std::make_unique<RealPatchableFile>(fd);
}

MakeFoldersResult RealFileSystem::MakeFolders(const std::string& folder) {
  if (folder.empty()) return MakeFoldersResult::kOk;
  if (folder.find('\0') != std::string::npos) return MakeFoldersResult::kFailed;
  std::filesystem::path native = os::FsPath(folder);
  // "C:" alone is the current folder of drive C (the folder part of
  // "C:teil.cnc" or "C:/cnc/teil.cnc", the latter a path that the folder rules
  // split at the colon only); msvcrt's stat finds it only as "C:.". Only
  // Windows paths have a root name.
  if (native.has_root_name() && !native.has_root_directory() && !native.has_relative_path()) native += L".";
  std::error_code ec;
  std::filesystem::create_directories(native, ec);
  if (!ec) return MakeFoldersResult::kOk;
  if (ec == std::errc::io_error) return MakeFoldersResult::kIoError;
  // create_directories reports an error for some forms of an existing folder
  // (a trailing separator, a drive root); what counts is that it exists.
  std::error_code statError;
  if (std::filesystem::is_directory(native, statError)) return MakeFoldersResult::kOk;
  // The reason for the caller to show: create_directories leaves it in errno
  // only sometimes (not for a file in the folder's place on Windows).
  if (const std::error_condition reason = ec.default_error_condition(); reason.category() == std::generic_category())
    errno = reason.value();
  return MakeFoldersResult::kFailed;
}

bool RealFileSystem::RemoveFile(const std::string& path) {
  if (!Usable(path)) return false;
  return os::UnlinkNative(os::ToNative(path)) == 0;
}

int RealFileSystem::ReplaceFileErrorNumber(const std::string& path, std::string_view contents) {
  if (!Usable(path)) return ENOENT;
  // The new file is completed and flushed beside the old one, then renamed
  // over it in one step; a link stays and the file it names is replaced.
  FileKind kind = FileKind::kMissing;
  const std::string finalPath = FinalPathOf(path, kind);
  switch (kind) {
    case FileKind::kFolder: return EISDIR;
    // A FIFO or a device would be replaced by a plain file (/dev/null
    // itself, for root), and its reader would never see the bytes.
    case FileKind::kOther: return kNotRegularFileError;
    case FileKind::kLinkLoop: return ELOOP;
    case FileKind::kMissing:
    case FileKind::kRegular: break;
  }
  const TemporaryFile temporary = CreateTemporaryBeside(finalPath, false);
  if (temporary.fd < 0) return temporary.error;
  const NativeString nativeTemporary = os::ToNative(temporary.path);
  {
    Descriptor file(temporary.fd);
    int failure = WriteAll(file.Fd(), contents) && os::SyncNative(file.Fd()) ? 0 : ErrorNumber();
    if (!file.Close() && failure == 0) failure = ErrorNumber();
    if (failure != 0) {
      os::UnlinkNative(nativeTemporary);
      return failure;
    }
  }
  const int renamed = os::RenameNative(temporary.path, finalPath);
  if (renamed != 0) os::UnlinkNative(nativeTemporary);
  return renamed;
}

FileIdentity RealFileSystem::IdentityOf(const std::string& path) {
  if (!Usable(path)) return {};
  return os::IdentityOf(os::ToNative(path));
}

bool RealFileSystem::IsSpecialFile(const std::string& path) {
  return Usable(path) && os::KindOf(os::ToNative(path)) == FileKind::kOther;
}

bool RealFileSystem::FolderWritable(const std::string& folder) {
  if (folder.find('\0') != std::string::npos) return false;
  return os::FolderWritable(os::ToNative(folder.empty() ? std::string(".") : folder));
}

std::string_view ReplaceRefusalText(int errorNumber) {
  if (errorNumber == kNotRegularFileError) return "not a regular file";
  if (errorNumber == ELOOP) return "a loop of symbolic links";
  return {};
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
