// The job list file (".mvx"): the job table saved as text, so that a set of
// jobs with their targets and marks survives a restart.
//
// Windows-1252 text, CR LF after every line. Per job row four lines: "[n]"
// with the row number, the marks (columns 1 to 3 written together: "",
// "M", "ME", "MAE", ...), the source path, the target path. After the last
// job the line "[E]" and one empty line.
#pragma once

#include <string>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "batch/JobTable.h"
#include "batch/LogFile.h"

namespace morvatex {

// Error codes of reading a job list file.
// What reading a job list came to. The message shows the number, so the
// values are fixed.
enum class JobListCode {
  kOk = 0,
  kUnreadable = 10,        // the file cannot be opened for reading, or is a FIFO or a device
  kReadError = 20,         // reading a line of an entry failed, or memory ran out
  kNoOpeningBracket = 30,  // the first line of an entry does not begin with "["
  kNoClosingBracket = 31,  // the first line of an entry holds no "]" (wins over 30)
  kPathMissing = 40,       // the source or the target line of an entry is empty
};

// The file text of the job rows of `table`.
std::string JobListText(const JobTable& table);

// Appends the entries of the job list file at `path` to `table`, each as a
// new job row numbered by its place, until the line "[E]" or the end of the
// file. Text after the "]" of an entry's first line and its number are
// ignored; a mark is set when its upper-case letter stands anywhere in the
// marks line; the paths are taken as they stand. Lines missing at the end
// read as empty. Stops at the first fault and returns its code (see
// JobListCode), the rows read before it staying in the table; 0 when the
// whole list was read. A list that does not fit in memory stops as a
// failed read does. Errors of closing the file are ignored.
JobListCode ReadJobList(FileSystem& fs, const std::string& path, JobTable& table);

// The message for a list that could not be read: the path and the code.
std::string JobListReadMessage(std::string_view path, JobListCode code);

// The message for a failed save, with the platform's error number.
std::string JobListSaveMessage(int errorNumber);

// "Öffnen..." once a file is chosen: `listFile` becomes `path` and the
// list is read into the (empty) table. A fault is shown through `messages`
// and leaves the table empty and unnamed. Returns the read code.
// `modified` is not touched.
JobListCode OpenJobList(JobTable& table, const std::string& path, FileSystem& fs, MessageSink& messages);

// Saves the table to `listFile` (nothing happens when that is empty).
// The complete new file replaces the old one in one step, so a failed save
// keeps the old list. Success clears `modified`; a failure is shown
// through `messages` with the platform's error number (ENOMEM when the
// list's text does not fit in memory). Either way the save
// entry goes to `log`. Returns that error number, 0 for success.
int SaveJobList(JobTable& table, FileSystem& fs, MessageSink& messages, const LogFile& log);

}  // namespace morvatex
