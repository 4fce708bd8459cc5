// morvatex-convert --watch: converts the programs that arrive in a folder,
// until stopped, or the backlog alone (--once).
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "batch/FolderWatch.h"
#include "engine/ConversionRun.h"
#include "settings/SettingsRecord.h"
#include "verify/Verification.h"

namespace morvatex {

struct WatchCommandOptions {
  WatchedFolder folder;
  // Polling instead of the system's notices when above 0; also how often a
  // watch whose notices cannot be had looks (kFallbackPoll otherwise).
  WatchTime poll{0};
  bool once = false;    // the backlog only, then exit
  std::string logPath;  // the log for the run entries; empty: none
  int jobs = 1;         // files converted at the same time
  // --verify: each written program is checked; one whose check fails counts
  // as failed.
  std::optional<VerificationOptions> verification;
  // Where files whose check failed are remembered between runs
  // (batch/FolderWatchChecks.h); empty: nowhere.
  std::string failedChecksPath;
  // The settings file, beside which the folder's lock is kept (one watcher
  // per folder); empty: none.
  std::string settingsFile;
};

// How often a watch without notices looks, unless --poll says otherwise.
inline constexpr WatchTime kFallbackPoll{5000};

// Watches `options.folder` (batch/FolderWatch.h) and converts every file it
// hands out with `settings` as --list converts its rows, up to `jobs` at a
// time; each outcome report goes to `out` (UTF-8), each run entry to the
// log. Notes on how the folder is watched go to `messages`. A stop signal
// ends the watch: the conversion in progress ends with 11, leaving its
// target as it was, and its file is converted again on the next start.
//
// With --verify, a file whose check failed, in this run or an earlier one,
// and that has not changed since, is converted and checked again at the
// start, so that every --once reports it until it is clean; so is, with or
// without --verify, a file that was not carried over whole. The files are
// read in `conversion.dialect`.
//
// Files the watch passes over (links, FIFOs, names Windows-1252 cannot
// hold) and archive moves that fail are said on `messages`, once each.
//
// Returns the exit status: 0 after a stop, or after --once when no file
// failed; 1 when a file failed in --once, was passed over as no file it
// can take, or could not be archived; 4 when in --once only checks failed
// (as with --list); 5 when in --once all were converted and checked clean
// but one was not carried over whole; 2 when the folder cannot be watched
// (missing, not a folder, unreadable, watched already by another), the
// archive is the folder or (with --recursive) holds it, or the log is
// unusable.
int RunWatchCommand(const WatchCommandOptions& options, const SettingsRecord& settings, FileSystem& fs,
                    ConversionOptions conversion, MessageSink& messages, std::ostream& out);

}  // namespace morvatex
