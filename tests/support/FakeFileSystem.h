// An in-memory FileSystem for tests. Every operation can be made to fail on
// purpose, and every call is recorded, so a test can reach each outcome code
// of a conversion and check which files were touched.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace morvatex::testing {

class FakeFileSystem final : public FileSystem {
 public:
  // Files by path, with their whole contents.
  std::map<std::string, std::string> files;
  // Folders made by MakeFolders (or put here by a test).
  std::set<std::string> folders;
  // One line per call: "open-read P", "create P", "stage P", "rename P Q",
  // "append P", "patch P", "mkdir P", "remove P", "replace P".
  std::vector<std::string> calls;
  // Staged files: StagedPath(T, N), "T.~00000N" (N counting from 1), the
  // real file system's form (base/StagedName.h), stands in for the target T.
  // Every failure switch and writeCount below names the target T, and then
  // acts on its staged file.
  std::map<std::string, std::string> stagedFor;

  // Failure switches, by path.
  std::set<std::string> failOpenRead;
  std::map<std::string, std::size_t> failReadAfterBytes;  // reads fail once this many bytes were delivered
  std::set<std::string> failCloseRead;
  std::set<std::string> failCreate;
  std::map<std::string, int> failWriteNumber;              // the n-th Write call (1-based) and all after it fail
  std::map<std::string, std::size_t> failWriteAfterBytes;  // a full disk: bytes beyond this many are refused
  std::set<std::string> failRename;                        // by the path renamed to
  std::set<std::string> failCloseWrite;
  std::set<std::string> failOpenPatch;
  std::set<std::string> failPatchWrite;
  std::set<std::string> failClosePatch;
  std::set<std::string> failReplace;
  // Memory running out while a file's bytes are held: a read throws
  // std::bad_alloc once this many bytes were delivered, a write or a
  // ReplaceFile that would make the file longer than this throws it.
  std::map<std::string, std::size_t> outOfMemoryAfterBytes;
  std::set<std::string> readOnlyFolders;               // FolderWritable says no for these
  std::set<std::string> specialFiles;                  // FIFOs and devices: IsSpecialFile says yes
  int replaceErrorNumber = 28;                         // what a failing ReplaceFile reports (ENOSPC)
  std::optional<MakeFoldersResult> makeFoldersResult;  // when set, MakeFolders answers this
  std::set<std::string> failListFolder;                // ListFolder fails for these (an unreachable share)
  std::set<std::string> links;                         // ListFolder shows these as links
  std::set<std::string> unheldNames;                   // ListFolder shows these as names Windows-1252 lacks
  // What each lock taken and not yet let go wrote, by path; a path in
  // `failLock` cannot be locked at all.
  std::map<std::string, std::string> locks;
  std::set<std::string> failLock;
  // Modification times by path, in no unit; a file without one reads 0. A
  // rename carries the time along (or stamps a staged file afresh), and
  // ReplaceFile and a rename of a file without one stamp `clock` + 1.
  std::map<std::string, std::int64_t> modified;
  std::int64_t clock = 1000;
  std::size_t readChunk = 1 << 16;  // the most bytes one Read returns
  std::size_t writeSize = 0;        // what PreferredWriteSize answers

  // Held by every operation and file call, so that conversions on several
  // threads may share the fake (the members above are for the test's own
  // thread, before and after).
  std::mutex mutex;

  // Number of Write calls made on each path so far.
  std::map<std::string, int> writeCount;
  // Staged files created so far.
  int stagedCount = 0;
  // The staged file number `number` of `target`.
  static std::string StagedPath(const std::string& target, int number);
  // The last contents of every file removed.
  std::map<std::string, std::string> removed;

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateFile(const std::string& path) override;
  StagedFile CreateStagedFile(const std::string& target) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::size_t PreferredWriteSize() const override { return writeSize; }
  std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) override;
  std::unique_ptr<PatchableFile> OpenForPatching(const std::string& path) override;
  MakeFoldersResult MakeFolders(const std::string& folder) override;
  bool RemoveFile(const std::string& path) override;
  int ReplaceFileErrorNumber(const std::string& path, std::string_view contents) override;
  // A file's identity is its path: the fake knows no links.
  FileIdentity IdentityOf(const std::string& path) override;
  bool IsSpecialFile(const std::string& path) override;
  bool FolderWritable(const std::string& folder) override;
  // Folders are those in `folders` and every folder above a file, paths
  // separated by "/".
  FileStatus StatusOf(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
  FileLockResult TryLock(const std::string& path, std::string_view holder, std::unique_ptr<FileLock>& lock,
                         std::string& heldBy) override;

  bool Exists(const std::string& path) const { return files.count(path) != 0; }
  // The target a path stands for: T for a staged file of T, else the path.
  std::string TargetOf(const std::string& path) const;
  // The paths of the staged files that still exist.
  std::vector<std::string> StagedFiles() const;
  // What the newest staged file of `target` after the first `stagedBefore`
  // ones held at last (still there, renamed over the target, or removed);
  // without one, the file at the target, or nothing.
  std::string WrittenFor(const std::string& target, int stagedBefore) const;
  // True when some recorded call begins with `prefix`.
  bool Called(const std::string& prefix) const;
};

}  // namespace morvatex::testing
