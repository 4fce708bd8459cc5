#include "tests/support/FakeFileSystem.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "base/StagedName.h"

namespace morvatex::testing {
namespace {

class FakeReadable final : public ReadableFile {
 public:
  FakeReadable(std::string contents, std::size_t failAfter, std::size_t outOfMemoryAfter, std::size_t chunk,
               bool failClose)
      : contents_(std::move(contents)),
        failAfter_(failAfter),
        outOfMemoryAfter_(outOfMemoryAfter),
        chunk_(chunk),
        failClose_(failClose) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (pos_ >= outOfMemoryAfter_ && pos_ < contents_.size()) throw std::bad_alloc();
    if (pos_ >= failAfter_ && pos_ < contents_.size()) return -1;
    std::size_t n = std::min({capacity, chunk_, contents_.size() - pos_});
    if (pos_ + n > failAfter_) n = failAfter_ - pos_;
    if (pos_ + n > outOfMemoryAfter_) n = outOfMemoryAfter_ - pos_;
    std::memcpy(buffer, contents_.data() + pos_, n);
    pos_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  bool Close() override { return !failClose_; }

 private:
  std::string contents_;
  std::size_t pos_ = 0;
  std::size_t failAfter_;
  std::size_t outOfMemoryAfter_;
  std::size_t chunk_;
  bool failClose_;
};

class FakeWritable final : public WritableFile {
 public:
  FakeWritable(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool Write(std::string_view bytes) override { return WriteCounted(bytes) == bytes.size(); }
  std::size_t WriteCounted(std::string_view bytes) override {
    const std::lock_guard lock(fs_.mutex);
    const std::string key = fs_.TargetOf(path_);
    const int number = ++fs_.writeCount[key];
    const auto fail = fs_.failWriteNumber.find(key);
    if (fail != fs_.failWriteNumber.end() && number >= fail->second) return 0;
    std::string& file = fs_.files[path_];
    if (const auto limit = fs_.outOfMemoryAfterBytes.find(key);
        limit != fs_.outOfMemoryAfterBytes.end() && file.size() + bytes.size() > limit->second)
      throw std::bad_alloc();
    std::size_t room = bytes.size();
    if (const auto full = fs_.failWriteAfterBytes.find(key); full != fs_.failWriteAfterBytes.end()) {
      room = full->second > file.size() ? std::min(room, full->second - file.size()) : 0;
    }
    file.append(bytes.substr(0, room));
    return room;
  }
  bool Close() override {
    const std::lock_guard lock(fs_.mutex);
    return fs_.failCloseWrite.count(fs_.TargetOf(path_)) == 0;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

class FakePatchable final : public PatchableFile {
 public:
  FakePatchable(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    const std::lock_guard lock(fs_.mutex);
    if (fs_.failPatchWrite.count(fs_.TargetOf(path_))) return false;
    std::string& file = fs_.files[path_];
    if (offset + bytes.size() > file.size()) file.resize(offset + bytes.size(), '\0');
    std::memcpy(file.data() + offset, bytes.data(), bytes.size());
    return true;
  }
  bool Close() override {
    const std::lock_guard lock(fs_.mutex);
    return fs_.failClosePatch.count(fs_.TargetOf(path_)) == 0;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

}  // namespace

std::unique_ptr<ReadableFile> FakeFileSystem::OpenForReading(const std::string& path) {
  const std::lock_guard lock(mutex);
  calls.push_back("open-read " + path);
  const auto it = files.find(path);
  if (it == files.end() || failOpenRead.count(path)) return nullptr;
  const auto failAfter = failReadAfterBytes.find(path);
  const auto outOfMemoryAfter = outOfMemoryAfterBytes.find(path);
  return std::make_unique<FakeReadable>(
      it->second, failAfter == failReadAfterBytes.end() ? it->second.size() : failAfter->second,
      outOfMemoryAfter == outOfMemoryAfterBytes.end() ? it->second.size() : outOfMemoryAfter->second, readChunk,
      failCloseRead.count(path) != 0);
}

std::unique_ptr<WritableFile> FakeFileSystem::CreateFile(const std::string& path) {
  const std::lock_guard lock(mutex);
  calls.push_back("create " + path);
  if (failCreate.count(path) || folders.count(path)) return nullptr;
  files[path].clear();
  writeCount[path] = 0;
  return std::make_unique<FakeWritable>(*this, path);
}

std::string FakeFileSystem::StagedPath(const std::string& target, int number) {
  std::string ending = std::to_string(number);
  ending.insert(0, kStagedEndingLength - std::min(ending.size(), kStagedEndingLength), '0');
  return StagedName(target, ending, false);
}

StagedFile FakeFileSystem::CreateStagedFile(const std::string& target) {
  const std::lock_guard lock(mutex);
  calls.push_back("stage " + target);
  StagedFile staged;
  staged.path = staged.finalPath = target;
  if (failCreate.count(target) || folders.count(target)) return staged;
  staged.path = StagedPath(target, ++stagedCount);
  stagedFor[staged.path] = target;
  files[staged.path].clear();
  writeCount[target] = 0;
  staged.file = std::make_unique<FakeWritable>(*this, staged.path);
  return staged;
}

bool FakeFileSystem::RenameFile(const std::string& from, const std::string& to) {
  const std::lock_guard lock(mutex);
  calls.push_back("rename " + from + " " + to);
  const auto it = files.find(from);
  if (it == files.end() || failRename.count(to) || folders.count(to)) return false;
  files[to] = std::move(it->second);
  files.erase(from);
  const auto stamp = modified.find(from);
  modified[to] = stamp != modified.end() && !stagedFor.count(from) ? stamp->second : ++clock;
  if (stamp != modified.end()) modified.erase(stamp);
  return true;
}

std::string FakeFileSystem::TargetOf(const std::string& path) const {
  const auto it = stagedFor.find(path);
  return it == stagedFor.end() ? path : it->second;
}

std::vector<std::string> FakeFileSystem::StagedFiles() const {
  std::vector<std::string> paths;
  for (const auto& [path, target] : stagedFor) {
    if (files.count(path)) paths.push_back(path);
  }
  return paths;
}

std::string FakeFileSystem::WrittenFor(const std::string& target, int stagedBefore) const {
  for (int n = stagedCount; n > stagedBefore; --n) {
    const std::string path = StagedPath(target, n);
    const auto staged = stagedFor.find(path);
    if (staged == stagedFor.end() || staged->second != target) continue;
    if (const auto it = files.find(path); it != files.end()) return it->second;
    if (const auto it = removed.find(path); it != removed.end()) return it->second;
    break;  // renamed over the target
  }
  const auto it = files.find(target);
  return it == files.end() ? std::string() : it->second;
}

std::unique_ptr<WritableFile> FakeFileSystem::OpenForAppending(const std::string& path) {
  const std::lock_guard lock(mutex);
  calls.push_back("append " + path);
  if (!files.count(path) || failCreate.count(path)) return nullptr;
  return std::make_unique<FakeWritable>(*this, path);
}

std::unique_ptr<PatchableFile> FakeFileSystem::OpenForPatching(const std::string& path) {
  const std::lock_guard lock(mutex);
  calls.push_back("patch " + path);
  if (!files.count(path) || failOpenPatch.count(TargetOf(path))) return nullptr;
  return std::make_unique<FakePatchable>(*this, path);
}

MakeFoldersResult FakeFileSystem::MakeFolders(const std::string& folder) {
  const std::lock_guard lock(mutex);
  calls.push_back("mkdir " + folder);
  if (makeFoldersResult) return *makeFoldersResult;
  if (!folder.empty()) folders.insert(folder);
  return MakeFoldersResult::kOk;
}

bool FakeFileSystem::RemoveFile(const std::string& path) {
  const std::lock_guard lock(mutex);
  calls.push_back("remove " + path);
  const auto it = files.find(path);
  if (it == files.end()) return false;
  removed[path] = std::move(it->second);
  files.erase(it);
  modified.erase(path);
  return true;
}

int FakeFileSystem::ReplaceFileErrorNumber(const std::string& path, std::string_view contents) {
  const std::lock_guard lock(mutex);
  calls.push_back("replace " + path);
  if (failReplace.count(path)) return replaceErrorNumber;
  if (specialFiles.count(path)) return kNotRegularFileError;  // as the real one refuses them
  if (const auto limit = outOfMemoryAfterBytes.find(path);
      limit != outOfMemoryAfterBytes.end() && contents.size() > limit->second)
    throw std::bad_alloc();
  files[path] = std::string(contents);
  modified[path] = ++clock;
  return 0;
}

FileIdentity FakeFileSystem::IdentityOf(const std::string& path) {
  const std::lock_guard lock(mutex);
  if (files.count(path) == 0) return {};
  return {true, 0, std::hash<std::string>{}(path)};
}

bool FakeFileSystem::IsSpecialFile(const std::string& path) {
  const std::lock_guard lock(mutex);
  return specialFiles.count(path) != 0;
}

bool FakeFileSystem::FolderWritable(const std::string& folder) {
  const std::lock_guard lock(mutex);
  return readOnlyFolders.count(folder) == 0;
}

FileStatus FakeFileSystem::StatusOf(const std::string& path) {
  const std::lock_guard lock(mutex);
  if (const auto file = files.find(path); file != files.end()) {
    const auto stamp = modified.find(path);
    return {true, false, file->second.size(), stamp == modified.end() ? 0 : stamp->second};
  }
  const std::string below = path + "/";
  const bool folder = folders.count(path) != 0 || std::any_of(files.begin(), files.end(), [&](const auto& file) {
                        return file.first.rfind(below, 0) == 0;
                      });
  return {folder, folder, 0, 0};
}

bool FakeFileSystem::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  const std::lock_guard lock(mutex);
  calls.push_back("list " + folder);
  if (failListFolder.count(folder)) return false;
  const std::string below = folder + "/";
  std::map<std::string, bool> names;  // name -> is a folder
  bool found = folders.count(folder) != 0;
  auto take = [&](const std::string& path, bool isFolder) {
    if (path.rfind(below, 0) != 0 || path.size() == below.size()) return;
    found = true;
    const std::string rest = path.substr(below.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) {
      names[rest] = names[rest] || isFolder;
    } else {
      names[rest.substr(0, slash)] = true;
    }
  };
  for (const auto& [path, contents] : files) take(path, false);
  for (const std::string& path : folders) take(path, true);
  if (!found) return false;
  for (const auto& [name, isFolder] : names)
    entries.push_back({name, isFolder, links.count(below + name) != 0, unheldNames.count(below + name) != 0});
  return true;
}

namespace {

class FakeLock final : public FileLock {
 public:
  FakeLock(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  ~FakeLock() override {
    const std::lock_guard lock(fs_.mutex);
    fs_.locks.erase(path_);
  }
  FakeLock(const FakeLock&) = delete;
  FakeLock& operator=(const FakeLock&) = delete;

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

}  // namespace

FileLockResult FakeFileSystem::TryLock(const std::string& path, std::string_view holder,
                                       std::unique_ptr<FileLock>& lock, std::string& heldBy) {
  const std::lock_guard guard(mutex);
  calls.push_back("lock " + path);
  lock.reset();
  heldBy.clear();
  if (failLock.count(path)) return FileLockResult::kUnavailable;
  if (const auto held = locks.find(path); held != locks.end()) {
    heldBy = held->second;
    return FileLockResult::kHeld;
  }
  locks[path] = holder;
  lock = std::make_unique<FakeLock>(*this, path);
  return FileLockResult::kTaken;
}

bool FakeFileSystem::Called(const std::string& prefix) const {
  return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

}  // namespace morvatex::testing
