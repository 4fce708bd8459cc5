// The machining time of a path on a machine that cannot change its speed at
// once: each move gets a trapezoidal speed profile (accelerate, cruise,
// brake) within its feed or the rapid rate and the machine's acceleration.
//
// Corners and arcs are taken as LinuxCNC's planner takes them
// (CornerBlend.h): a corner is rounded within the tolerance and within half
// of each neighbouring move, at the speed the rounding arc allows, so short
// moves and chains of short chords slow the machine as the curve they draw
// does; an arc keeps part of the acceleration for its centripetal share. The
// whole path is planned backwards first, so that no move ends faster than
// the moves after it can brake from; the machine starts and ends at rest,
// and at moves it does not time (feed moves before any feed).
//
// Units: mm, mm/min for feeds and the rapid rate, mm/s² for the
// acceleration, seconds for times.
#pragma once

#include "preview/ToolPath.h"

namespace morvatex {

struct MachineModel {
  double rapidRate = 5000;        // mm/min; 0: rapid moves are not timed
  double acceleration = 500;      // mm/s²
  double cornerTolerance = 0.02;  // mm
};

// The planned seconds of `moves`, feed moves without feed and zero-length
// moves not timed, the machine at rest after each dwell (whose own time is
// not counted here). With an acceleration of 0 or less (no model) every move
// is timed at its full speed. Throws std::bad_alloc when the plan's 16 bytes
// per move and rounded corner cannot be had.
double PlannedSeconds(const PathMoves& moves, const MachineModel& machine);

// The estimate of `path` (ToolPath.h's) with its planned time, the dwells
// included. For want of memory the plan is left out (plannedSeconds below 0).
MachiningEstimate Estimate(const ToolPath& path, const MachineModel& machine);

// The time of one move of `length` entered at `entry` and left at `exit`,
// cruising at most at `cruise` (all mm/s), with `acceleration`; the entry and
// exit speeds must be reachable from each other within the length.
double TrapezoidSeconds(double length, double entry, double exit, double cruise, double acceleration);

}  // namespace morvatex
