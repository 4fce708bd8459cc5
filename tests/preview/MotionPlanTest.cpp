#include "preview/MotionPlan.h"

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

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

// A right angle rounded by LinuxCNC's rule: 0.048284 mm cut off each leg
// (0.02 · cos 45° / (1 − sin 45°)), an arc of that radius, run at
// v² = 0.86603 · 500 · 0.048284 = 20.908 mm²/s².
constexpr double kRightAngleCut = 0.0482843;
const double kRoundedCornerSpeed = std::sqrt(20.9077);

// The cases worked out by hand: from standstill to standstill at 500 mm/s²,
// accelerating over v²/(2a) and for v/a seconds.
TEST(MotionPlan, TimesOfCasesWorkedOutByHand) {
  const double v = kRoundedCornerSpeed;
  const double leg = 0.2 + (100 - v) / 500 + (100 - kRightAngleCut - 10 - (10000 - v * v) / 1000) / 100;
  const double corner = kRightAngleCut * static_cast<double>(kPi) / 2 / v;
  // On a circle of 10 mm the normal share, √(0.86603 · 500 · 10) = 65.80 mm/s,
  // and half the acceleration along it.
  const double round = std::sqrt(0.8660254 * 500 * 10);
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
      // speed, cruising in between; the corner's arc at that speed.
      {"a right angle at 0.02 mm",
       {Line({0, 0, 0}, {100, 0, 0}, 100), Line({100, 0, 0}, {100, 100, 0}, 100)},
       2 * leg + corner},
      {"a reversal stops",
       {Line({0, 0, 0}, {1, 0, 0}, 100), Line({1, 0, 0}, {0, 0, 0}, 100)},
       4 * std::sqrt(2 * 0.5 / 500)},
      {"a full circle's centripetal limit",
       {FullCircle(10, 100)},
       2 * round / 250 + (20 * static_cast<double>(kPi) - round * round / 250) / round},
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

// Isel programs of the kinds bench/planner/programs.py writes, in µm.
std::vector<std::string> IselProgram(int vel, const std::function<void(std::vector<std::string>&)>& body) {
  std::vector<std::string> lines = {"GETTOOL 1", "VEL " + std::to_string(vel)};
  body(lines);
  lines.push_back("PROGEND");
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = "N" + std::to_string(i + 1) + " " + lines[i];
  return lines;
}

std::string Move(double x, double y, const char* command = "MOVEABS") {
  return std::string(command) + " X" + std::to_string(std::lround(x * 1000)) + " Y" +
         std::to_string(std::lround(y * 1000));
}

double PlannedSecondsOf(const std::vector<std::string>& program, const MachineModel& machine) {
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = testing::CrLfLines(std::vector<std::string_view>(program.begin(), program.end()));
  return Estimate(TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings()), machine).plannedSeconds;
}

// The same programs as in bench/planner/planner.md, timed there by
// LinuxCNC's planner in its simulator; the estimate stays within 10 % of
// it. The old rule (rounding by the tolerance alone, arcs at the full
// acceleration) was 35 % short on the staircase.
TEST(MotionPlan, EstimatesDensePathsAsLinuxCncPlansThem) {
  const auto stairs = [](std::vector<std::string>& p) {
    p.push_back("FASTABS X0 Y0 Z1000");
    p.push_back("MOVEABS X0 Y0 Z-1000");
    for (int i = 0; i < 1000; ++i) {
      p.push_back(Move((i + 1) * 0.1, i * 0.1));
      p.push_back(Move((i + 1) * 0.1, (i + 1) * 0.1));
    }
    p.push_back("FASTABS X100000 Y100000 Z5000");
  };
  const auto circles = [](std::vector<std::string>& p) {
    for (const double r : {3.0, 1.0}) {
      const double cx = r == 3 ? 10 : 30;
      p.push_back(Move(cx + r, 10, "FASTABS") + " Z1000");
      p.push_back(Move(cx + r, 10) + " Z-1000");
      for (int i = 0; i < 10; ++i) {
        const std::string centre = "CCWABS I" + std::to_string(std::lround(cx * 1000)) + " J10000 ";
        p.push_back(centre + Move(cx - r, 10, "").substr(1));
        p.push_back(centre + Move(cx + r, 10, "").substr(1));
      }
      p.push_back(Move(cx + r, 10, "FASTABS") + " Z5000");
    }
  };
  const auto spiral = [](std::vector<std::string>& p) {
    p.push_back("FASTABS X60000 Y50000 Z1000");
    p.push_back("MOVEABS X60000 Y50000 Z-1000");
    for (double angle = 0, radius = 10; radius > 1;) {
      angle += 0.1 / radius;
      radius = 10 - 9 * angle / (8 * std::acos(-1.0));
      p.push_back(Move(50 + radius * std::cos(angle), 50 + radius * std::sin(angle)));
    }
    p.push_back("FASTABS X50000 Y50000 Z5000");
  };
  const auto pocket = [](std::vector<std::string>& p) {
    p.push_back("FASTABS X0 Y0 Z1000");
    p.push_back("MOVEABS X0 Y0 Z-2000");
    double x0 = 0, y0 = 0, x1 = 100, y1 = 60;
    for (; x1 > x0 && y1 > y0; x0 += 5, y0 += 5, x1 -= 5, y1 -= 5) {
      for (const auto& [x, y] : {std::pair{x1, y0}, {x1, y1}, {x0, y1}, {x0, y0 + 5}, {x0 + 5, y0 + 5}})
        p.push_back(Move(x, y));
    }
    p.push_back(Move(x0, y0, "FASTABS") + " Z5000");
  };
  const struct {
    const char* name;
    std::vector<std::string> program;
    MachineModel machine;
    double linuxCnc;  // seconds
  } cases[] = {
      {"1,000-step staircase of 0.1 mm", IselProgram(20000, stairs), {5000, 200, 0.05}, 54.22},
      {"circles R3 and R1", IselProgram(40000, circles), {5000, 500, 0.02}, 10.26},
      {"spiral of 0.1 mm chords", IselProgram(40000, spiral), {5000, 500, 0.02}, 5.15},
      {"pocket of long lines", IselProgram(40000, pocket), {5000, 500, 0.02}, 35.51},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(PlannedSecondsOf(c.program, c.machine), c.linuxCnc, 0.1 * c.linuxCnc) << c.name;
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

}  // namespace
}  // namespace morvatex
