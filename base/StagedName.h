// The name under which a whole file is written beside its target before it
// is renamed over it (FileSystem::CreateStagedFile, ReplaceFile): the real
// file system and the fake of the tests both form it here, so that whoever
// must pass such files over (a watched folder) knows them by one rule.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvatex {

// How many characters follow ".~" (letters and digits).
inline constexpr std::size_t kStagedEndingLength = 6;

// "NAME.~ENDING"; with `shortened`, NAME first loses as many characters as
// ".~ENDING" has, so that the staged name is no longer than NAME itself
// (for a name at the file system's limit). `ending` has kStagedEndingLength
// characters.
std::string StagedName(std::string_view name, std::string_view ending, bool shortened);

// True when `name` (without its folder) has the form StagedName gives.
bool IsStagedName(std::string_view name);

}  // namespace morvatex
