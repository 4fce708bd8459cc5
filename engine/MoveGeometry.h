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
#include <cstddef>

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

// The two coordinates of `p` in the arc plane `plane`, in the order that
// makes G2 clockwise seen from the plane's normal, as RS274 has it: (x, y)
// for XY, (z, x) for XZ, (y, z) for YZ; and the coordinate along the normal.
template <typename Real>
Real PlaneU(const BasicPoint<Real>& p, Plane plane) {
  return plane == Plane::kXY ? p.x : plane == Plane::kXZ ? p.z : p.y;
}
template <typename Real>
Real PlaneV(const BasicPoint<Real>& p, Plane plane) {
  return plane == Plane::kXY ? p.y : plane == Plane::kXZ ? p.x : p.z;
}
template <typename Real>
Real PlaneNormal(const BasicPoint<Real>& p, Plane plane) {
  return plane == Plane::kXY ? p.z : plane == Plane::kXZ ? p.y : p.x;
}
// The point with `u` and `v` in the plane and `normal` along its normal.
template <typename Real>
BasicPoint<Real> PlanePoint(Real u, Real v, Real normal, Plane plane) {
  if (plane == Plane::kXY) return {u, v, normal};
  if (plane == Plane::kXZ) return {v, normal, u};
  return {normal, u, v};
}

// An arc whose end point is its start point in its plane: a full turn for
// the machine.
template <typename Real>
bool IsFullCircle(const BasicMove<Real>& move) {
  if (move.plane == Plane::kXY) return move.IsArc() && EndsWhereItBeganInXY(move);
  return move.IsArc() && PlaneU(move.end, move.plane) == PlaneU(move.start, move.plane) &&
         PlaneV(move.end, move.plane) == PlaneV(move.start, move.plane);
}

// Fills in an arc's radius (from the centre to the end point), its angles
// and its sweep from its kind, start, end and centre, in its plane. An arc
// back to its start point sweeps a full turn.
template <typename Real>
void CompleteArc(BasicMove<Real>& move) {
  using std::atan2;
  using std::sqrt;
  const Plane plane = move.plane;
  const Real cu = PlaneU(move.centre, plane), cv = PlaneV(move.centre, plane);
  const Real du = PlaneU(move.end, plane) - cu, dv = PlaneV(move.end, plane) - cv;
  move.radius = sqrt(du * du + dv * dv);
  move.startAngle = atan2(PlaneV(move.start, plane) - cv, PlaneU(move.start, plane) - cu);
  move.endAngle = atan2(dv, du);
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
  const Plane plane = circle.plane;
  const Real cu = PlaneU(circle.centre, plane), cv = PlaneV(circle.centre, plane);
  const BasicPoint<Real> opposite =
      PlanePoint(2 * cu - PlaneU(circle.start, plane), 2 * cv - PlaneV(circle.start, plane),
                 (PlaneNormal(circle.start, plane) + PlaneNormal(circle.end, plane)) / 2, plane);
  first.end = opposite;
  second.start = opposite;
  first.sweep = second.sweep = static_cast<Real>(kPi);
  using std::atan2;
  first.endAngle = second.startAngle = atan2(PlaneV(opposite, plane) - cv, PlaneU(opposite, plane) - cu);
  return {first, second};
}

// How far the drawing and the extents may stray from an arc outside the
// XY plane, whose projection they show as segments, mm.
inline constexpr long double kProjectionTolerance = 0.001L;

// Calls visit(chord) for the straight feed moves that follow `arc` within
// `tolerance` (the greatest distance of a chord from the arc), in order;
// the last ends exactly at the arc's end, and the depth along the plane's
// normal changes evenly. For a control that cannot be told an arc in its
// plane, and for the XY projection of an arc in another plane.
template <typename Real, typename Visit>
void ForEachChord(const BasicMove<Real>& arc, Real tolerance, Visit visit) {
  using std::acos;
  using std::ceil;
  using std::cos;
  using std::sin;
  const Plane plane = arc.plane;
  const Real r = arc.radius;
  std::size_t pieces = 1;
  if (r > tolerance && tolerance > 0) {
    const Real step = 2 * acos(1 - tolerance / r);  // the angle one chord may span
    const Real wanted = ceil(arc.sweep / step);
    pieces = !(wanted >= 1) ? 1 : wanted > 1e6 ? 1000000 : static_cast<std::size_t>(wanted);
  }
  const Real cu = PlaneU(arc.centre, plane), cv = PlaneV(arc.centre, plane);
  const Real n0 = PlaneNormal(arc.start, plane), n1 = PlaneNormal(arc.end, plane);
  const Real direction = arc.Clockwise() ? -1 : 1;
  BasicMove<Real> chord = arc;
  chord.kind = MotionKind::kLinear;
  chord.centre = {};
  chord.radius = chord.startAngle = chord.endAngle = chord.sweep = 0;
  BasicPoint<Real> from = arc.start;
  for (std::size_t i = 1; i <= pieces; ++i) {
    const Real share = static_cast<Real>(i) / static_cast<Real>(pieces);
    const Real angle = arc.startAngle + direction * arc.sweep * share;
    const BasicPoint<Real> to =
        i == pieces ? arc.end : PlanePoint(cu + r * cos(angle), cv + r * sin(angle), n0 + (n1 - n0) * share, plane);
    chord.start = from;
    chord.end = to;
    visit(static_cast<const BasicMove<Real>&>(chord));
    from = to;
  }
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
