#include "preview/ToolPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "engine/OutcomeCodes.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRapidRate = 6000;  // mm/min: 100 mm/s
constexpr double kTolerance = 1e-9;

ToolPath Trace(const std::vector<std::string_view>& program, IselDialect dialect = IselDialect::kOriginal) {
  testing::FakeFileSystem fs;
  fs.files["p.ncp"] = testing::CrLfLines(program);
  return TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), {}, {}, dialect);
}

// Programs whose figures follow from their construction: lengths in mm,
// VEL 10000 µm/s is 600 mm/min, rapid moves at 100 mm/s.
struct Case {
  const char* name;
  std::vector<std::string_view> program;
  Outcome code;
  std::size_t failedLine;
  double feedLength, rapidLength, unfedLength, seconds;
  int toolChanges;
  DrawingExtents extents;
  std::size_t segments;
  std::size_t lastSegmentLine;
};

const double kLift = 5 + std::sqrt(500.0) + 6;  // up, over to (10, 20), up again
const Case kCases[] = {
    {"rectangle 100 x 50 at 600 mm/min, plunge 6 mm",
     {"VEL 10000", "FASTABS X0 Y0 Z5000", "FASTABS X10000 Y20000", "MOVEABS Z-1000", "MOVEABS X110000",
      "MOVEABS Y70000", "MOVEABS X10000", "MOVEABS Y20000", "FASTABS Z5000", "PROGEND"},
     Outcome::kSuccess,
     0,
     306,
     kLift,
     0,
     306.0 / 600 * 60 + kLift / 100,
     0,
     {0, 0, 110, 70},
     8,
     9},
    {"full circle r 10 at 360 mm/min",
     {"N1 VEL 6000", "N2 FASTABS X10000 Y0", "N3 CWABS I0 J0 X10000 Y0", "N4 FASTABS X0 Y0", "N5 PROGEND"},
     Outcome::kSuccess,
     0,
     20 * kPi,
     20,
     0,
     20 * kPi / 360 * 60 + 20.0 / 100,
     0,
     {-10, -10, 10, 10},
     3,
     4},
    {"half circle with a helix down 3 mm",
     {"VEL 6000", "FASTABS X10000 Y0", "CCWABS I0 J0 X-10000 Y0 Z-3000", "GETTOOL 1", "GETTOOL 2", "PROGEND"},
     Outcome::kSuccess,
     0,
     std::hypot(10 * kPi, 3.0),
     10,
     0,
     std::hypot(10 * kPi, 3.0) / 360 * 60 + 10.0 / 100,
     2,
     {-10, 0, 10, 10},
     2,
     3},
    {"feed moves before any VEL are not timed",
     {"MOVEABS X3000", "VEL 10000", "MOVEABS X9000", "GETTOOL 100", "MOVEABS X0", "PROGEND"},
     Outcome::kToolOutOfRange,
     4,
     9,
     0,
     3,
     6.0 / 600 * 60,
     0,
     {0, 0, 9, 0},
     2,
     3},
    {"failure in the writing pass ends the path at its line",
     {"VEL 10000", "MOVEABS X1000", "MOVEABS Y1000", "GETTOOL 3", "VEL x", "MOVEABS X0", "MOVEABS Y0", "PROGEND"},
     Outcome::kFeedNotInteger,
     5,
     2,
     0,
     0,
     2.0 / 600 * 60,
     1,
     {0, 0, 1, 1},
     2,
     3},
    {"failure in the measuring pass comes first, the path runs up to it",
     {"VEL x", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X1.5", "MOVEABS Y0", "PROGEND"},
     Outcome::kMeasuringNotInteger,
     4,
     2,
     0,
     2,
     0,
     0,
     {0, 0, 1, 1},
     3,
     4},
    {"no line begins with PROGEND: the whole program, blamed on its last line",
     {"VEL 10000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "; PROGEND"},
     Outcome::kMeasuringPassNoEnd,
     5,
     3,
     0,
     0,
     3.0 / 600 * 60,
     0,
     {0, 0, 1, 1},
     3,
     4},
    {"too few lines", {"VEL 10000", "MOVEABS X1000", "PROGEND"}, Outcome::kTooFewLines, 0, 0, 0, 0, 0, 0, {}, 0, 0},
    {"no PROGEND",
     {"VEL 10000", "MOVEABS X1000", "MOVEABS X0", "MOVEABS X1", "MOVEABS X2"},
     Outcome::kNoProgend,
     0,
     0,
     0,
     0,
     0,
     0,
     {},
     0,
     0},
};

TEST(ToolPath, FiguresOfProgramsKnownByConstruction) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const ToolPath path = Trace(c.program);
    EXPECT_EQ(path.code, c.code);
    EXPECT_EQ(path.failedLine, c.failedLine);
    if (c.failedLine > 0) {
      EXPECT_EQ(path.failedLineText, c.program[c.failedLine - 1]);
    }
    ASSERT_EQ(path.segments.size(), c.segments);
    if (!path.segments.empty()) {
      EXPECT_EQ(path.segments.back().line, c.lastSegmentLine);
    }
    const MachiningEstimate estimate = Estimate(path, kRapidRate);
    EXPECT_NEAR(estimate.feedLength, c.feedLength, kTolerance);
    EXPECT_NEAR(estimate.rapidLength, c.rapidLength, kTolerance);
    EXPECT_NEAR(estimate.unfedLength, c.unfedLength, kTolerance);
    EXPECT_NEAR(estimate.Seconds(), c.seconds, kTolerance);
    EXPECT_EQ(estimate.toolChanges, c.toolChanges);
    EXPECT_EQ(path.extentsKnown, c.code != Outcome::kTooFewLines && c.code != Outcome::kNoProgend);
    EXPECT_NEAR(path.extents.minX, c.extents.minX, kTolerance);
    EXPECT_NEAR(path.extents.minY, c.extents.minY, kTolerance);
    EXPECT_NEAR(path.extents.maxX, c.extents.maxX, kTolerance);
    EXPECT_NEAR(path.extents.maxY, c.extents.maxY, kTolerance);
  }
}

