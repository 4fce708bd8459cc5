// The log file beside the program: started afresh at every program start,
// then only ever appended to. Every error of the log file is ignored; the
// log must never keep the program from working.
#pragma once

#include <string>
#include <string_view>

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
bool StarteLogdatei(FileSystem& fs, const std::string& logPath, std::string_view header);

}  // namespace morvatex
