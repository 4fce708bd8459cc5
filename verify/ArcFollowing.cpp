#include "verify/ArcFollowing.h"

#include <algorithm>
#include <cmath>

#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"

namespace morvatex {
namespace {

constexpr double kTurn = 2 * static_cast<double>(kPi);

double Distance(const PathPoint& a, const PathPoint& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// The arc in its plane's coordinates, and how far a point lies from it at
// a given progress along it.
class ArcInPlane {
 public:
  explicit ArcInPlane(const PathMove& arc)
      : plane_(arc.plane),
        cu_(PlaneU(arc.centre, arc.plane)),
        cv_(PlaneV(arc.centre, arc.plane)),
        n0_(PlaneNormal(arc.start, arc.plane)),
        n1_(PlaneNormal(arc.end, arc.plane)),
        radius_(arc.radius),
        sweep_(arc.sweep),
        direction_(arc.Clockwise() ? -1 : 1) {}

  double Angle(const PathPoint& p) const { return std::atan2(PlaneV(p, plane_) - cv_, PlaneU(p, plane_) - cu_); }
  // The turn from `from` to `to` in the arc's sense, within half a turn either way.
  double Step(double from, double to) const {
    double step = direction_ * (to - from);
    while (step > kTurn / 2) step -= kTurn;
    while (step <= -kTurn / 2) step += kTurn;
    return step;
  }
  // How far `p` lies from the arc's point at `progress` (radians along it):
  // off the circle in the plane, and off the even depth along the normal.
  double Off(const PathPoint& p, double progress) const {
    const double du = PlaneU(p, plane_) - cu_, dv = PlaneV(p, plane_) - cv_;
    const double share = sweep_ > 0 ? std::clamp(progress / sweep_, 0.0, 1.0) : 1;
    const double radial = std::sqrt(du * du + dv * dv) - radius_;
    const double depth = PlaneNormal(p, plane_) - (n0_ + (n1_ - n0_) * share);
    return std::sqrt(radial * radial + depth * depth);
  }
  double Radius() const { return radius_; }
  double Sweep() const { return sweep_; }

 private:
  Plane plane_;
  double cu_, cv_, n0_, n1_, radius_, sweep_;
  double direction_;
};

PathPoint Middle(const PathPoint& a, const PathPoint& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}; }

}  // namespace

ArcFollowing FollowArc(const PathMove& arc, const std::vector<TracedMove>& moves, std::size_t from, double tolerance,
                       double band) {
  ArcFollowing result;
  if (!arc.IsArc() || !(arc.radius > 0) || from >= moves.size()) return result;
  const ArcInPlane shape(arc);
  if (!(Distance(moves[from].start, arc.start) <= tolerance)) return result;
  double progress = 0, angle = arc.startAngle;
  // A small step back within the tolerance is the rounding of a written point.
  const double slack = tolerance / shape.Radius();
  for (std::size_t k = from; k < moves.size(); ++k) {
    const TracedMove& chord = moves[k];
    if (chord.kind != MotionKind::kLinear || chord.IsDwell()) return result;
    const double to = shape.Angle(chord.end);
    const double step = shape.Step(angle, to);
    if (step < -slack) return result;
    const double middleProgress = progress + step / 2;
    progress += step;
    angle = to;
    if (progress > shape.Sweep() + slack) return result;
    const double off =
        std::max(shape.Off(chord.end, progress), shape.Off(Middle(chord.start, chord.end), middleProgress));
    if (!(off <= band)) return result;
    if (off > result.deviation) result.deviation = off, result.farthest = k;
    if (shape.Sweep() - progress <= slack && Distance(chord.end, arc.end) <= tolerance) {
      result.verdict = ArcFollowing::Verdict::kFollows;
      result.moves = k + 1 - from;
      return result;
    }
  }
  result.verdict = ArcFollowing::Verdict::kNeedMore;
  return result;
}

bool ContinuesArc(const PathMove& arc, const PathMove& next) {
  const Plane plane = arc.plane;
  return next.IsArc() && next.kind == arc.kind && next.plane == plane && next.line == arc.line &&
         next.start == arc.end && PlaneU(next.centre, plane) == PlaneU(arc.centre, plane) &&
         PlaneV(next.centre, plane) == PlaneV(arc.centre, plane);
}

}  // namespace morvatex
