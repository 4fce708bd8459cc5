// The full path of the running program file, from which the settings and log
// files beside it are named.
#pragma once

#include <optional>
#include <string>

namespace morvatex {

// The path as Windows-1252 text, or nothing when the system does not tell it
// or it holds characters the code page cannot show.
std::optional<std::string> RunningProgramPath();

}  // namespace morvatex
