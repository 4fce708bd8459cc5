// The short description of the help menu, as Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace morvatex {

// The text of "Kurzbeschreibung": its lines, each followed by CR LF, naming
// the log file `logPath` of the running program.
std::string ShortDescription(std::string_view logPath);

}  // namespace morvatex
