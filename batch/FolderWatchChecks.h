// The watched files whose check failed, remembered in a small file beside
// the settings file (its path with ".beanstandet" appended), so that a
// failed check outlives the watch that made it: the next start of a watch
// that checks takes such a file again until it changes or is converted
// cleanly (batch/FolderWatch.h). The settings record stays as it is.
//
// A failure counts for the control model that found it: a watch checking
// with another model, or none, leaves the file as its backlog rule says.
// A file converted without failure but not carried over whole
// (ConversionRun::Incomplete) is noted too, for every watch: its target is
// newer than it all the same.
//
// Windows-1252 with CR LF, one line per file: its size, its modification
// time (the system's own count, only ever compared), the control model as
// --verify names it ("rs274", "eingestellt"; "unvollstaendig" for a file
// not carried over whole) and its path, separated by one space:
//   1234 133812345678901234 rs274 D:\CNC\Eingang\teil.ncp
// It is read as the program's other small files are: a damaged line is
// passed over, and a file that is larger than kLongestFailedCheckList, no
// regular file (never waited on) or unreadable counts as empty; the next
// save replaces it.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "base/FileSystem.h"
#include "verify/TracedMove.h"

namespace morvatex {

// One remembered file.
struct FailedCheck {
  // Its status when its check failed (`exists` set, not a folder, so that it
  // compares with StatusOf).
  FileStatus status;
  ControlModel model = ControlModel::kRs274;  // how its program was read back
  // Its conversion did not carry every line over; `model` says nothing then.
  bool incomplete = false;
  bool operator==(const FailedCheck&) const = default;
};

// The remembered files by path.
using FailedCheckList = std::map<std::string, FailedCheck>;

// Larger files are passed over unread; a save leaves out what goes beyond.
inline constexpr std::size_t kLongestFailedCheckList = 1 << 20;

// The file beside `settingsFile`; empty for an empty settings path.
std::string FailedCheckListPath(const std::string& settingsFile);

// The files the list at `path` names; none for an empty path or a file
// passed over.
FailedCheckList LoadFailedChecks(FileSystem& fs, const std::string& path);

// Writes `files` (replacing the file in one step), leaving out paths with a
// line end in them; an empty list removes the file, so that nothing is left
// while no check has failed. False when that failed or `path` is empty.
bool SaveFailedChecks(FileSystem& fs, const std::string& path, const FailedCheckList& files);

}  // namespace morvatex
