// The geometric rules of a move, each in one place, for every part that
// follows the path: how an arc's radius, angles and sweep follow from its
// points, which arcs are full circles and which large, the axis points an
// arc passes, its bulge in a drawing, and how a full circle is cut into two
// halves (for R words, polylines and the check).
//
// Templates over the precision of the move: the interpreter's long double
// moves and the doubles of the preview and the check obey the same rules.
#pragma once

#include <array>
#include <cmath>

#include "engine/ExtendedPrecision.h"
#include "engine/Move.h"

namespace morvatex {

// The angle swept by an arc from `startAngle` to `endAngle` (radians, as
// atan2 gives them) in its direction: start − end for a clockwise arc,
// end − start for a counter-clockwise one, with 2π added when negative.
// Equal angles give 0.
template <typename Real>
Real ArcSweep(Real startAngle, Real endAngle, bool clockwise) {
  Real sweep = clockwise ? startAngle - endAngle : endAngle - startAngle;
  if (sweep < 0) sweep += static_cast<Real>(2 * kPi);
  return sweep;
}

// The move ends where it began in X and Y (exact comparison): a move along
// Z alone, one that goes nowhere, or a full circle.
template <typename Real>
bool EndsWhereItBeganInXY(const BasicMove<Real>& move) {
  return move.end.x == move.start.x && move.end.y == move.start.y;
}

// A straight move along Z alone (or nowhere): a plunge or a lift.
template <typename Real>
bool IsStraightAlongZ(const BasicMove<Real>& move) {
  return !move.IsArc() && EndsWhereItBeganInXY(move);
}

// An arc whose end point is its start point in the plane: a full turn for
// the machine.
template <typename Real>
bool IsFullCircle(const BasicMove<Real>& move) {
  return move.IsArc() && EndsWhereItBeganInXY(move);
}

// Fills in an arc's radius (from the centre to the end point), its angles
// and its sweep from its kind, start, end and centre. An arc back to its
// start point sweeps a full turn.
template <typename Real>
void CompleteArc(BasicMove<Real>& move) {
  using std::atan2;
  using std::sqrt;
  const Real dx = move.end.x - move.centre.x, dy = move.end.y - move.centre.y;
  move.radius = sqrt(dx * dx + dy * dy);
  move.startAngle = atan2(move.start.y - move.centre.y, move.start.x - move.centre.x);
  move.endAngle = atan2(dy, dx);
  move.sweep =
      IsFullCircle(move) ? static_cast<Real>(2 * kPi) : ArcSweep(move.startAngle, move.endAngle, move.Clockwise());
}

// The sweep between the start and end directions alone, without full turns:
// 0 for a full circle. The R word's sign, the drawing's bulge and the axis
// points an arc passes are taken from it.
template <typename Real>
Real PartialSweep(const BasicMove<Real>& move) {
  return IsFullCircle(move) ? Real(0) : ArcSweep(move.startAngle, move.endAngle, move.Clockwise());
}

// An arc over more than 180° (a full circle is not one): the control is
// asked for it with a negative R.
template <typename Real>
bool IsLargeArc(const BasicMove<Real>& move) {
  return move.IsArc() && PartialSweep(move) * 180 / static_cast<Real>(kPi) > 180;
}

// tan(sweep / 4), negative for a clockwise arc: the bulge of the arc as a
// polyline segment of a drawing.
template <typename Real>
Real Bulge(const BasicMove<Real>& move) {
  using std::tan;
  const Real bulge = tan(PartialSweep(move) / 4);
  return move.Clockwise() ? -bulge : bulge;
}

// A full circle as two half circles: from the start to the point opposite
// it through the centre (half the way in Z), then back to the end. Each
// half sweeps half a turn; both name the circle's line.
template <typename Real>
std::array<BasicMove<Real>, 2> FullCircleHalves(const BasicMove<Real>& circle) {
  BasicMove<Real> first = circle, second = circle;
  const BasicPoint<Real> opposite{2 * circle.centre.x - circle.start.x, 2 * circle.centre.y - circle.start.y,
                                  (circle.start.z + circle.end.z) / 2};
  first.end = opposite;
  second.start = opposite;
  first.sweep = second.sweep = static_cast<Real>(kPi);
  using std::atan2;
  first.endAngle = second.startAngle = atan2(opposite.y - circle.centre.y, opposite.x - circle.centre.x);
  return {first, second};
}

// Calls visit(x, y) for each of the four axis points of the arc's circle
// (right, top, left, bottom) that the arc passes strictly between its ends;
// all four for a full circle.
template <typename Real, typename Visit>
void ForEachAxisPointPassed(const BasicMove<Real>& move, Visit visit) {
  const Real cx = move.centre.x, cy = move.centre.y, r = move.radius;
  const Real pi = static_cast<Real>(kPi);
  struct AxisPoint {
    Real angle, x, y;
  };
  const AxisPoint axisPoints[] = {{0, cx + r, cy}, {pi / 2, cx, cy + r}, {pi, cx - r, cy}, {-pi / 2, cx, cy - r}};
  if (IsFullCircle(move)) {
    for (const AxisPoint& p : axisPoints) visit(p.x, p.y);
    return;
  }
  const bool clockwise = move.Clockwise();
  const Real sweep = PartialSweep(move);
  for (const AxisPoint& p : axisPoints) {
    Real offset = clockwise ? move.startAngle - p.angle : p.angle - move.startAngle;
    while (offset < 0) offset += 2 * pi;
    while (offset >= 2 * pi) offset -= 2 * pi;
    if (offset > 0 && offset < sweep) visit(p.x, p.y);
  }
}

}  // namespace morvatex
