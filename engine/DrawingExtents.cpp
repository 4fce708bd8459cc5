#include "engine/DrawingExtents.h"

#include <cmath>

#include "engine/MoveGeometry.h"
#include "engine/ExtendedPrecision.h"

namespace morvatex {
namespace {

// True when an arc that leaves `startAngle` and sweeps `sweep` radians in its
// direction passes `axisAngle` strictly between its ends.
bool Passes(long double startAngle, long double sweep, long double axisAngle, bool clockwise) {
  long double offset = clockwise ? startAngle - axisAngle : axisAngle - startAngle;
  while (offset < 0) offset += 2 * kPi;
  while (offset >= 2 * kPi) offset -= 2 * kPi;
  return offset > 0 && offset < sweep;
}

}  // namespace

void ExtentsTracker::Include(long double x, long double y) {
  if (x < extents_.minX) extents_.minX = x;
  if (y < extents_.minY) extents_.minY = y;
  if (x > extents_.maxX) extents_.maxX = x;
  if (y > extents_.maxY) extents_.maxY = y;
}

void ExtentsTracker::Update(const MachineState& state) {
  if (first_) {
    first_ = false;
    extents_ = {state.posX, state.posY, state.posX, state.posY};
  }
  Include(state.posX, state.posY);
  if (!IsArc(state.motionKind)) return;

  const long double cx = state.posI, cy = state.posJ, r = state.radius;
  struct AxisPoint {
    long double angle, x, y;
  };
  const AxisPoint axisPoints[] = {{0, cx + r, cy}, {kPi / 2, cx, cy + r}, {kPi, cx - r, cy}, {-kPi / 2, cx, cy - r}};

  if (state.posX == state.prevX && state.posY == state.prevY) {  // a full circle
    for (const AxisPoint& p : axisPoints) Include(p.x, p.y);
    return;
  }
  const bool clockwise = state.motionKind == MotionKind::kClockwise;
  const long double sweep = ArcSweep(state.startAngle, state.endAngle, clockwise);
  for (const AxisPoint& p : axisPoints) {
    if (Passes(state.startAngle, sweep, p.angle, clockwise)) Include(p.x, p.y);
  }
}

}  // namespace morvatex
