// The one way the core reaches the disk.
//
// Paths are Windows-1252 text, as the program keeps them everywhere; the real
// implementation converts them for the operating system. Tests use a fake
// (tests/support/FakeFileSystem.h) that can fail any single operation, so
// every outcome code of a conversion can be reached on purpose.
//
// Every operation reports its failure as a value; nothing throws.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvatex {

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to `capacity` bytes into `buffer`. Returns the number read,
  // 0 at the end of the file, or -1 when the read failed.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t capacity) = 0;
  // Moves `bytes` on without handing them over (past the end: the next Read
  // gives 0); false when a read failed. Reads and drops them unless the
  // file can seek.
  virtual bool Skip(std::uint64_t bytes) {
    char buffer[4096];
    while (bytes > 0) {
      const std::ptrdiff_t n = Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, sizeof buffer)));
      if (n <= 0) return n == 0;
      bytes -= static_cast<std::uint64_t>(n);
    }
    return true;
  }
  // Closes the file; false when closing failed. Called at most once.
  virtual bool Close() = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Hands all of `bytes` to the operating system at once (no buffering in
  // between, so a failure belongs to the write that caused it). False when
  // not every byte could be written.
  virtual bool Write(std::string_view bytes) = 0;
  // The same, telling how many bytes reached the file: bytes.size() when
  // the write succeeded, fewer when it failed part way (a full disk). A file
  // that cannot tell counts none of a failed write.
  virtual std::size_t WriteCounted(std::string_view bytes) { return Write(bytes) ? bytes.size() : 0; }
  // Closes the file; false when closing failed. Called at most once.
  virtual bool Close() = 0;
};

// An existing file opened to overwrite bytes at fixed offsets.
class PatchableFile {
 public:
  virtual ~PatchableFile() = default;
  // Overwrites bytes.size() bytes from `offset` on; false on failure.
  virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
  virtual bool Close() = 0;
};

// Where the output for a target is written: a new file beside the target,
// to be renamed over it once complete, or the target itself when it is a
// device or a pipe (nothing can be put in its place).
struct StagedFile {
  std::unique_ptr<WritableFile> file;  // null when it could not be created
  std::string path;                    // where the bytes go
  std::string finalPath;               // where they belong (the target, its links followed)
  bool Staged() const { return path != finalPath; }
};

// What tells one existing file from another, whatever path names it: two
// paths name the same file exactly when their identities are equal and the
// file exists.
struct FileIdentity {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t number = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What a look at one path finds, links followed. `modified` counts in the
// system's own unit from its own epoch: only equal or ordered, never shown.
struct FileStatus {
  bool exists = false;
  bool isFolder = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStatus&) const = default;
};

// One name in a folder.
struct FolderEntry {
  std::string name;       // without the folder, Windows-1252
  bool isFolder = false;  // links followed
  // A symbolic link, or on Windows a junction or another reparse point.
  bool isLink = false;
  // Windows-1252 cannot hold the name: `name` shows it with "?" for each
  // character it lacks, for a message; no path can name the file.
  bool nameUnheld = false;
};

// A lock held while the object lives; the system lets it go when the
// process ends in any way, so a killed holder leaves none behind.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

enum class FileLockResult {
  kTaken,
  kHeld,         // another holder has it
  kUnavailable,  // the lock file cannot be made or opened (errno says why)
};

enum class MakeFoldersResult {
  kOk,       // the folder exists now (or existed before)
  kFailed,   // it could not be created
  kIoError,  // the device reported an input/output error
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing file for reading; null when that fails.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;

  // Creates the file, replacing (truncating) one of that name; null on failure,
  // also when the path names a folder.
  virtual std::unique_ptr<WritableFile> CreateFile(const std::string& path) = 0;

  // Opens the file the output for `target` is written to (see StagedFile).
  // The new file gets a name beside the final path that no file had, so it
  // never replaces anything, and two writers never share one; for a long
  // name it is shortened so that it fits wherever the final one does. It
  // starts with the permissions (and, where the process may, the owner) of
  // the file it will replace. A link that names no file yet stays, and the
  // file it names is the final path. The file is null on failure, also when
  // the target names a folder or links in a loop.
  virtual StagedFile CreateStagedFile(const std::string& target) = 0;

  // Renames `from` to `to` in one step, replacing the file at `to`. False
  // when that failed; then both stay as they were.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;

  // How many bytes a writer should collect before each write to a file it
  // creates: large writes for a disk, 0 for one write per piece of text.
  virtual std::size_t PreferredWriteSize() const = 0;