// What the extended dialect gives: several moves or steps of one line,
// arcs outside the XY plane, dwells, frames whose axes are not yet known,
// and the lines it does not carry over whole, whose moves are marked from
// the line's first step on. VEL 6000 is 360 mm/min.
TEST(ToolPath, FiguresOfTheExtendedDialect) {
  struct Figures {
    std::size_t moves;
    double feedLength, rapidLength, feedSeconds, dwellSeconds;
    std::size_t uncertain, marked, afterDwell;  // moves whose place is uncertain, of lines not carried, after a dwell
  };
  const double helix = std::hypot(4 * kPi, 3.2) + std::hypot(kPi, 0.8), drill = 3.8;  // Z 2 down to Z -1.8
  const struct {
    const char* name;
    std::vector<std::string_view> program;
    Figures want;
    std::vector<std::size_t> notCarried;  // the lines
  } cases[] = {
      {"a half circle in PLANE XZ",
       {"VEL 6000", "FASTABS X10000 Y5000 Z0", "PLANE XZ", "CWABS I0 K0 X-10000 Z0", "PROGEND"},
       {2, 10 * kPi, std::sqrt(125.0), 10 * kPi / 6, 0, 0, 0, 0},
       {}},
      {"a helix of a turn and a quarter, in pieces",
       {"VEL 6000", "FASTABS X12000 Y10000 Z1000", "CCWHLXABS I10000 J10000 W360 Z-2200",
        "CCWHLXABS I10000 J10000 W90 X10000 Y12000 Z-3000", "PROGEND"},
       {5, helix, std::sqrt(245.0), helix / 6, 0, 0, 0, 0},
       {}},
      {"drill cycles: each line several steps, with its own feed and a dwell; a word left out",
       {"VEL 6000", "DRILLDEF C1 P0 S2000 D1800 V1000 T500", "DRILL X10000 Y5000", "DRILL X20000 Y5000 Q7", "PROGEND"},
       {8, 2 * drill, 2 + std::sqrt(125.0) + drill + 10 + drill, 2 * drill, 1, 0, 4, 2},
       {4}},
      {"dwells after the spindle start and in WAIT",
       {"SPINDLE CW RPM12000 TIME2000", "WAIT 1500", "VEL 6000", "MOVEABS X6000", "PROGEND"},
       {1, 6, 0, 1, 3.5, 0, 0, 1},
       {}},
      {"the machine's frame, then a work frame, each until every axis is given",
       {"VEL 6000", "FASTABS X10000 Y10000 Z5000", "WPCLEAR", "FASTABS Z0", "WPREG2ACT", "MOVEABS X20000",
        "MOVEABS Y0 Z-1000", "PROGEND"},
       {4, 10 + std::sqrt(101.0), 15 + 5, (10 + std::sqrt(101.0)) / 6, 0, 2, 0, 0},
       {}},
      {"lines not carried over whole",
       {"FOO 1", "VEL 6000", "MOVEABS X1000 Q7", "  MOVEABS Y1000", "PROGEND"},
       {2, 2, 0, 2.0 / 6, 0, 0, 1, 0},
       {1, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolPath path = Trace(c.program, IselDialect::kExtended);
    EXPECT_EQ(path.code, Outcome::kSuccess) << path.failedLine;
    const MachiningEstimate estimate = Estimate(path, kRapidRate);
    Figures got{path.segments.size(),
                estimate.feedLength,
                estimate.rapidLength,
                estimate.feedSeconds,
                estimate.dwellSeconds,
                0,
                0,
                0};
    for (std::size_t i = 0; i < path.segments.size(); ++i) {
      got.uncertain += path.segments.Uncertain(i);
      got.marked += path.segments.NotCarried(i);
      got.afterDwell += path.segments.DwellBefore(i);
    }
    EXPECT_EQ(got.moves, c.want.moves);
    EXPECT_NEAR(got.feedLength, c.want.feedLength, kTolerance);
    EXPECT_NEAR(got.rapidLength, c.want.rapidLength, kTolerance);
    EXPECT_NEAR(got.feedSeconds, c.want.feedSeconds, kTolerance);
    EXPECT_NEAR(got.dwellSeconds, c.want.dwellSeconds, kTolerance);
    EXPECT_EQ(got.uncertain, c.want.uncertain);
    EXPECT_EQ(got.marked, c.want.marked);
    EXPECT_EQ(got.afterDwell, c.want.afterDwell);
    std::vector<std::size_t> notCarried;
    for (const NotCarriedLine& line : path.notCarried) notCarried.push_back(line.line);
    EXPECT_EQ(notCarried, c.notCarried);
    EXPECT_EQ(path.notCarriedCount, c.notCarried.size());
  }
}

// Each move as the interpreter made it: its kind and line, an arc's centre,
// radius, angles and sweep (never negative; with its direction signed).
TEST(ToolPath, ArcsKeepTheInterpretersGeometry) {
  const ToolPath path = Trace(
      {"FASTABS X10000 Y0", "CWABS I0 J0 X0 Y-10000", "CCWABS I0 J0 X10000 Y0", "CWABS I0 J0 X10000 Y0", "PROGEND"});
  ASSERT_EQ(path.segments.size(), 4u);
  EXPECT_EQ(path.segments[0].kind, MotionKind::kRapid);
  const struct {
    const char* name;
    MotionKind kind;
    double startAngle, endAngle, sweep, signedSweep;
  } arcs[] = {
      {"a quarter, clockwise", MotionKind::kClockwise, 0, -kPi / 2, kPi / 2, -kPi / 2},
      {"a quarter, counter-clockwise", MotionKind::kCounterClockwise, -kPi / 2, 0, kPi / 2, kPi / 2},
      {"end = start: a full turn", MotionKind::kClockwise, 0, 0, 2 * kPi, -2 * kPi},
  };
  for (std::size_t i = 0; i < std::size(arcs); ++i) {
    SCOPED_TRACE(arcs[i].name);
    const PathSegment arc = path.segments[i + 1];
    EXPECT_EQ(arc.kind, arcs[i].kind);
    EXPECT_EQ(arc.line, i + 2);
    EXPECT_EQ(arc.centre, (PathPoint{0, 0, 0}));
    EXPECT_NEAR(arc.radius, 10, kTolerance);
    EXPECT_NEAR(arc.startAngle, arcs[i].startAngle, kTolerance);
    EXPECT_NEAR(arc.endAngle, arcs[i].endAngle, kTolerance);
    EXPECT_NEAR(arc.sweep, arcs[i].sweep, kTolerance);
    EXPECT_NEAR(arc.SignedSweep(), arcs[i].signedSweep, kTolerance);
    EXPECT_NEAR(arc.Length(), 10 * arcs[i].sweep, kTolerance);
  }
}

// The lengths come from the interpreter's values, not from the stored
// coordinates: steps of 1 µm far from zero, which floats cannot tell apart.
TEST(ToolPath, TotalsKeepStepsTooFineForTheStoredCoordinates) {
  std::vector<std::string> text = {"VEL 10000", "FASTABS X100000000", "MOVEABS Z-1000"};
  for (int i = 0; i < 100; ++i) text.push_back(i % 2 == 0 ? "MOVEABS X100000001" : "MOVEABS X100000000");
  text.push_back("FASTABS X100000001 Z5000");
  text.push_back("PROGEND");
  const ToolPath path = Trace(std::vector<std::string_view>(text.begin(), text.end()));
  ASSERT_EQ(path.code, Outcome::kSuccess);
  const MachiningEstimate estimate = Estimate(path, kRapidRate);
  EXPECT_NEAR(estimate.feedLength, 1 + 100 * 0.001, kTolerance);
  EXPECT_NEAR(estimate.rapidLength, 100000 + std::hypot(0.001, 6.0), kTolerance);
  EXPECT_NEAR(estimate.feedSeconds, (1 + 100 * 0.001) / 600 * 60, kTolerance);
  EXPECT_NEAR(Estimate(path, 2 * kRapidRate).rapidSeconds, estimate.rapidSeconds / 2, kTolerance);
}

// Moves read back as stored: a start apart from the end before it (and
// from the machine zero for the first move) is kept, arcs keep their data.
TEST(ToolPath, MovesReadBackAsStored) {
  const auto move = [](MotionKind kind, PathPoint start, PathPoint end, std::size_t line) {
    PathSegment s;
    s.kind = kind;
    s.start = start;
    s.end = end;
    s.line = line;
    s.feed = kind == MotionKind::kRapid ? 0 : 600;
    s.zOnly = kind == MotionKind::kLinear && start.x == end.x && start.y == end.y && start.z != end.z;
    if (s.IsArc()) {
      s.centre = {1.25, -2.5, 0.75};
      s.radius = 7.125;
      s.startAngle = 0.5;
      s.endAngle = -0.25;
      s.sweep = 2 * kPi;
    }
    return s;
  };
  using K = MotionKind;
  std::vector<PathSegment> segments = {
      move(K::kRapid, {0, 0, 0}, {10, 20, 5}, 2),                    // from the machine zero
      move(K::kLinear, {10, 20, 5}, {10, 20, -1}, 3),                // in Z alone
      move(K::kClockwise, {10, 20, -1}, {10, 20, -1}, 4),            // a full turn
      move(K::kLinear, {3, 4, -1}, {30, 40, -1}, 9),                 // starts apart
      move(K::kCounterClockwise, {1, 1, 1}, {-1.5, 2.75, 0.5}, 12),  // an arc that starts apart
      move(K::kCounterClockwise, {-1.5, 2.75, 0.5}, {2, 2, 0.5}, 13),
      move(K::kRapid, {2, 2, 0.5}, {0, 0, 0}, 4000000000u),
  };
  segments[5].plane = Plane::kXZ;
  segments[5].sweep = 1.5;
  ToolPath path;
  path.segments.push_back(move(K::kLinear, {1, 2, 3}, {4, 5, 6}, 1));  // the first starts apart too
  for (const PathSegment& s : segments) path.segments.push_back(s);
  ASSERT_EQ(path.segments.size(), segments.size() + 1);
  EXPECT_EQ(path.segments[0].start, (PathPoint{1, 2, 3}));
  ToolPath fromZero;
  fromZero.segments.push_back(segments[0]);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    SCOPED_TRACE(i);
    const PathSegment& want = segments[i];
    const PathSegment got = i == 0 ? fromZero.segments[0] : path.segments[i + 1];
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.plane, want.plane);
    EXPECT_EQ(got.line, want.line);
    EXPECT_EQ(got.feed, want.feed);
    EXPECT_EQ(got.zOnly, want.zOnly);
    EXPECT_EQ(got.start, want.start);
    EXPECT_EQ(got.end, want.end);
    EXPECT_EQ(got.centre, want.centre);
    EXPECT_EQ(got.radius, want.radius);
    EXPECT_EQ(got.startAngle, want.startAngle);
    EXPECT_EQ(got.endAngle, want.endAngle);
    EXPECT_EQ(got.sweep, want.sweep);
  }
}

