// One move of a tool path as the check sees it, on either side: the Isel
// program as the conversion interprets it, or a CNC program as a control
// model reads it. It is the path's own move (engine/Move.h, in doubles: its
// plane, frame and unknown axes included) with what only the check compares
// besides: the feed, speed, tool and spindle in force. A dwell takes a place
// in the path as well, as a step that goes nowhere. Positions are absolute
// in the move's frame, in mm.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Move.h"

namespace morvatex {

// How a CNC program is read back.
enum class ControlModel {
  kRs274,       // RS274/NGC: Mach3, LinuxCNC and similar
  kConfigured,  // the letters, codes and value assignment of the settings
};

// The model's name as the report gives it: "RS274/NGC" or "eingestellt".
std::string_view ControlModelName(ControlModel model);

// A value in force at a move (feed in mm/min, speed in rpm, tool number),
// with how closely the program can give it.
struct ModalValue {
  bool known = false;
  double value = 0;
  double resolution = 0;  // half a unit of the written decimals; 0 when exact
};

// The spindle at a move.
enum class SpindleState : std::int8_t {
  kUnknown,           // nothing to check: no SPINDLE line yet, or no code says it
  kStopped,           // off
  kClockwise,         // running clockwise (M3)
  kCounterClockwise,  // running counter-clockwise (M4)
  kRunning,           // switched on without a direction named
};

struct TracedMove : PathMove {
  ModalValue feed, speed, tool;
  SpindleState spindle = SpindleState::kUnknown;
  // The SCM Xilog layout never writes the Z of a rapid move: `end.z` is
  // then no position to compare. A move that follows it starts from a Z no
  // one knows, and its `start.z` is NaN.
  bool zKnown = true;
  // The centre follows from an R word: for arcs near half a circle it
  // moves far with the last decimal of R, so only whether a centre fits
  // the written end points and radius can be asked.
  bool byRadius = false;
  // A dwell (G4) instead of a move: kind kNone, start and end where the tool
  // waits, and its seconds with the resolution of the written decimals.
  ModalValue dwell;
  bool IsDwell() const { return dwell.known; }
  // The second half of a full circle held as two: not a move of its own
  // when moves are counted.
  bool secondHalf = false;
};

// Something a control model could not read, at a 1-based CNC line.
struct ReadFinding {
  std::size_t line = 0;
  std::string message;  // Windows-1252
};

}  // namespace morvatex
