// Random Isel programs for the checks of the read-back path: sub-contours as
// CAM programs write them, a rapid move above the start, a plunge, then
// lines and arcs (full circles, arcs over half a circle, relative moves)
// with feed, speed and tool changes.
#pragma once

#include <string>

namespace morvatex::testing {

// The program of `seed` (CR LF after every line, PROGEND at the end).
std::string RandomProgram(unsigned seed);

}  // namespace morvatex::testing
