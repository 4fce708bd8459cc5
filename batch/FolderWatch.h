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
//   a move that fails is tried again (at growing intervals, and at the next
//   start: a file whose target is newer and that is still there goes to the
//   archive then, unconverted); an archive that is the watched folder, or
//   holds it while sub-folders count, takes nothing;
// - it takes regular files only, reached without a link: a link (a
//   junction on Windows) is neither taken nor looked into, and a FIFO, a
//   device or a name Windows-1252 cannot hold is passed over; each once,
//   with a note (TakeNotes);
// - one watch per folder among those of one settings file: the first scan
//   takes the folder's lock beside the settings file (LockBeside); while
//   another watcher (in any process) holds it, this one takes nothing and
//   says who;
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
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"
#include "batch/FolderWatchChecks.h"
#include "batch/NamePattern.h"
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

// Something the watch passed over or could not do, for its caller to show.
struct WatchNote {
  enum class Kind {
    kLink,             // a link with a name the pattern takes: not taken
    kFolderLink,       // a link to a folder, sub-folders counting: not looked into
    kSpecialFile,      // a FIFO, a device or a socket the pattern takes: not opened
    kUnheldName,       // a name Windows-1252 cannot hold (`path` shows it with "?")
    kArchiveFailed,    // a converted file stays: the move failed (`errorNumber`)
    kArchiveIsFolder,  // the archive is the watched folder: nothing is archived
    kArchiveHolds,     // the archive holds the watched folder, sub-folders counting: the same
    kHeld,             // another watcher holds the folder (`holder`): nothing is taken
    kNoLock,           // the lock file cannot be made (`errorNumber`): another watcher would go unseen
  };
  Kind kind = Kind::kLink;
  std::string path;  // the file or folder it is about
  int errorNumber = 0;
  std::string holder;
  // A file the caller wanted converted or archived and that was not: a
  // failure for a single pass.
  bool Failure() const {
    return kind == Kind::kSpecialFile || kind == Kind::kUnheldName || kind == Kind::kArchiveFailed;
  }
  bool operator==(const WatchNote&) const = default;
};

// Why the archive of `folder` would bring converted files back into the
// watch: the archive is the folder (however written: links, "..", case),
// or, sub-folders counting, holds it; none when it would not.
std::optional<WatchNote::Kind> ArchiveConflict(FileSystem& fs, const WatchedFolder& folder, PathSyntax syntax);

// True for an outcome that says the output could not be written, rather
// than that the source or the settings are at fault: trying again later may
// succeed without the file changing.
bool IsOutputFailure(Outcome code);

// The name under which `path` can be put without replacing anything: the
// path itself when free, else "NAME (2).ext", "NAME (3).ext", ...
std::string FreeNameFor(FileSystem& fs, const std::string& path, PathSyntax syntax);

// Moves the file `from` to `to` (a free name, see FreeNameFor), making the
// folders on the way. Where a rename cannot (another device), copies the
// file and removes the original once the copy is in place. 0, or when the
// file is still at `from` the system's reason (an errno value, never 0).
int MoveFileTo(FileSystem& fs, const std::string& from, const std::string& to, PathSyntax syntax);

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

  // Where the folder's lock is kept: beside `settingsFile`, its path with
  // ".waechter-" and a key of the folder (its identity, so that every way
  // of writing it counts as one). Empty: the watch takes no lock. Call
  // before the first scan.
  void LockBeside(std::string settingsFile) { lockBeside_ = std::move(settingsFile); }

  // Takes the folder's lock, writing `holder` (who watches) into its file;
  // Scan does so itself when it was not called. kHeld: another watcher has
  // it (TakeNotes says who); kUnavailable: the watch goes on without it.
  FileLockResult Claim(std::string_view holder = "Morvatex");

  // Looks at the folder (and its sub-folders when they count). False when
  // the folder cannot be read, or another watcher holds it; what the watch
  // knows then stays as it was, so a share that comes back repeats nothing.
  bool Scan(WatchTime now);

  // What was passed over or failed since the last call, each file once
  // while it stays as it is.
  std::vector<WatchNote> TakeNotes() { return std::exchange(notes_, {}); }

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
  // Archive moves that failed since the start (the file stays, is not
  // converted again until it changes, and its move is tried again).
  int ArchiveFailures() const { return archiveFailures_; }
  // The folders the last successful scan looked into, the watched one first.
  const std::vector<std::string>& Folders() const { return folders_; }
  const WatchedFolder& Folder() const { return folder_; }
  // The target a source of this folder gets (the settings' folder rule).
  std::string TargetOf(const std::string& source) const;

 private:
  // kArchive: converted, its move to the archive due at `since`.
  enum class State { kWaiting, kHandedOut, kDone, kFailed, kRetry, kArchive };
  struct Entry {
    FileStatus status;
    State state = State::kWaiting;
    WatchTime since{0};  // waiting: unchanged since; retry: when to try
    int retries = 0;
    bool changedWhileOut = false;  // changed while handed out: due again after
    bool seen = false;
    bool archiveNoted = false;               // its failed move to the archive was noted
    std::optional<FailedCheck> failedCheck;  // its status and model when its check failed
  };

  void ScanFolder(const std::string& folder, std::vector<std::pair<std::string, FileStatus>>& found);
  // Notes a file or folder passed over, once while it stays passed over.
  void PassOver(const std::string& path, WatchNote::Kind kind);
  void Look(const std::string& path, const FileStatus& status, WatchTime now);
  bool Ignored(const std::string& path) const;
  // Moves a converted file to the archive; when that fails, notes it and
  // tries again later (with `retries` the tries so far).
  // True when it went.
  bool Archive(const std::string& source, Entry& entry, WatchTime now);
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
  std::string lockBeside_;
  std::unique_ptr<FileLock> lock_;
  bool claimed_ = false;    // the lock was taken, or cannot be had at all
  bool heldNoted_ = false;  // another watcher's hold was noted
  std::vector<WatchNote> notes_;
  std::map<std::string, WatchNote::Kind> passedOver_;  // by path, as of the last scan
  std::map<std::string, WatchNote::Kind> passedNow_;   // the same, during a scan
  bool archiveRefused_ = false;
};

}  // namespace morvatex
