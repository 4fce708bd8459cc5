#include "batch/FolderWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "base/PathIdentity.h"
#include "base/StagedName.h"
#include "batch/TargetPath.h"

namespace morvatex {
namespace {

// Output failures are retried after this, doubling up to the longest wait,
// so that a target share that stays away costs a report a few times an hour.
constexpr WatchTime kFirstRetry{5000};
constexpr WatchTime kLongestRetry{300000};

WatchNote MakeNote(WatchNote::Kind kind, std::string path, int errorNumber = 0, std::string holder = {}) {
  return {kind, std::move(path), errorNumber, std::move(holder)};
}

WatchTime RetryDelay(int retries) {
  return std::min<WatchTime>(kLongestRetry, kFirstRetry * (std::int64_t{1} << std::min(retries, 10)));
}

}  // namespace

bool IsOutputFailure(Outcome code) {
  const std::int32_t number = NumberOf(code);
  return number >= NumberOf(Outcome::kDxfCreate) && number <= NumberOf(Outcome::kXilogHeaderOrContourStart);
}

std::string FreeNameFor(FileSystem& fs, const std::string& path, PathSyntax syntax) {
  if (!fs.StatusOf(path).exists) return path;
  const std::string folder = FolderPart(path, syntax);
  const std::string name = FileNamePart(path, syntax);
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string ending = stem.size() == name.size() ? std::string() : name.substr(dot);
  for (int number = 2;; ++number) {
    const std::string candidate = folder + stem + " (" + std::to_string(number) + ")" + ending;
    if (!fs.StatusOf(candidate).exists) return candidate;
  }
}

int MoveFileTo(FileSystem& fs, const std::string& from, const std::string& to, PathSyntax syntax) {
  // The fake sets no errno: a failure without one is an input/output error.
  const auto reason = [] { return errno != 0 ? errno : EIO; };
  const std::string folder = FolderPart(to, syntax);
  errno = 0;
  if (!folder.empty() && fs.MakeFolders(folder.substr(0, folder.size() - 1)) != MakeFoldersResult::kOk) return reason();
  errno = 0;
  if (fs.RenameFile(from, to)) return 0;
  const int renameError = reason();
  // Another device: a copy that is complete before the original goes.
  std::string contents;
  if (!ReadWholeFile(fs, from, contents)) return renameError;
  if (const int copyError = fs.ReplaceFileErrorNumber(to, contents); copyError != 0)
    return renameError == EXDEV ? copyError : renameError;
  errno = 0;
  if (fs.RemoveFile(from)) return 0;
  const int removeError = reason();
  fs.RemoveFile(to);  // the original could not go: one copy is enough
  return removeError;
}

std::optional<WatchNote::Kind> ArchiveConflict(FileSystem& fs, const WatchedFolder& folder, PathSyntax syntax) {
  if (folder.archive.empty()) return std::nullopt;
  const FileIdentity archive = fs.IdentityOf(folder.archive);
  if (!archive.exists) {
    // Not there yet: the folder only when written alike (in another case
    // on Windows it names the folder, which has an identity).
    if (folder.archive == folder.folder) return WatchNote::Kind::kArchiveIsFolder;
    return std::nullopt;
  }
  // Up from the watched folder through "..", as the system resolves it.
  constexpr int kDeepest = 256;
  std::string up = folder.folder;
  FileIdentity below;
  for (int depth = 0; depth < kDeepest; ++depth) {
    const FileIdentity here = fs.IdentityOf(up);
    if (!here.exists || here == below) break;  // the root is its own parent
    if (here == archive) {
      if (depth == 0) return WatchNote::Kind::kArchiveIsFolder;
      return folder.recursive ? std::optional(WatchNote::Kind::kArchiveHolds) : std::nullopt;
    }
    below = here;
    up += FolderSeparator(syntax) + std::string("..");
  }
  return std::nullopt;
}

FolderWatch::FolderWatch(WatchedFolder folder, const SettingsRecord& settings, FileSystem& fs, PathSyntax syntax)
    : folder_(std::move(folder)), settings_(settings), fs_(fs), syntax_(syntax) {}

void FolderWatch::RememberFailedChecks(std::string path, std::optional<ControlModel> checking) {
  failedChecksPath_ = std::move(path);
  checking_ = checking;
}

std::string FolderWatch::TargetOf(const std::string& source) const { return TargetPathFor(source, settings_, syntax_); }

FileLockResult FolderWatch::Claim(std::string_view holder) {
  if (lockBeside_.empty()) {
    claimed_ = true;
    return FileLockResult::kTaken;
  }
  // A folder away (a share not there yet) is locked when it comes.
  const FileStatus status = fs_.StatusOf(folder_.folder);
  if (!status.exists || !status.isFolder) return FileLockResult::kUnavailable;
  // Not inside the folder: an open file there would keep a removed folder
  // alive for the system, whose notices would then never say it went.
  const FileIdentity identity = fs_.IdentityOf(folder_.folder);
  const std::uint64_t key = identity.exists ? identity.device * 0x9E3779B97F4A7C15u ^ identity.number
                                            : std::hash<std::string>{}(folder_.folder);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(key));
  const std::string path = lockBeside_ + ".waechter-" + hex;
  std::string heldBy;
  errno = 0;
  const FileLockResult result = fs_.TryLock(path, holder, lock_, heldBy);
  const int reason = errno != 0 ? errno : EIO;
  if (result == FileLockResult::kHeld) {
    if (!heldNoted_) notes_.push_back(MakeNote(WatchNote::Kind::kHeld, folder_.folder, 0, heldBy));
    heldNoted_ = true;
    return result;
  }
  heldNoted_ = false;
  claimed_ = true;
  if (result == FileLockResult::kUnavailable)
    notes_.push_back(MakeNote(WatchNote::Kind::kNoLock, folder_.folder, reason));
  return result;
}