// A stop ends the trace as it ends a conversion, in either pass, or before
// the lines when it came while the source was read.
TEST(ToolPath, AStopEndsTheTraceWithCodeEleven) {
  std::vector<std::string> text(2000, "MOVEABS X1000 Y1000");
  text.insert(text.begin(), "VEL 1000");
  text.push_back("PROGEND");
  const std::vector<std::string_view> program(text.begin(), text.end());
  for (const int yesAt : {1, 3, 9}) {
    testing::FakeFileSystem fs;
    fs.files["p.ncp"] = testing::CrLfLines(program);
    int asked = 0;
    const ToolPath path =
        TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), [&] { return ++asked >= yesAt; });
    EXPECT_EQ(path.code, Outcome::kStopped) << yesAt;
    EXPECT_EQ(asked, yesAt) << "asked no more once it said yes";
  }
  testing::FakeFileSystem fs;
  fs.failOpenRead.insert("p.ncp");  // a read a stop gave up
  EXPECT_EQ(TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), [] { return true; }).code,
            Outcome::kStopped);
  EXPECT_EQ(TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), [] { return false; }).code,
            Outcome::kSourceOpen);
}

// The progress runs through the reading and then both passes over all the
// lines, never backwards; a source handed over in small pieces traces as one
// read in large ones.
TEST(ToolPath, ProgressFollowsTheReadingAndBothPasses) {
  std::vector<std::string> text(1000, "MOVEABS X1000 Y1000");
  text.insert(text.begin(), "VEL 1000");
  text.push_back("PROGEND");
  const std::vector<std::string_view> program(text.begin(), text.end());
  for (const std::size_t chunk : {std::size_t{7}, std::size_t{1} << 16}) {
    SCOPED_TRACE(chunk);
    testing::FakeFileSystem fs;
    fs.files["p.ncp"] = testing::CrLfLines(program);
    fs.readChunk = chunk;
    std::vector<TraceProgress> seen;
    const ToolPath path = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), {},
                                            [&](const TraceProgress& progress) { seen.push_back(progress); });
    EXPECT_EQ(path.code, Outcome::kSuccess);
    EXPECT_EQ(path.segments.size(), 1000u);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().pass, 0);
    EXPECT_EQ(seen.back().pass, 2);
    for (std::size_t i = 1; i < seen.size(); ++i) {
      const TraceProgress& before = seen[i - 1];
      const TraceProgress& now = seen[i];
      EXPECT_TRUE(now.pass > before.pass || (now.pass == before.pass && now.done >= before.done)) << i;
      if (now.pass > 0) {
        EXPECT_EQ(now.total, text.size());
        EXPECT_LT(now.done, now.total);
      }
    }
  }
}

