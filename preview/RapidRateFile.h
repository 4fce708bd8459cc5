// The machine of the preview's time estimate (rapid rate, acceleration,
// cornering tolerance), remembered in a small text file beside the settings
// file: the settings file's path with ".vorschau" appended (as the DXF
// drawing's path is the target's with ".dxf"), so it goes wherever the
// settings file goes. The file holds the rate in whole mm/min as decimal
// digits, then the acceleration (mm/s²) and the tolerance (mm) as decimals
// with ".", each on a line of its own ending in CR LF. A file of the rate
// alone, as earlier versions wrote it, gives the defaults for the rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "preview/MotionPlan.h"

namespace morvatex {

// A usual rapid rate of small routers when none was set.
inline constexpr int kDefaultRapidRate = 5000;  // mm/min
inline constexpr int kMinRapidRate = 1;
inline constexpr int kMaxRapidRate = 1000000;
// What small routers manage, and a tolerance their controls often use.
inline constexpr double kDefaultAcceleration = 500;  // mm/s²
inline constexpr double kMinAcceleration = 1;
inline constexpr double kMaxAcceleration = 100000;
inline constexpr double kDefaultCornerTolerance = 0.02;  // mm
inline constexpr double kMinCornerTolerance = 0;
inline constexpr double kMaxCornerTolerance = 10;

// The file beside `settingsFile` (Windows-1252 paths); empty for an empty
// settings path (the program then has no settings file, and remembers nothing).
std::string RapidRateFilePath(const std::string& settingsFile);

// The remembered machine; each value that the file does not hold within its
// range (or a missing file, one that is no regular file, which is never
// waited on, or one that cannot be read) is the default.
MachineModel LoadPreviewMachine(FileSystem& fs, const std::string& path);

// The remembered rapid rate alone.
inline int LoadRapidRate(FileSystem& fs, const std::string& path) {
  return static_cast<int>(LoadPreviewMachine(fs, path).rapidRate);
}

// Writes `machine` (each value clamped to its range, the rate rounded to
// whole mm/min) to the file; false when that failed or `path` is empty.
bool SavePreviewMachine(FileSystem& fs, const std::string& path, const MachineModel& machine);

// A decimal number with "." as --accel and --corner take it, whatever the
// locale; nothing for anything else (also inf and nan).
std::optional<double> ReadDecimal(std::string_view text);

}  // namespace morvatex