void FolderWatch::PassOver(const std::string& path, WatchNote::Kind kind) {
  passedNow_[path] = kind;
  const auto before = passedOver_.find(path);
  if (before == passedOver_.end() || before->second != kind) notes_.push_back(MakeNote(kind, path));
}

void FolderWatch::ScanFolder(const std::string& folder, std::vector<std::pair<std::string, FileStatus>>& found) {
  std::vector<FolderEntry> entries;
  if (!fs_.ListFolder(folder, entries)) return;
  folders_.push_back(folder);
  const std::string prefix = folder + FolderSeparator(syntax_);
  for (const FolderEntry& entry : entries) {
    const std::string path = prefix + entry.name;
    if (entry.isFolder && folder_.recursive && (entry.nameUnheld || entry.isLink)) {
      // A link could lead out of the tree, or round in it for ever.
      PassOver(path, entry.nameUnheld ? WatchNote::Kind::kUnheldName : WatchNote::Kind::kFolderLink);
      continue;
    }
    if (entry.isFolder) {
      // The archive may lie inside the watched folder (written any way); its
      // files are done.
      const bool archive =
          !folder_.archive.empty() && (SamePathOnWindows(path, folder_.archive) || fs_.SameFile(path, folder_.archive));
      if (folder_.recursive && !archive) ScanFolder(path, found);
      continue;
    }
    if (!MatchesPattern(entry.name, folder_.pattern) || IsStagedName(entry.name)) continue;
    if (entry.nameUnheld || entry.isLink) {
      PassOver(path, entry.nameUnheld ? WatchNote::Kind::kUnheldName : WatchNote::Kind::kLink);
      continue;
    }
    const FileStatus status = fs_.StatusOf(path);
    if (!status.exists || status.isFolder) continue;
    // Opening a FIFO would wait for a writer; only what is no regular file
    // shows no size.
    if (status.size == 0 && fs_.IsSpecialFile(path)) {
      PassOver(path, WatchNote::Kind::kSpecialFile);
      continue;
    }
    found.emplace_back(path, status);
  }
}

bool FolderWatch::Ignored(const std::string& path) const {
  const std::string key = PathKeyOnWindows(path);
  return outputs_.count(key) != 0 || written_.count(key) != 0;
}

