// The full path of the running program file, from which the settings and log
// files beside it are named, and the process's current folder, against which
// relative paths are made full.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvatex {

// The path as Windows-1252 text, or nothing when the system does not tell it
// or it holds characters the code page cannot show.
std::optional<std::string> RunningProgramPath();

// `path` with the current folder before it when it is relative, so that logs
// and messages name the file the same wherever they are read; unchanged when
// it is already absolute or the current folder cannot be told or written in
// Windows-1252.
std::string FullPath(const std::string& path);

// The arguments after the program name as UTF-8, as Linux hands them over.
// On Windows they are taken from the wide command line, so that every name
// arrives as typed; the narrow `argv` there holds the ANSI code page, which
// loses what it cannot show. An argument with a broken UTF-16 unit becomes
// text that no UTF-8 reader accepts, so that it is refused, not guessed.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace morvatex
