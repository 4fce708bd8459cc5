// How a planner of the LinuxCNC kind takes a corner between two moves and
// how fast it runs along an arc.
//
// A corner is rounded by a circle that stays within the tolerance of the
// programmed corner and takes at most half of each neighbouring move, run
// at the speed whose centripetal acceleration is the normal share of the
// machine's. On short moves the half-length bound makes the circle small, so
// a chain of short chords is run no faster than the curve they draw. A
// corner so shallow that one servo cycle's change of direction stays within
// a tenth of the acceleration is run through without rounding, and one that
// the circle would make slower than that cycle rule is run at the cycle
// rule's speed.
//
// Units: mm, mm/s, mm/s².
#pragma once

#include "preview/ToolPath.h"

namespace morvatex {

struct CornerBlend {
  double speed = 0;   // the highest speed through the corner; infinity: none
  double cut = 0;     // taken off the end of the move before and the start of the move after
  double length = 0;  // of the rounding arc that runs in their place
};

// The corner between a move of `lengthBefore` ending in the unit direction
// `before` and one of `lengthAfter` starting in `after`.
CornerBlend BlendCorner(const PathPoint& before, const PathPoint& after, double lengthBefore, double lengthAfter,
                        double acceleration, double tolerance);

struct ArcLimits {
  double speed = 0;         // the highest speed along the arc
  double acceleration = 0;  // what is left along the path at that speed
};

// An arc of `radius` fed at `feed`: the centripetal acceleration takes the
// normal share at most, and the path keeps what the centripetal part leaves.
ArcLimits ArcMotion(double radius, double feed, double acceleration);

}  // namespace morvatex
