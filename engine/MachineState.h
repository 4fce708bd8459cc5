// The interpreter's picture of the machine during one conversion run: where
// the tool stands, how it moves, where the work-piece zero lies, and which
// feed, spindle speed and tool are in force. Read by the CNC and DXF writers
// after every line of the writing pass.
#pragma once

#include <cstdint>

namespace morvatex {

// Motion kind of the current line. The values of the moves are their DIN
// G numbers (G0 to G3); the CNC writer relies on that (see GNumber).
enum class MotionKind : std::int8_t {
  kNone = -1,
  kRapid = 0,
  kLinear = 1,
  kClockwise = 2,
  kCounterClockwise = 3,
};

// The G number of a move of `kind`, 0 to 3; -1 for kNone.
constexpr int GNumber(MotionKind kind) { return static_cast<int>(kind); }

constexpr bool IsArc(MotionKind kind) {
  return kind == MotionKind::kClockwise || kind == MotionKind::kCounterClockwise;
}
constexpr bool IsFeedMove(MotionKind kind) { return kind == MotionKind::kLinear || IsArc(kind); }

// First-use marks of X, Y and Z (kept in the writing pass only).
enum class FirstUse : std::int8_t {
  kNever,    // the coordinate was never given
  kJustNow,  // given for the first time by the last word read
  kBefore,   // given before
};

struct MachineState {
  MotionKind motionKind = MotionKind::kNone;  // set back to kNone at the start of every line
  bool relative = false;                      // the current move line is a REL command

  // Work-piece zero and programmed values in micrometres. Held in 64 bits so
  // that sums of 32-bit program values are exact; a sum beyond 64 bits is
  // refused as a value that is not an integer, never wrapped.
  std::int64_t workOffsetX = 0, workOffsetY = 0, workOffsetZ = 0;
  std::int64_t progX = 0, progY = 0, progZ = 0, progI = 0, progJ = 0, progK = 0;

  // Absolute positions in mm: (work offset + programmed value) × 0.001.
  long double posX = 0, posY = 0, posZ = 0, posI = 0, posJ = 0, posK = 0;
  // The pos values at the end of the previous line; a move starts there.
  long double prevX = 0, prevY = 0, prevZ = 0, prevI = 0, prevJ = 0, prevK = 0;

  FirstUse firstUseX = FirstUse::kNever, firstUseY = FirstUse::kNever, firstUseZ = FirstUse::kNever;

  long double radius = 0;  // of the current arc, from centre to end point, mm
  bool largeArc = false;   // the current arc sweeps more than 180°
  // Directions of the current arc's start and end point seen from its
  // centre (atan2, radians); computed once for the extents and the drawing.
  long double startAngle = 0, endAngle = 0;

  std::uint16_t toolIndex = 0;  // Isel tool number of the last valid GETTOOL
  long double feed = 0;         // last VEL in mm/min
  long double feedOut = 0;      // feed × FaktorSonderF, written for F and V words
  long double speed = 0;        // last spindle speed read, in rpm
  long double speedOut = 0;     // rpm × 6 × FaktorSonderS, written for S words
  bool feedChanged = false;     // cleared only by the SCM Xilog layout
  bool speedChanged = false;

  bool finished = false;  // PROGEND has been met

  // The extended dialect only; they keep their initial values in the
  // original one.
  std::int8_t plane = 17;        // the arc plane as its G code (17 XY, 18 XZ, 19 YZ)
  std::int8_t frame = 54;        // the frame as its G code: 53 the machine's, 54 to 59 the work frames
  std::int8_t workFrame = 54;    // the work frame WPZERO STANDARD goes back to
  std::uint8_t unknownAxes = 0;  // axes not given since the frame changed (AxisBits)
  // The drill cycle of the last DRILLDEF words, in micrometres, µm/s and
  // ms; each word holds until it is given again.
  struct DrillDefinition {
    std::int64_t cycle = 0, surface = 0, safety = 0, depth = 0, feed = 0, dwell = 0;
    bool cycleGiven = false, surfaceGiven = false, safetyGiven = false, depthGiven = false, feedGiven = false;
  } drill;
};

}  // namespace morvatex
