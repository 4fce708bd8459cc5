// The drawing extents: the smallest rectangle around the whole tool path in
// the XY plane, rapid moves included, found by the measuring pass.
#pragma once

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"

namespace morvatex {

struct DrawingExtents {
  long double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class ExtentsTracker {
 public:
  // Forgets every point (the start of a run).
  void Reset() { first_ = true, extents_ = {}; }

  // Takes in one line of the measuring pass, whatever it held: its `moves`
  // and `state`, the machine state after it. The first call sets all four
  // extents to the position after that line (the starting point when the
  // line moves nothing). Each move extends them to its end point, and an
  // arc to each axis point of its circle that it passes on its way
  // (engine/MoveGeometry.h).
  void Update(const LineMoves& moves, const MachineState& state);

  const DrawingExtents& Extents() const { return extents_; }

 private:
  void Include(long double x, long double y);

  bool first_ = true;
  DrawingExtents extents_;
};

}  // namespace morvatex
