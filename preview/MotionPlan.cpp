#include "preview/MotionPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "engine/MoveGeometry.h"
#include "preview/CornerBlend.h"

namespace morvatex {
namespace {

// A move of the plan: a programmed move less its rounded corners, or the
// arc that rounds a corner. Floats are fine enough for an estimate and keep
// a long path's plan small; its sums are taken in doubles.
struct PlannedMove {
  float length = 0;        // mm
  float cruise = 0;        // mm/s, the highest speed within the move
  float entry = 0;         // mm/s, the highest speed at its start
  float acceleration = 0;  // mm/s² along the path
};

// The moves shorter than this take no time and keep the direction of the
// move before them.
constexpr double kShortestMove = 1e-9;  // mm

PathPoint Scaled(const PathPoint& p, double factor) { return {p.x * factor, p.y * factor, p.z * factor}; }

// The unit tangents at the start and end of a move of `length`.
void Tangents(const PathSegment& segment, double length, PathPoint& start, PathPoint& end) {
  const double dz = (segment.end.z - segment.start.z) / length;
  if (!segment.IsArc()) {
    start = Scaled({segment.end.x - segment.start.x, segment.end.y - segment.start.y, 0}, 1 / length);
    start.z = dz;
    end = start;
    return;
  }
  // Along the circle: a quarter turn ahead of the radius, in the direction
  // of the sweep, in the arc's plane; the planar part shrinks by the share
  // along the plane's normal in the length.
  const Plane plane = segment.plane;
  const double across = (PlaneNormal(segment.end, plane) - PlaneNormal(segment.start, plane)) / length;
  const double planar = segment.sweep * segment.radius / length;
  const double turn = segment.Clockwise() ? -1 : 1;
  const double a = segment.startAngle, b = segment.startAngle + segment.SignedSweep();
  start = PlanePoint(-std::sin(a) * turn * planar, std::cos(a) * turn * planar, across, plane);
  end = PlanePoint(-std::sin(b) * turn * planar, std::cos(b) * turn * planar, across, plane);
}

// The full speed of a move (mm/s), 0 for one that is not timed, and the
// acceleration along it.
ArcLimits Motion(const PathSegment& segment, const MachineModel& machine) {
  if (segment.kind == MotionKind::kRapid) return {std::max(0.0, machine.rapidRate / 60), machine.acceleration};
  const double feed = std::max(0.0, segment.feed / 60);
  if (segment.IsArc() && segment.radius > 0 && machine.acceleration > 0)
    return ArcMotion(segment.radius, feed, machine.acceleration);
  return {feed, machine.acceleration};
}

// The moves that take time, each with its entry speed limited by the
// corner before it, the rounding arcs between them; a move that is not
// timed, and a dwell, stop the machine.
std::vector<PlannedMove> Moves(const PathMoves& moves, const MachineModel& machine) {
  std::vector<PlannedMove> plan;
  // Room for a rounding arc at every corner: the pages not filled are
  // never touched.
  plan.reserve(2 * moves.size());
  PathPoint direction;  // at the end of the last timed move
  double previous = 0;  // its programmed length
  bool moving = false;  // the last move was timed: its end joins the next
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (moves.DwellBefore(i)) moving = false;
    const PathSegment segment = moves[i];
    const double length = segment.Length();
    if (!(length > kShortestMove)) continue;
    const ArcLimits motion = Motion(segment, machine);
    if (!(motion.speed > 0)) {
      moving = false;
      continue;
    }
    PathPoint start, end;
    Tangents(segment, length, start, end);
    double entry = 0, cut = 0;
    if (moving) {
      const CornerBlend corner =
          BlendCorner(direction, start, previous, length, machine.acceleration, machine.cornerTolerance);
      entry = std::min({corner.speed, static_cast<double>(plan.back().cruise), motion.speed});
      if (corner.cut > 0) {
        cut = corner.cut;
        plan.back().length = static_cast<float>(std::max(0.0, plan.back().length - cut));
        const auto e = static_cast<float>(entry);
        plan.push_back({static_cast<float>(corner.length), e, e, static_cast<float>(machine.acceleration)});
      }
    }
    plan.push_back({static_cast<float>(length - cut), static_cast<float>(motion.speed), static_cast<float>(entry),
                    static_cast<float>(motion.acceleration)});
    direction = end;
    previous = length;
    moving = true;
  }
  return plan;
}

}  // namespace

double TrapezoidSeconds(double length, double entry, double exit, double cruise, double acceleration) {
  const double accelerating = (cruise * cruise - entry * entry) / (2 * acceleration);
  const double braking = (cruise * cruise - exit * exit) / (2 * acceleration);
  if (accelerating + braking <= length)
    return (cruise - entry) / acceleration + (cruise - exit) / acceleration +
           (length - accelerating - braking) / cruise;
  // Too short to reach the cruise: up to the peak and down again.
  const double peak =
      std::sqrt(std::max({(2 * acceleration * length + entry * entry + exit * exit) / 2, entry * entry, exit * exit}));
  return (peak - entry) / acceleration + (peak - exit) / acceleration;
}

MachiningEstimate Estimate(const ToolPath& path, const MachineModel& machine) {
  MachiningEstimate estimate = Estimate(path, machine.rapidRate);
  try {
    estimate.plannedSeconds = PlannedSeconds(path.segments, machine) + estimate.dwellSeconds;
  } catch (const std::bad_alloc&) {
    estimate.plannedSeconds = -1;  // the instant time stands in
  }
  return estimate;
}

double PlannedSeconds(const PathMoves& moves, const MachineModel& machine) {
  if (!(machine.acceleration > 0)) {
    double seconds = 0;
    for (std::size_t i = 0; i < moves.size(); ++i) {
      const PathSegment segment = moves[i];
      const double cruise = Motion(segment, machine).speed;
      if (cruise > 0) seconds += segment.Length() / cruise;
    }
    return seconds;
  }
  std::vector<PlannedMove> plan = Moves(moves, machine);
  // Backwards: each move may start only as fast as it can brake to the
  // entry of the next (at rest after the last).
  double next = 0;
  for (auto move = plan.rbegin(); move != plan.rend(); ++move) {
    const double reachable = std::sqrt(next * next + 2 * move->acceleration * move->length);
    move->entry = static_cast<float>(std::min<double>(move->entry, reachable));
    next = move->entry;
  }
  // Forwards: each move ends at most as fast as it can accelerate to.
  double seconds = 0;
  double speed = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const PlannedMove& move = plan[i];
    const double entry = std::min<double>(speed, move.entry);
    const double limit = i + 1 < plan.size() ? plan[i + 1].entry : 0.0;
    const double a = move.acceleration;
    const double exit = std::min(limit, std::sqrt(entry * entry + 2 * a * move.length));
    if (move.length > 0) seconds += TrapezoidSeconds(move.length, entry, exit, move.cruise, a);
    speed = exit;
  }
  return seconds;
}

}  // namespace morvatex