bool FolderWatch::Scan(WatchTime now) {
  if (!claimed_ && Claim() == FileLockResult::kHeld) return false;
  std::vector<std::string> before = std::move(folders_);
  folders_.clear();
  std::vector<std::pair<std::string, FileStatus>> found;
  passedNow_.clear();
  ScanFolder(folder_.folder, found);
  if (folders_.empty()) {
    folders_ = std::move(before);
    return false;
  }
  passedOver_ = std::move(passedNow_);
  if (!scanned_) {
    const std::optional<WatchNote::Kind> conflict = ArchiveConflict(fs_, folder_, syntax_);
    archiveRefused_ = conflict.has_value();
    if (conflict) notes_.push_back(MakeNote(*conflict, folder_.archive));
  }
  // A file that is the output of another one it sees is no source, whatever
  // the pattern says (targets beside their sources, with "*").
  outputs_.clear();
  for (const auto& [path, status] : found) {
    const std::string target = TargetOf(path);
    if (target == path) continue;
    outputs_.insert(PathKeyOnWindows(target));
    outputs_.insert(PathKeyOnWindows(target + ".dxf"));
  }
  for (auto& [path, entry] : entries_) entry.seen = false;
  if (!scanned_ && !failedChecksPath_.empty()) remembered_ = LoadFailedChecks(fs_, failedChecksPath_);
  for (const auto& [path, status] : found) {
    if (!Ignored(path)) Look(path, status, now);
  }
  remembered_.clear();
  // Gone before it was taken (or after): forgotten, without an error.
  for (auto it = entries_.begin(); it != entries_.end();) {
    it = !it->second.seen && it->second.state != State::kHandedOut ? entries_.erase(it) : std::next(it);
  }
  scanned_ = true;
  return true;
}

void FolderWatch::Look(const std::string& path, const FileStatus& status, WatchTime now) {
  const auto known = entries_.find(path);
  if (known == entries_.end()) {
    Entry entry;
    entry.status = status;
    entry.since = now;
    entry.seen = true;
    if (!scanned_) {
      const auto remembered = remembered_.find(path);
      if (remembered != remembered_.end() && remembered->second.status == status)
        entry.failedCheck = remembered->second;
      // The backlog: what an earlier watch (or a hand) converted is done,
      // unless its check failed and this watch makes the same check, or it
      // was not carried over whole.
      const bool checkAgain =
          entry.failedCheck && (entry.failedCheck->incomplete || entry.failedCheck->model == checking_);
      const FileStatus target = fs_.StatusOf(TargetOf(path));
      if (target.exists && !target.isFolder && target.modified >= status.modified && !checkAgain) {
        // Converted, and still here while there is an archive: its move
        // failed, or the watch ended before it. A file with a note of a
        // failure stays, as its rule says.
        const bool move = !folder_.archive.empty() && !archiveRefused_ && !entry.failedCheck;
        entry.state = move ? State::kArchive : State::kDone;
      }
    }
    entries_.emplace(path, entry);
    return;
  }
  Entry& entry = known->second;
  entry.seen = true;
  if (entry.status == status) return;
  entry.status = status;
  if (entry.state == State::kHandedOut) {
    entry.changedWhileOut = true;
    return;
  }
  entry.state = State::kWaiting;
  entry.since = now;
  entry.retries = 0;
  entry.archiveNoted = false;
}

std::vector<WatchJob> FolderWatch::TakeDue(WatchTime now) {
  std::vector<WatchJob> due;
  for (auto it = entries_.begin(); it != entries_.end();) {
    const bool moved = it->second.state == State::kArchive && now >= it->second.since &&
                       fs_.StatusOf(it->first) == it->second.status && Archive(it->first, it->second, now);
    it = moved ? entries_.erase(it) : std::next(it);
  }
  for (auto& [path, entry] : entries_) {
    const bool waited = entry.state == State::kWaiting && now - entry.since >= folder_.settle;
    const bool retry = entry.state == State::kRetry && now >= entry.since;
    if (!waited && !retry) continue;
    const FileStatus status = fs_.StatusOf(path);
    if (!status.exists) continue;  // the next scan forgets it
    if (status != entry.status) {  // still being written
      entry.status = status;
      entry.state = State::kWaiting;
      entry.since = now;
      continue;
    }
    if (status.size == 0 && fs_.IsSpecialFile(path)) continue;  // a FIFO put in its place: the next scan says so
    // Held exclusively by the program writing it: wait another settle time.
    std::unique_ptr<ReadableFile> file = fs_.OpenForReading(path);
    if (!file) {
      entry.state = State::kWaiting;
      entry.since = now;
      continue;
    }
    file->Close();
    entry.state = State::kHandedOut;
    entry.changedWhileOut = false;
    due.push_back({path, TargetOf(path)});
    // Its outputs stay no sources after it went to the archive.
    written_.insert(PathKeyOnWindows(due.back().target));
    written_.insert(PathKeyOnWindows(due.back().target + ".dxf"));
  }
  return due;
}

