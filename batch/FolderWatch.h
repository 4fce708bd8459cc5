// A watched folder: which of its files are due for conversion, and what
// becomes of a file once it was converted.
//
// The watch only looks (through FileSystem) and decides; its caller
// converts the files it hands out and reports each outcome back. Time is
// the caller's steady clock in milliseconds, so that tests can run it.
//
// What it promises:
// - a file is handed out only when it is complete: its size and
//   modification time have not changed for the settle time, and it opens
//   for reading (another program may still hold it exclusively);
// - at the first look it takes the backlog: every matching file whose
//   target is missing or older than the file; a file found later, or one
//   changed after its conversion, is converted (again);
// - a file that fails is not handed out again until it changes; one whose
//   output could not be written (the target folder unreachable, the disk
//   full) is retried, at growing intervals;
// - a file whose check failed stays failed until it changes, beyond the
//   watch's end too: remembered in the failed-check list
//   (batch/FolderWatchChecks.h), it is taken again at the next start of a
//   watch that checks, whatever its target's time, so that every start
//   converts it, checks it and reports it again until it is clean;
// - so does a file converted without failure that did not carry every line
//   over, at the next start of any watch, until it converts whole;
// - after a success the file goes to the archive folder when one is named,
//   keeping its sub-folder; a name already there gets " (2)", " (3)", ...;
// - it writes nothing into the watched folder itself, and never takes the
//   conversion's own staged files ("NAME.~ending") nor a file that is the
//   target (or drawing) of another file it watches.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"
#include "batch/FolderWatchChecks.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

using WatchTime = std::chrono::milliseconds;

struct WatchedFolder {
  std::string folder;               // Windows-1252, no trailing separator
  std::string pattern = "*.ncp";    // see MatchesPattern
  bool recursive = false;           // whether sub-folders count
  std::string archive;              // where converted sources go; empty: they stay
  WatchTime settle{2000};           // how long a file must stay unchanged
  bool retryOutputFailures = true;  // false for a single pass (--once)
};

// The check of a converted file, as its caller reports it.
struct WatchCheck {
  ControlModel model = ControlModel::kRs274;  // how the written program was read back
  bool failed = false;                        // divergences, or the check could not be made
};

// A file handed out for conversion.
struct WatchJob {
  std::string source;
  std::string target;
};

// True when the file name `name` matches `pattern`: "*" any run of
// characters, "?" one character, letters in any case (Windows-1252 letters
// with their accented forms too); several patterns separated by ";".
bool MatchesPattern(std::string_view name, std::string_view pattern);

// True for an outcome that says the output could not be written, rather
// than that the source or the settings are at fault: trying again later may
// succeed without the file changing.
bool IsOutputFailure(Outcome code);

// The name under which `path` can be put without replacing anything: the
// path itself when free, else "NAME (2).ext", "NAME (3).ext", ...
std::string FreeNameFor(FileSystem& fs, const std::string& path, PathSyntax syntax);

// Moves the file `from` to `to` (a free name, see FreeNameFor), making the
// folders on the way. Where a rename cannot (another device), copies the
// file and removes the original once the copy is in place. False when the
// file is still at `from`.
bool MoveFileTo(FileSystem& fs, const std::string& from, const std::string& to, PathSyntax syntax);

class FolderWatch {
 public:
  // `settings` is read (for the folder rule) whenever a target is formed.
  FolderWatch(WatchedFolder folder, const SettingsRecord& settings, FileSystem& fs, PathSyntax syntax);

  // Remembers the files of this folder whose check failed in the list at
  // `path` (FailedCheckListPath; empty: nowhere). When its caller checks
  // every conversion (`checking`, the control model), the first scan takes
  // a file that failed with that model and has not changed since as
  // backlog, whatever its target's time. Call before the first scan.
  void RememberFailedChecks(std::string path, std::optional<ControlModel> checking);

  // Looks at the folder (and its sub-folders when they count). False when
  // the folder cannot be read; what the watch knows then stays as it was,
  // so a share that comes back repeats nothing.
  bool Scan(WatchTime now);

  // The files due now, each handed out once until Finished is called for
  // it. Looks at each candidate once more, so a caller need not scan before.
  std::vector<WatchJob> TakeDue(WatchTime now);

  // Reports the outcome of a job handed out by TakeDue. A stopped
  // conversion (11) leaves the file due again; a converted file whose check
  // failed (`check`) counts as failed: it is not archived, waits until it
  // changes and goes into the failed-check list; a clean check takes it out
  // again. Without a check (none made) the list stays as it was. A file
  // converted `incomplete` (ConversionRun::Incomplete) counts as failed as
  // well and is noted as such; its next whole conversion takes it out.
  void Finished(const WatchJob& job, Outcome code, WatchTime now, std::optional<WatchCheck> check = std::nullopt,
                bool incomplete = false);

  // When a waiting file may next become due; none while nothing waits.
  std::optional<WatchTime> NextDue() const;

  // Files seen and not yet converted (waiting, handed out or to retry).
  int Waiting() const;
  // Archive moves that failed since the start (the file stays and is not
  // converted again until it changes).
  int ArchiveFailures() const { return archiveFailures_; }
  // The folders the last successful scan looked into, the watched one first.
  const std::vector<std::string>& Folders() const { return folders_; }
  const WatchedFolder& Folder() const { return folder_; }
  // The target a source of this folder gets (the settings' folder rule).
  std::string TargetOf(const std::string& source) const;

 private:
  enum class State { kWaiting, kHandedOut, kDone, kFailed, kRetry };
  struct Entry {
    FileStatus status;
    State state = State::kWaiting;
    WatchTime since{0};  // waiting: unchanged since; retry: when to try
    int retries = 0;
    bool changedWhileOut = false;  // changed while handed out: due again after
    bool seen = false;
    std::optional<FailedCheck> failedCheck;  // its status and model when its check failed
  };

  void ScanFolder(const std::string& folder, std::vector<std::pair<std::string, FileStatus>>& found);
  void Look(const std::string& path, const FileStatus& status, WatchTime now);
  bool Ignored(const std::string& path) const;
  bool Archive(const std::string& source);
  // Whether `path` is one this watch would take (folder, depth, pattern).
  bool Covers(const std::string& path) const;
  // Writes this watch's part of the failed-check list.
  void WriteFailedChecks();

  WatchedFolder folder_;
  const SettingsRecord& settings_;
  FileSystem& fs_;
  PathSyntax syntax_;
  std::map<std::string, Entry> entries_;
  std::vector<std::string> folders_;
  std::set<std::string> outputs_;  // targets and drawings of the files seen, letters folded
  std::set<std::string> written_;  // the same of every file handed out
  bool scanned_ = false;
  int archiveFailures_ = 0;
  std::string failedChecksPath_;
  std::optional<ControlModel> checking_;
  FailedCheckList remembered_;  // the failed-check list, during the first scan
};

}  // namespace morvatex
