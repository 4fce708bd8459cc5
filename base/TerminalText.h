// Text of the program (Windows-1252, CR LF) as a terminal shows it.
#pragma once

#include <string>
#include <string_view>

namespace morvatex {

// `text` as UTF-8 with LF line ends, ending with a line end.
std::string ForTerminal(std::string_view text);

}  // namespace morvatex
