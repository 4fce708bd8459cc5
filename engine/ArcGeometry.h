// Angles of circular moves, shared by the interpreter and the DXF drawing.
#pragma once

namespace morvatex {

// The angle swept by an arc from `startAngle` to `endAngle` (radians, as
// atan2 gives them) in its direction: start − end for a clockwise arc,
// end − start for a counter-clockwise one, with 2π added when negative.
// Equal angles give 0.
long double ArcSweep(long double startAngle, long double endAngle, bool clockwise);

}  // namespace morvatex
