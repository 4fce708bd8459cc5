// One move of a tool path as the check sees it, on either side: the Isel
// program as the conversion interprets it, or a CNC program as a control
// model reads it. Positions are absolute, in mm.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/MachineState.h"

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

struct TracedMove {
  MotionKind kind = MotionKind::kNone;
  double startX = 0, startY = 0, startZ = 0;
  double x = 0, y = 0, z = 0;
  // The SCM Xilog layout never writes the Z of a rapid move.
  bool zKnown = true;
  // Arcs only: the centre, the radius and the angle swept (radians, 2π for
  // a full circle).
  double centreX = 0, centreY = 0, radius = 0, sweep = 0;
  // The centre follows from an R word: for arcs near half a circle it
  // moves far with the last decimal of R, so only whether a centre fits
  // the written end points and radius can be asked.
  bool byRadius = false;
  ModalValue feed, speed, tool;
  std::size_t line = 0;  // 1-based line of its program
};

// Something a control model could not read, at a 1-based CNC line.
struct ReadFinding {
  std::size_t line = 0;
  std::string message;  // Windows-1252
};

}  // namespace morvatex
