// Random Isel programs for the checks of the read-back path: sub-contours as
// CAM programs write them, a rapid move above the start, a way in (a
// plunge, a ramp, a helical arc or full circle), then lines and arcs (full
// circles flat and helical, arcs over half a circle, deeper cuts, absolute
// and relative moves) with feed, speed and tool changes.
#pragma once

#include <string>

namespace morvatex::testing {

// The program of `seed` (CR LF after every line, PROGEND at the end).
std::string RandomProgram(unsigned seed);

}  // namespace morvatex::testing
