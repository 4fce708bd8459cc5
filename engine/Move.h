// One move of the tool, as the interpreter makes it from a line of an Isel
// program and as every part that follows the path takes it: the drawing
// extents, the CNC writers of each control family, the DXF drawing, the
// preview's trace and the check's expected path. A line gives zero or more
// moves (engine/IselInterpreter.h); each names the line it came from.
//
// The interpreter's moves are exact to the last bit of extended precision
// (`Move`), since the outputs are written from them; the preview and the
// check, which draw and compare, hold the same move in doubles (`PathMove`).
// The geometric rules that belong to a move (full circles, sweep, large
// arcs, halves for R words) are in engine/MoveGeometry.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/MachineState.h"

namespace morvatex {

// The plane an arc turns in; its value is the RS274 G code that selects it.
enum class Plane : std::int8_t {
  kXY = 17,
  kXZ = 18,
  kYZ = 19,
};

// The frame a move's coordinates are given in; its value is the RS274 G code
// that selects it. A program starts in the first work frame.
enum class Frame : std::int8_t {
  kMachine = 53,
  kWork1 = 54,  // up to kWork1 + 5, the sixth work frame (G59)
};

// Axes as bits, for the words a move leaves out or must write.
enum AxisBits : std::uint8_t {
  kAxisX = 1,
  kAxisY = 2,
  kAxisZ = 4,
};

template <typename Real>
struct BasicPoint {
  Real x = 0, y = 0, z = 0;
  bool operator==(const BasicPoint&) const = default;
};

template <typename Real>
struct BasicMove {
  MotionKind kind = MotionKind::kNone;  // rapid, linear, clockwise or counter-clockwise arc
  Plane plane = Plane::kXY;
  BasicPoint<Real> start, end;  // absolute, mm
  // Arcs only. The centre (the interpreter's I, J and K positions); the
  // radius from the centre to the end point; the directions of the start
  // and end point seen from the centre (atan2, radians); and the angle
  // turned in the direction of travel, radians, never negative: full turns
  // included, so an arc back to its start point sweeps 2π.
  BasicPoint<Real> centre;
  Real radius = 0;
  Real startAngle = 0, endAngle = 0;
  Real sweep = 0;
  std::size_t line = 0;  // 1-based line of its program; 0 for none
  Frame frame = Frame::kWork1;
  // After a change of frame nobody knows where an axis stands in the new
  // one until a line gives it: such axes stay where they physically are,
  // their words are left out (`unknownAxes`; their numbers here are the old
  // ones, for drawing), and the first word each gets is written whatever
  // the modal rules say (`newlyKnownAxes`). AxisBits; 0 in the original
  // dialect.
  std::uint8_t unknownAxes = 0;
  std::uint8_t newlyKnownAxes = 0;

  bool IsArc() const { return morvatex::IsArc(kind); }
  bool IsFeed() const { return IsFeedMove(kind); }
  bool Clockwise() const { return kind == MotionKind::kClockwise; }
  // The same move in another precision.
  template <typename Other>
  BasicMove<Other> As() const {
    const auto point = [](const BasicPoint<Real>& p) {
      return BasicPoint<Other>{static_cast<Other>(p.x), static_cast<Other>(p.y), static_cast<Other>(p.z)};
    };
    return {kind,
            plane,
            point(start),
            point(end),
            point(centre),
            static_cast<Other>(radius),
            static_cast<Other>(startAngle),
            static_cast<Other>(endAngle),
            static_cast<Other>(sweep),
            line,
            frame,
            unknownAxes,
            newlyKnownAxes};
  }
};

using Point = BasicPoint<long double>;
using Move = BasicMove<long double>;
using PathPoint = BasicPoint<double>;
using PathMove = BasicMove<double>;

}  // namespace morvatex
