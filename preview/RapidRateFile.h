// The rapid rate of the preview's time estimate, remembered in a small text
// file beside the settings file: the settings file's path with ".vorschau"
// appended (as the DXF drawing's path is the target's with ".dxf"), so it
// goes wherever the settings file goes. The file holds the rate in whole
// mm/min as decimal digits and CR LF.
#pragma once

#include <string>

#include "base/FileSystem.h"

namespace morvatex {

// A usual rapid rate of small routers when none was set.
inline constexpr int kDefaultRapidRate = 5000;  // mm/min
inline constexpr int kMinRapidRate = 1;
inline constexpr int kMaxRapidRate = 1000000;

// The file beside `settingsFile` (Windows-1252 paths); empty for an empty
// settings path (the program then has no settings file, and remembers nothing).
std::string RapidRateFilePath(const std::string& settingsFile);

// The remembered rate; kDefaultRapidRate when the file is missing, is no
// regular file (never waited on), cannot be read or holds no whole number between kMinRapidRate and kMaxRapidRate.
int LoadRapidRate(FileSystem& fs, const std::string& path);

// Writes `rate` (clamped to the range) to the file; false when that failed
// or `path` is empty.
bool SaveRapidRate(FileSystem& fs, const std::string& path, int rate);

}  // namespace morvatex
