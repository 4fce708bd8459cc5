// The drawing extents: the smallest rectangle around the whole tool path in
// the XY plane, rapid moves included, found by the measuring pass.
#pragma once

#include "engine/MachineState.h"

namespace morvatex {

struct DrawingExtents {
  long double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class ExtentsTracker {
 public:
  // Forgets every point (the start of a run).
  void Reset() { first_ = true, extents_ = {}; }

  // Takes in the position after one line of the measuring pass, whatever the
  // line held: the first call sets all four extents to that point. For an
  // arc, each axis point of its circle that the arc passes on its way from
  // start to end (all four for a full circle, end point = start point)
  // extends the extents too.
  void Update(const MachineState& state);

  const DrawingExtents& Extents() const { return extents_; }

 private:
  void Include(long double x, long double y);

  bool first_ = true;
  DrawingExtents extents_;
};

}  // namespace morvatex