// A file is read twice, the second time in pieces for the writing pass; a
// FIFO gives its bytes once and keeps its lines. Either way, and in pieces
// of any size, the path is the same, failures and their lines included.
TEST(ToolPath, TracesAFileAFifoAndSmallPiecesAlike) {
  const std::vector<std::vector<std::string_view>> programs = {
      {"VEL 6000", "FASTABS X0 Y0", "MOVEABS Z-1000", "CCWABS I5000 J0 X10000 Y0", "MOVEABS X0", "FASTABS Z5000",
       "PROGEND"},
      {"VEL 10000", "MOVEABS X1000", "MOVEABS Y1000", "GETTOOL 3", "VEL x", "MOVEABS X0", "MOVEABS Y0", "PROGEND"},
      {"VEL x", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X1.5", "MOVEABS Y0", "PROGEND"},
      {"VEL 10000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "; PROGEND"},
      {"VEL 10000", "MOVEABS X1000", "PROGEND", "MOVEABS X5000", "MOVEABS Y5000", "\x1A", "MOVEABS Y7000"},
  };
  for (std::size_t p = 0; p < programs.size(); ++p) {
    SCOPED_TRACE(p);
    const std::string text = testing::CrLfLines(programs[p]);
    ToolPath want;
    for (const int way : {0, 1, 2}) {
      SCOPED_TRACE(way);
      testing::FakeFileSystem fs;
      fs.files["p.ncp"] = text;
      if (way == 1) fs.specialFiles.insert("p.ncp");
      if (way == 2) fs.readChunk = 3;
      const ToolPath got = TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings());
      if (way == 0) {
        want = got;
        EXPECT_FALSE(got.segments.empty());
        continue;
      }
      EXPECT_EQ(got.code, want.code);
      EXPECT_EQ(got.failedLine, want.failedLine);
      EXPECT_EQ(got.failedLineText, want.failedLineText);
      EXPECT_EQ(got.toolChanges, want.toolChanges);
      EXPECT_EQ(got.totals.feedLength, want.totals.feedLength);
      ASSERT_EQ(got.segments.size(), want.segments.size());
      for (std::size_t i = 0; i < got.segments.size(); ++i) {
        EXPECT_EQ(got.segments[i].line, want.segments[i].line);
        EXPECT_EQ(got.segments[i].end.x, want.segments[i].end.x);
        EXPECT_EQ(got.segments[i].end.y, want.segments[i].end.y);
      }
    }
  }
}

// A source that changes, vanishes or fails between its two readings gives
// no path, as a source that cannot be read.
TEST(ToolPath, ASourceThatChangesBetweenItsReadingsGivesNoPath) {
  const std::vector<std::string_view> program = {"VEL 6000", "MOVEABS X1000", "MOVEABS Y1000", "MOVEABS X0", "PROGEND"};
  const struct {
    const char* name;
    std::function<void(testing::FakeFileSystem&)> change;
  } cases[] = {
      {"one digit changed", [](testing::FakeFileSystem& fs) { fs.files["p.ncp"][19] = '2'; }},
      {"a line added", [](testing::FakeFileSystem& fs) { fs.files["p.ncp"] += "WAIT\r\n"; }},
      {"cut short", [](testing::FakeFileSystem& fs) { fs.files["p.ncp"].resize(20); }},
      {"cannot be opened", [](testing::FakeFileSystem& fs) { fs.failOpenRead.insert("p.ncp"); }},
      {"reading fails", [](testing::FakeFileSystem& fs) { fs.failReadAfterBytes["p.ncp"] = 10; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem fs;
    fs.files["p.ncp"] = testing::CrLfLines(program);
    bool changed = false;
    const ToolPath path =
        TraceToolPathFile(fs, "p.ncp", testing::NewConfigurationSettings(), {}, [&](const TraceProgress& progress) {
          if (progress.pass == 1 && !changed) {
            c.change(fs);
            changed = true;
          }
        });
    EXPECT_GE(path.code, Outcome::kSourceOpen);
    EXPECT_LE(path.code, Outcome::kSourceClose);
    EXPECT_TRUE(path.segments.empty());
  }
}

}  // namespace
}  // namespace morvatex
