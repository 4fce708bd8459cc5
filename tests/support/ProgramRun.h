// Running a built program to its end as a user would, for the tests of the
// converter: standard output and error go to files, a hanging program is
// ended after a minute.
#pragma once

#include <string>
#include <vector>

namespace morvatex::testing {

struct ProgramOutcome {
  int status = -1;  // the exit status; -1 when it could not start or hung
  std::string out;  // standard output and error, with the line ends of Linux
  std::string err;
};

// Runs `program` with `arguments` (UTF-8), its output into `outPath` and
// `errPath`, and gives what it printed.
ProgramOutcome RunProgramToItsEnd(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& outPath, const std::string& errPath);

// What a program printed into `path`, with the line ends of Linux: standard
// output and error of a Windows program end their lines with CR LF.
std::string Printed(const std::string& path);

#ifndef _WIN32
// `s` quoted for the shell.
std::string Quoted(const std::string& s);
#endif

}  // namespace morvatex::testing
