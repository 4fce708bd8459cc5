// The log file beside the program: started afresh at every program start,
// then only ever appended to. Every error of the log file is ignored; the
// log must never keep the program from working.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"

namespace morvatex {

// The log file of a program file: its path with the extension replaced by
// ".log" (C:\CNC\prog.exe gives C:\CNC\prog.log).
std::string LogPathFor(std::string_view programPath, PathSyntax syntax);

// The lines that open the log at start-up: `dateTime` + " Neustart:", then
// the program path followed by two empty lines. `dateTime` is the local date
// and time as the user's locale writes it.
std::string LogStartHeader(std::string_view dateTime, std::string_view programPath);

// Deletes the log file, creates it anew and writes `header` into it.
// Returns whether the header was written and the file closed; callers are
// free to ignore the answer, nothing is reported.
bool StartLogFile(FileSystem& fs, const std::string& logPath, std::string_view header);

// The entry for one converted job row: `dateTime`; "Tabelle: " and the job
// list file; "Zeile:   " + the row number + " / " + `rowMarks` (columns 0 to
// 2 of the row after its marks were set, "3A" or "3M"); the outcome report
// (which ends with its own line end); then two empty lines.
std::string LogRunEntry(std::string_view dateTime, std::string_view listFile, int row, std::string_view rowMarks,
                        std::string_view report);

// The entry for one save of the job list: two empty lines, `dateTime` and a
// row of "#"; the path; for a failed save (`errorNumber` not 0) the number
// and a line saying that the write failed; then three empty lines.
std::string LogSaveEntry(std::string_view dateTime, std::string_view listFile, int errorNumber);

// Appends entries to the log file during the program's work. The file is
// opened, written and closed for every entry; a missing file is not created
// again, and every error is ignored (the entry is then lost).
class LogFile {
 public:
  // `path` empty: entries go nowhere. `dateTime` gives the local date and
  // time as entries show them.
  LogFile(FileSystem& fs, std::string path, std::function<std::string()> dateTime)
      : fs_(fs), path_(std::move(path)), dateTime_(std::move(dateTime)) {}

  // Returns whether the whole entry reached the file; callers may ignore it.
  bool Append(std::string_view entry) const;
  std::string DateTime() const { return dateTime_ ? dateTime_() : std::string(); }

 private:
  FileSystem& fs_;
  std::string path_;
  std::function<std::string()> dateTime_;
};

}  // namespace morvatex