void FolderWatch::Finished(const WatchJob& job, Outcome code, WatchTime now, std::optional<WatchCheck> check,
                           bool incomplete) {
  const auto it = entries_.find(job.source);
  if (it == entries_.end()) return;
  Entry& entry = it->second;
  if (entry.changedWhileOut || code == Outcome::kStopped) {
    entry.state = State::kWaiting;
    entry.since = now;
    return;
  }
  // Only a check forgets a failed check; a conversion without one says
  // nothing of it. A whole conversion forgets an incomplete one.
  const std::optional<FailedCheck> failedBefore = entry.failedCheck;
  if (check && check->failed) entry.failedCheck = FailedCheck{entry.status, check->model};
  if (check && !check->failed) entry.failedCheck.reset();
  if (incomplete) {
    entry.failedCheck = FailedCheck{entry.status, ControlModel::kRs274, true};
  } else if (IsGood(code) && entry.failedCheck && entry.failedCheck->incomplete) {
    entry.failedCheck.reset();
  }
  const bool listChanged = entry.failedCheck != failedBefore;
  if (IsGood(code) && !(check && check->failed) && !incomplete) {
    entry.state = State::kDone;
    entry.retries = 0;
    if (!folder_.archive.empty() && !archiveRefused_ && Archive(job.source, entry, now)) entries_.erase(it);
  } else if (IsOutputFailure(code) && folder_.retryOutputFailures) {
    entry.state = State::kRetry;
    entry.since = now + RetryDelay(entry.retries++);
  } else {
    entry.state = State::kFailed;  // until the file changes
  }
  if (listChanged) WriteFailedChecks();
}

bool FolderWatch::Covers(const std::string& path) const {
  const std::string prefix = folder_.folder + FolderSeparator(syntax_);
  if (path.size() <= prefix.size() || !SamePathOnWindows(std::string_view(path).substr(0, prefix.size()), prefix))
    return false;
  const std::string_view rest = std::string_view(path).substr(prefix.size());
  const std::size_t last = LastSeparator(rest, syntax_);
  if (last != std::string_view::npos && !folder_.recursive) return false;
  return MatchesPattern(last == std::string_view::npos ? rest : rest.substr(last + 1), folder_.pattern);
}

void FolderWatch::WriteFailedChecks() {
  if (failedChecksPath_.empty()) return;
  // Read afresh: the list is shared by every watch of these settings (the
  // desktop's folders, a service's). This watch rewrites what it covers: its
  // own files as it knows them, and of the others only those still there
  // unchanged (a file moved away or changed needs no entry).
  FailedCheckList list = LoadFailedChecks(fs_, failedChecksPath_);
  std::erase_if(list, [this](const auto& item) {
    return Covers(item.first) && (entries_.count(item.first) != 0 || fs_.StatusOf(item.first) != item.second.status);
  });
  for (const auto& [path, entry] : entries_) {
    if (entry.failedCheck && entry.failedCheck->status == entry.status) list[path] = *entry.failedCheck;
  }
  SaveFailedChecks(fs_, failedChecksPath_, list);
}

bool FolderWatch::Archive(const std::string& source, Entry& entry, WatchTime now) {
  // The sub-folder below the watched folder is kept.
  const std::string relative = source.substr(folder_.folder.size());
  const std::string wanted = folder_.archive + relative;
  const int error = MoveFileTo(fs_, source, FreeNameFor(fs_, wanted, syntax_), syntax_);
  if (error == 0) return true;
  if (!entry.archiveNoted) {
    ++archiveFailures_;
    notes_.push_back(MakeNote(WatchNote::Kind::kArchiveFailed, source, error));
    entry.archiveNoted = true;
  }
  // Tried again until it goes, more rarely the longer the archive stays away.
  if (entry.state != State::kArchive) entry.retries = 0;
  entry.state = State::kArchive;
  entry.since = now + RetryDelay(entry.retries++);
  return false;
}

std::optional<WatchTime> FolderWatch::NextDue() const {
  std::optional<WatchTime> next;
  for (const auto& [path, entry] : entries_) {
    WatchTime at{0};
    if (entry.state == State::kWaiting) {
      at = entry.since + folder_.settle;
    } else if (entry.state == State::kRetry || entry.state == State::kArchive) {
      at = entry.since;
    } else {
      continue;
    }
    if (!next || at < *next) next = at;
  }
  return next;
}

int FolderWatch::Waiting() const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const auto& item) {
    const State state = item.second.state;
    return state == State::kWaiting || state == State::kHandedOut || state == State::kRetry;
  }));
}

}  // namespace morvatex
