#include "batch/FolderWatch.h"

#include <algorithm>

#include "batch/TargetPath.h"

namespace morvatex {
namespace {

// Output failures are retried after this, doubling up to the longest wait,
// so that a target share that stays away costs a report a few times an hour.
constexpr WatchTime kFirstRetry{5000};
constexpr WatchTime kLongestRetry{300000};

// Windows-1252 letters in one case, the accented ones too (not × and ÷).
char Folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
    return static_cast<char>(byte - 0x20);
  return c;
}

bool MatchesOne(std::string_view name, std::string_view pattern) {
  // Greedy match with one backtracking point, the last "*" seen.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Folded(pattern[p]) == Folded(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// A staged output of a conversion: "NAME.~" and eight characters, or a long
// name cut to make room for them (base/RealFileSystem.cpp).
bool IsStagedName(std::string_view name) {
  constexpr std::size_t kEndingLength = 8;
  const std::size_t mark = name.rfind(".~");
  return mark != std::string_view::npos && name.size() - mark == kEndingLength + 2;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Folded(x) == Folded(y); });
}

std::string FoldedText(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = Folded(c);
  return folded;
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  for (;;) {
    const std::size_t end = pattern.find(';');
    if (MatchesOne(name, pattern.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    pattern.remove_prefix(end + 1);
  }
}

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

bool MoveFileTo(FileSystem& fs, const std::string& from, const std::string& to, PathSyntax syntax) {
  const std::string folder = FolderPart(to, syntax);
  if (!folder.empty() && fs.MakeFolders(folder.substr(0, folder.size() - 1)) != MakeFoldersResult::kOk) return false;
  if (fs.RenameFile(from, to)) return true;
  // Another device: a copy that is complete before the original goes.
  std::string contents;
  if (!ReadWholeFile(fs, from, contents) || !fs.ReplaceFile(to, contents)) return false;
  if (fs.RemoveFile(from)) return true;
  fs.RemoveFile(to);  // the original could not go: one copy is enough
  return false;
}

FolderWatch::FolderWatch(WatchedFolder folder, const SettingsRecord& settings, FileSystem& fs, PathSyntax syntax)
    : folder_(std::move(folder)), settings_(settings), fs_(fs), syntax_(syntax) {}

void FolderWatch::RememberFailedChecks(std::string path, std::optional<ControlModel> checking) {
  failedChecksPath_ = std::move(path);
  checking_ = checking;
}

std::string FolderWatch::TargetOf(const std::string& source) const { return TargetPathFor(source, settings_, syntax_); }

void FolderWatch::ScanFolder(const std::string& folder, std::vector<std::pair<std::string, FileStatus>>& found) {
  std::vector<FolderEntry> entries;
  if (!fs_.ListFolder(folder, entries)) return;
  folders_.push_back(folder);
  const std::string prefix = folder + FolderSeparator(syntax_);
  for (const FolderEntry& entry : entries) {
    const std::string path = prefix + entry.name;
    if (entry.isFolder) {
      // The archive may lie inside the watched folder (written any way); its
      // files are done.
      const bool archive =
          !folder_.archive.empty() && (SameText(path, folder_.archive) || fs_.SameFile(path, folder_.archive));
      if (folder_.recursive && !archive) ScanFolder(path, found);
      continue;
    }
    if (!MatchesPattern(entry.name, folder_.pattern) || IsStagedName(entry.name)) continue;
    const FileStatus status = fs_.StatusOf(path);
    if (status.exists && !status.isFolder) found.emplace_back(path, status);
  }
}

bool FolderWatch::Ignored(const std::string& path) const {
  const std::string key = FoldedText(path);
  return outputs_.count(key) != 0 || written_.count(key) != 0;
}

bool FolderWatch::Scan(WatchTime now) {
  std::vector<std::string> before = std::move(folders_);
  folders_.clear();
  std::vector<std::pair<std::string, FileStatus>> found;
  ScanFolder(folder_.folder, found);
  if (folders_.empty()) {
    folders_ = std::move(before);
    return false;
  }
  // A file that is the output of another one it sees is no source, whatever
  // the pattern says (targets beside their sources, with "*").
  outputs_.clear();
  for (const auto& [path, status] : found) {
    const std::string target = TargetOf(path);
    if (target == path) continue;
    outputs_.insert(FoldedText(target));
    outputs_.insert(FoldedText(target + ".dxf"));
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
      if (target.exists && !target.isFolder && target.modified >= status.modified && !checkAgain)
        entry.state = State::kDone;
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
}

std::vector<WatchJob> FolderWatch::TakeDue(WatchTime now) {
  std::vector<WatchJob> due;
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
    written_.insert(FoldedText(due.back().target));
    written_.insert(FoldedText(due.back().target + ".dxf"));
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
    if (!folder_.archive.empty()) {
      if (Archive(job.source)) {
        entries_.erase(it);
      } else {
        ++archiveFailures_;
      }
    }
  } else if (IsOutputFailure(code) && folder_.retryOutputFailures) {
    entry.state = State::kRetry;
    entry.since =
        now + std::min<WatchTime>(kLongestRetry, kFirstRetry * (std::int64_t{1} << std::min(entry.retries, 10)));
    ++entry.retries;
  } else {
    entry.state = State::kFailed;  // until the file changes
  }
  if (listChanged) WriteFailedChecks();
}

bool FolderWatch::Covers(const std::string& path) const {
  const std::string prefix = folder_.folder + FolderSeparator(syntax_);
  if (path.size() <= prefix.size() || !SameText(std::string_view(path).substr(0, prefix.size()), prefix)) return false;
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

bool FolderWatch::Archive(const std::string& source) {
  // The sub-folder below the watched folder is kept.
  const std::string relative = source.substr(folder_.folder.size());
  const std::string wanted = folder_.archive + relative;
  return MoveFileTo(fs_, source, FreeNameFor(fs_, wanted, syntax_), syntax_);
}

std::optional<WatchTime> FolderWatch::NextDue() const {
  std::optional<WatchTime> next;
  for (const auto& [path, entry] : entries_) {
    WatchTime at{0};
    if (entry.state == State::kWaiting) {
      at = entry.since + folder_.settle;
    } else if (entry.state == State::kRetry) {
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
