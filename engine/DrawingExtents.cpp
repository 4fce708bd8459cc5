#include "engine/DrawingExtents.h"

#include "engine/MoveGeometry.h"

namespace morvatex {

void ExtentsTracker::Include(long double x, long double y) {
  if (x < extents_.minX) extents_.minX = x;
  if (y < extents_.minY) extents_.minY = y;
  if (x > extents_.maxX) extents_.maxX = x;
  if (y > extents_.maxY) extents_.maxY = y;
}

void ExtentsTracker::Update(const LineMoves& moves, const MachineState& state) {
  if (first_) {
    first_ = false;
    extents_ = {state.posX, state.posY, state.posX, state.posY};
  }
  moves.ForEach([this](const Move& move) {
    Include(move.end.x, move.end.y);
    if (!move.IsArc()) return;
    if (move.plane == Plane::kXY) {
      ForEachAxisPointPassed(move, [this](long double x, long double y) { Include(x, y); });
    } else {
      // Its XY projection: the ends of the segments that follow it.
      ForEachChord(move, kProjectionTolerance, [this](const Move& chord) { Include(chord.end.x, chord.end.y); });
    }
  });
}

}  // namespace morvatex