  // Opens an existing file for appending at its end; null when the file is
  // missing or cannot be opened (a missing file is not created).
  virtual std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) = 0;

  // Opens an existing file for overwriting bytes in place; null on failure.
  virtual std::unique_ptr<PatchableFile> OpenForPatching(const std::string& path) = 0;

  // Creates `folder` with every missing parent. An empty text means the
  // current folder and succeeds. On failure errno says why, where known.
  virtual MakeFoldersResult MakeFolders(const std::string& folder) = 0;

  // Deletes a file; never deletes a folder. False when nothing was deleted.
  virtual bool RemoveFile(const std::string& path) = 0;

  // Replaces the file at `path` by one holding exactly `contents`, so that a
  // crash or a full disk halfway leaves either the old file or the complete
  // new one, never a short file. The new file is written under a name
  // beside it that no file had (as CreateStagedFile does), so concurrent
  // replacements each put a complete file in place; a link at `path` stays
  // and the file it names is replaced, keeping that file's permissions (and,
  // where the process may, its owner); a link that names no file yet makes
  // the file it names. Returns 0 when the new file is in place, otherwise
  // the platform's error number (errno) of the step that failed, which is
  // never 0. Refused before anything is written: a folder (EISDIR), a FIFO,
  // a device or a socket (kNotRegularFileError: no plain file may take its
  // place), links in a loop (ELOOP).
  virtual int ReplaceFileErrorNumber(const std::string& path, std::string_view contents) = 0;
  // The same, answering only whether the new file is in place.
  bool ReplaceFile(const std::string& path, std::string_view contents) {
    return ReplaceFileErrorNumber(path, contents) == 0;
  }

  // The identity of the file `path` names, links followed; `exists` false
  // when there is none (or the system cannot tell).
  virtual FileIdentity IdentityOf(const std::string& path) = 0;

  // True when both paths name the same existing file (also through links or
  // differently written paths).
  bool SameFile(const std::string& a, const std::string& b) {
    const FileIdentity first = IdentityOf(a);
    return first.exists && first == IdentityOf(b);
  }

  // True when `path` names something other than a regular file or a folder
  // (a FIFO, a device, a socket), links followed. Reading such a thing may
  // wait for ever, so files the program reads on its own account (a job
  // list, a log, remembered values) refuse it.
  virtual bool IsSpecialFile(const std::string& path) = 0;

  // True when this process may create files in the existing `folder` (empty:
  // the current folder), as the system itself decides it: a read-only mount
  // or an immutable folder says no even to the administrator.
  virtual bool FolderWritable(const std::string& folder) = 0;

  // What `path` is now (see FileStatus); `exists` false when nothing is
  // there or the system cannot tell.
  virtual FileStatus StatusOf(const std::string& path) = 0;

  // The names in `folder` ("." and ".." left out), in no set order; a name
  // that Windows-1252 cannot hold is marked `nameUnheld`. False when the
  // folder cannot be read; `entries` is then empty.
  virtual bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;

  // Takes the exclusive lock of the file at `path` without waiting, making
  // the file when missing, and writes `holder` into it. Another holder,
  // in this process too, is refused until its lock is let go: then
  // `heldBy` receives what it wrote (at most a short line).
  virtual FileLockResult TryLock(const std::string& path, std::string_view holder, std::unique_ptr<FileLock>& lock,
                                 std::string& heldBy) = 0;
};

// The error number of a whole-file save refused because the path names a
// FIFO, a device or a socket.
inline constexpr int kNotRegularFileError = EINVAL;

// Why ReplaceFileErrorNumber refused a path, for a message: "not a regular
// file", "a loop of symbolic links"; empty for any other error number.
std::string_view ReplaceRefusalText(int errorNumber);

// The operating system's file system.
class RealFileSystem final : public FileSystem {
 public:
  RealFileSystem() = default;
  // `giveUpWaiting` is asked whenever a signal interrupts a read or an open
  // that waits (a FIFO without data or writer, a terminal): when it answers
  // true, that read fails (returns -1) instead of waiting on, so that a stop
  // request takes effect. Without it such reads simply go on waiting.
  explicit RealFileSystem(bool (*giveUpWaiting)() noexcept) : giveUpWaiting_(giveUpWaiting) {}

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateFile(const std::string& path) override;
  StagedFile CreateStagedFile(const std::string& target) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::size_t PreferredWriteSize() const override { return std::size_t{1} << 20; }
  std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) override;
  std::unique_ptr<PatchableFile> OpenForPatching(const std::string& path) override;
  MakeFoldersResult MakeFolders(const std::string& folder) override;
  bool RemoveFile(const std::string& path) override;
  int ReplaceFileErrorNumber(const std::string& path, std::string_view contents) override;
  FileIdentity IdentityOf(const std::string& path) override;
  bool IsSpecialFile(const std::string& path) override;
  bool FolderWritable(const std::string& folder) override;
  FileStatus StatusOf(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
  FileLockResult TryLock(const std::string& path, std::string_view holder, std::unique_ptr<FileLock>& lock,
                         std::string& heldBy) override;

 private:
  bool (*giveUpWaiting_)() noexcept = nullptr;
};

// Reads a whole file; false when it cannot be opened, read or closed.
bool ReadWholeFile(FileSystem& fs, const std::string& path, std::string& contents);

}  // namespace morvatex
