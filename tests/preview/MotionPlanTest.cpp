#include "preview/MotionPlan.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"

namespace morvatex {
namespace {

constexpr double kAcceleration = 500;  // mm/s²
constexpr double kTolerance = 0.02;    // mm

PathSegment Line(PathPoint start, PathPoint end, double mmPerSecond) {
  PathSegment s;
  s.kind = MotionKind::kLinear;
  s.start = start;
  s.end = end;
  s.feed = mmPerSecond * 60;
  return s;
}

PathSegment FullCircle(double radius, double mmPerSecond) {
  PathSegment s;
  s.kind = MotionKind::kCounterClockwise;
  s.start = s.end = {radius, 0, 0};
  s.radius = radius;
  s.sweep = 2 * static_cast<double>(kPi);
  s.feed = mmPerSecond * 60;
  return s;
}

// The junction speed of a right angle at the tolerance, worked out by hand:
// sin(45°) = 0.70711, v² = 500 · 0.02 · 0.70711 / 0.29289 = 24.142 mm²/s².
const double kRightAngleSpeed = std::sqrt(24.142136);

// The cases worked out by hand: from standstill to standstill at 500 mm/s²,
// accelerating over v²/(2a) and for v/a seconds.
TEST(MotionPlan, TimesOfCasesWorkedOutByHand) {
  const double leg = 0.2 + (100 - kRightAngleSpeed) / 500 + (100 - 10 - (10000 - 24.142136) / 1000) / 100;
  std::vector<PathSegment> split;
  for (int i = 0; i < 1000; ++i) split.push_back(Line({i * 0.1, 0, 0}, {(i + 1) * 0.1, 0, 0}, 100));
  const struct {
    const char* name;
    std::vector<PathSegment> moves;
    double seconds;
  } cases[] = {
      // 0.02 s to 10 mm/s over 0.1 mm, 99.8 mm cruising, 0.02 s braking.
      {"100 mm at 10 mm/s", {Line({0, 0, 0}, {100, 0, 0}, 10)}, 0.02 + 9.98 + 0.02},
      // The peak is √(a·L) = 22.36 mm/s, reached half-way.
      {"1 mm at 100 mm/s, feed never reached", {Line({0, 0, 0}, {1, 0, 0}, 100)}, 2 * std::sqrt(2 * 0.5 / 500)},
      {"a straight continuation keeps full speed",
       {Line({0, 0, 0}, {50, 0, 0}, 10), Line({50, 0, 0}, {100, 0, 0}, 10)},
       10.02},
      // Each leg: 0.2 s up to 100 mm/s over 10 mm, braking to the corner's
      // speed, cruising in between.
      {"a right angle at 0.02 mm", {Line({0, 0, 0}, {100, 0, 0}, 100), Line({100, 0, 0}, {100, 100, 0}, 100)}, 2 * leg},
      {"a reversal stops",
       {Line({0, 0, 0}, {1, 0, 0}, 100), Line({1, 0, 0}, {0, 0, 0}, 100)},
       4 * std::sqrt(2 * 0.5 / 500)},
      // √(a·r) = 70.71 mm/s on a circle of 10 mm: 5 mm to get there and to
      // stop, 52.83 mm at that speed.
      {"a full circle's centripetal limit",
       {FullCircle(10, 100)},
       2 * std::sqrt(5000) / 500 + (20 * static_cast<double>(kPi) - 10) / std::sqrt(5000)},
      // 1000 moves of 0.1 mm plan as one: the plan looks far enough ahead.
      {"100 mm in 1000 pieces at 100 mm/s", split, 0.2 + 0.8 + 0.2},
      {"a move without feed stops the machine",
       {Line({0, 0, 0}, {50, 0, 0}, 10), Line({50, 0, 0}, {60, 0, 0}, 0), Line({60, 0, 0}, {110, 0, 0}, 10)},
       2 * (0.04 + 4.98)},
  };
  for (const auto& c : cases) {
    PathMoves moves;
    for (const PathSegment& s : c.moves) moves.push_back(s);
    EXPECT_NEAR(PlannedSeconds(moves, {6000, kAcceleration, kTolerance}), c.seconds, 1e-4) << c.name;
    // Without acceleration every move runs at its full speed.
    double instant = 0;
    for (const PathSegment& s : c.moves)
      if (s.feed > 0) instant += s.Length() / std::min(s.feed / 60, 100.0);
    EXPECT_NEAR(PlannedSeconds(moves, {6000, 0, kTolerance}), instant, 1e-4) << c.name;
  }
}

// A path of lines and arcs plans alike in the XY, XZ and YZ planes: the
// same moves with the plane's coordinates, a helix's rise along its normal.
TEST(MotionPlan, ArcsPlanAlikeInEveryPlane) {
  const double pi = static_cast<double>(kPi);
  const auto arc = [](PathPoint start, PathPoint end, double startAngle, double endAngle) {
    PathSegment s = Line(start, end, 100);
    s.kind = MotionKind::kClockwise;
    s.radius = 10;
    s.startAngle = startAngle;
    s.endAngle = endAngle;
    s.sweep = startAngle - endAngle;
    return s;
  };
  // In the plane's (u, v) and along its normal: along u into a clockwise
  // quarter circle about the origin, rising 2 mm, on along -v, then a corner.
  const std::vector<PathSegment> path = {Line({-50, 10, 0}, {0, 10, 0}, 100), arc({0, 10, 0}, {10, 0, 2}, pi / 2, 0),
                                         Line({10, 0, 2}, {10, -30, 2}, 100), Line({10, -30, 2}, {40, -30, 2}, 100)};
  double xy = 0;
  for (const Plane plane : {Plane::kXY, Plane::kXZ, Plane::kYZ}) {
    SCOPED_TRACE(static_cast<int>(plane));
    const auto in = [plane](const PathPoint& p) { return PlanePoint(p.x, p.y, p.z, plane); };
    PathMoves moves;
    for (PathSegment s : path) {
      s.plane = plane;
      s.start = in(s.start);
      s.end = in(s.end);
      s.centre = in(s.centre);
      moves.push_back(s);
    }
    EXPECT_NEAR(moves[1].Length(), std::hypot(5 * pi, 2.0), 1e-9);
    const double seconds = PlannedSeconds(moves, {6000, kAcceleration, kTolerance});
    if (plane == Plane::kXY) xy = seconds;
    EXPECT_NEAR(seconds, xy, 1e-9);
  }
}

// A dwell halts the machine before the move after it, and its time counts
// in both estimates.
TEST(MotionPlan, ADwellHaltsTheMachineAndCountsInTheEstimate) {
  ToolPath path;
  path.segments.push_back(Line({0, 0, 0}, {50, 0, 0}, 10));
  PathSegment after = Line({50, 0, 0}, {100, 0, 0}, 10);
  after.dwellBefore = true;
  path.segments.push_back(after);
  path.totals.feedLength = 100;
  path.totals.feedSeconds = 10;
  path.totals.dwellSeconds = 2.5;
  const MachiningEstimate estimate = Estimate(path, MachineModel{6000, kAcceleration, kTolerance});
  // Each half from rest to rest: 0.02 s up to 10 mm/s, 49.8 mm, 0.02 s down.
  EXPECT_NEAR(estimate.plannedSeconds, 2 * 5.02 + 2.5, 1e-9);
  EXPECT_NEAR(estimate.InstantSeconds(), 10 + 2.5, 1e-9);
  EXPECT_EQ(estimate.dwellSeconds, 2.5);
}

TEST(MotionPlan, JunctionSpeedGrowsWithTheToleranceAndShrinksWithTheAngle) {
  EXPECT_NEAR(JunctionSpeed({1, 0, 0}, {0, 1, 0}, kAcceleration, kTolerance), kRightAngleSpeed, 1e-4);
  EXPECT_TRUE(std::isinf(JunctionSpeed({1, 0, 0}, {1, 0, 0}, kAcceleration, kTolerance)));
  EXPECT_EQ(JunctionSpeed({1, 0, 0}, {-1, 0, 0}, kAcceleration, kTolerance), 0);
  const double shallow = JunctionSpeed({1, 0, 0}, {std::cos(0.1), std::sin(0.1), 0}, kAcceleration, kTolerance);
  EXPECT_GT(shallow, 10 * kRightAngleSpeed);
  EXPECT_NEAR(JunctionSpeed({1, 0, 0}, {0, 1, 0}, kAcceleration, 4 * kTolerance), 2 * kRightAngleSpeed, 1e-4);
}

}  // namespace
}  // namespace morvatex
