// Which file names a watched folder takes: the glob of --pattern and of the
// desktop's watched folders.
#pragma once

#include <string_view>

namespace morvatex {

// True when the file name `name` matches `pattern`: "*" any run of
// characters, "?" one character, "[abc]" one of the characters listed,
// "[a-z]" one in that range (by byte value), "[!abc]" or "[^abc]" one not
// listed; a "]" right after "[" or "[!" is listed itself, and a "[" without
// its "]" stands for itself. Letters match in any case (Windows-1252 letters
// with their accented forms too), in brackets as well. Several patterns are
// separated by ";" (a ";" always separates, also inside brackets).
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace morvatex
