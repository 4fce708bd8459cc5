// The comparison of what the extended dialect asks for: arcs in their
// plane, moves in their frame with the axes the Isel side does not know,
// dwells, arcs given as chords, helices in pieces and lines not carried
// over. The Isel side is built by hand as the interpreter builds its moves;
// the CNC side is read from RS274/NGC lines.
#include "verify/PathComparison.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "tests/support/ConversionHarness.h"
#include "verify/ArcFollowing.h"
#include "verify/DecimalText.h"
#include "verify/GcodeReader.h"

namespace morvatex::testing {
namespace {

constexpr double kTolerance = 0.01;

TracedMove Straight(MotionKind kind, PathPoint from, PathPoint to, std::size_t line, Frame frame = Frame::kWork1,
                    int unknownAxes = 0) {
  TracedMove move;
  move.kind = kind;
  move.start = from;
  move.end = to;
  move.line = line;
  move.frame = frame;
  move.unknownAxes = static_cast<std::uint8_t>(unknownAxes);
  return move;
}

TracedMove Arc(MotionKind kind, Plane plane, PathPoint from, PathPoint to, PathPoint centre, std::size_t line) {
  TracedMove move = Straight(kind, from, to, line);
  move.plane = plane;
  move.centre = centre;
  CompleteArc(move);
  return move;
}

TracedMove Dwell(double seconds, PathPoint at, std::size_t line) {
  TracedMove move = Straight(MotionKind::kNone, at, at, line);
  move.dwell = {true, seconds, 0};
  return move;
}

// An arc's pieces as the interpreter gives a helix: `pieces` arcs about
// `centre` in XY, each of `turn` radians, down by `drop` each.
std::vector<TracedMove> Helix(PathPoint from, PathPoint centre, int pieces, double turn, double drop,
                              std::size_t line) {
  std::vector<TracedMove> moves;
  const double r = std::hypot(from.x - centre.x, from.y - centre.y);
  double angle = std::atan2(from.y - centre.y, from.x - centre.x);
  PathPoint at = from;
  for (int i = 0; i < pieces; ++i) {
    angle += turn;
    const PathPoint to{centre.x + r * std::cos(angle), centre.y + r * std::sin(angle), at.z - drop};
    moves.push_back(Arc(MotionKind::kCounterClockwise, Plane::kXY, at, to, {centre.x, centre.y, at.z}, line));
    at = to;
  }
  return moves;
}

// RS274/NGC lines of straight feed moves along `arc`, `chordTolerance` off
// it at most, with four decimals; the end of the middle one `dz` higher.
std::vector<std::string> Chords(const TracedMove& arc, double chordTolerance, double dz = 0) {
  std::vector<PathPoint> ends;
  ForEachChord<double>(arc, chordTolerance, [&ends](const PathMove& chord) { ends.push_back(chord.end); });
  ends[ends.size() / 2].z += dz;
  std::vector<std::string> lines;
  for (const PathPoint& end : ends)
    lines.push_back("G1 X" + DecimalText(end.x, 4) + " Y" + DecimalText(end.y, 4) + " Z" + DecimalText(end.z, 4));
  return lines;
}

struct Case {
  const char* name;
  std::vector<TracedMove> expected;
  std::vector<std::string> cnc;
  // Each divergence as "Isel line/CNC line: what", one a line.
  std::string divergences;
  std::vector<std::pair<std::size_t, std::string>> notCarried = {};
};

std::string Compared(const Case& c) {
  const SettingsRecord settings = NewConfigurationSettings();
  PathComparison comparison(settings.Profil, ControlModel::kRs274, kTolerance);
  GcodeReader reader(ControlModel::kRs274, settings.Profil);
  std::vector<TracedMove> read;
  std::vector<ReadFinding> findings;
  std::size_t number = 0;
  for (const std::string& line : c.cnc) reader.ReadLine(line, ++number, read, findings);
  for (const ReadFinding& finding : findings) comparison.AddFinding(finding);
  // The Isel side a line at a time, its lines not carried over among them.
  std::size_t next = 0;
  for (const TracedMove& move : c.expected) {
    while (next < c.notCarried.size() && c.notCarried[next].first <= move.line) {
      comparison.NoteNotCarried(c.notCarried[next].first, c.notCarried[next].second);
      ++next;
    }
    comparison.AddExpected(move);
  }
  for (; next < c.notCarried.size(); ++next)
    comparison.NoteNotCarried(c.notCarried[next].first, c.notCarried[next].second);
  for (const TracedMove& move : read) comparison.AddRead(move);
  comparison.Finish();
  std::string shown;
  for (const Divergence& d : comparison.Summary().first)
    shown += std::to_string(d.iselLine) + "/" + std::to_string(d.cncLine) + ": " + d.what + "\n";
  return shown;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PathComparisonTest, ArcsAreComparedInTheirPlane) {
  const TracedMove rapid = Straight(MotionKind::kRapid, {0, 0, 0}, {10, 5, 2}, 1);
  const TracedMove xz = Arc(MotionKind::kClockwise, Plane::kXZ, {10, 5, 2}, {20, 5, 2}, {15, 5, 2}, 2);
  const TracedMove circle = Arc(MotionKind::kCounterClockwise, Plane::kXZ, {10, 5, 2}, {10, 5, 2}, {14, 5, 2}, 2);
  const Case cases[] = {
      {"XZ by I and K", {rapid, xz}, {"G0 X10 Y5 Z2", "F100 G18 G2 X20 Z2 I5 K0"}, ""},
      {"the centre off along Z",
       {rapid, xz},
       {"G0 X10 Y5 Z2", "F100 G18 G2 X20 Z2 I5 K0.1"},
       "2/2: Mittelpunkt: Isel X15 Z2, CNC X15 Z2.1; Bogen: Isel 180\xB0, CNC 177.708\xB0\n"},
      {"another plane",
       {rapid, xz},
       {"G0 X10 Y5 Z2", "F100 G17 G2 X20 Y5 I5 J0"},
       "2/2: Ebene: Isel G18 (XZ), CNC G17 (XY)\n"},
      {"a full circle in XZ as two halves",
       {rapid, circle},
       {"G0 X10 Y5 Z2", "F100 G18 G3 X18 Z2 I4 K0", "X10 Z2 I-4 K0"},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compared(c), c.divergences);
  }
}

// The writer gives an arc the control cannot be told as chords within
// 0.001 mm: no divergence. Chords that follow it too coarsely are one.
TEST(PathComparisonTest, ChordsStandInForAnArcWithinTheTolerance) {
  const TracedMove rapid = Straight(MotionKind::kRapid, {0, 0, 0}, {10, 5, 2}, 1);
  const TracedMove xz = Arc(MotionKind::kClockwise, Plane::kXZ, {10, 5, 2}, {20, 5, 2}, {15, 5, 2}, 2);
  const TracedMove circle = Arc(MotionKind::kCounterClockwise, Plane::kYZ, {10, 5, 2}, {10, 5, 2}, {10, 5, 6}, 2);
  // A helix along the normal: Y goes from 5 to 8 while the arc turns.
  const TracedMove helical = Arc(MotionKind::kClockwise, Plane::kXZ, {10, 5, 2}, {20, 8, 2}, {15, 5, 2}, 2);
  const TracedMove after = Straight(MotionKind::kLinear, {20, 5, 2}, {30, 5, 2}, 3);
  const std::vector<std::string> opening = {"G0 X10 Y5 Z2", "F100"};
  const Case cases[] = {
      {"an XZ arc", {rapid, xz, after}, Joined(Joined(opening, Chords(xz, 0.001)), {"X30 Y5 Z2"}), ""},
      {"a full circle in YZ, split into halves on the Isel side",
       {rapid, circle},
       Joined(opening, Chords(circle, 0.001)),
       ""},
      {"a helical XZ arc", {rapid, helical}, Joined(opening, Chords(helical, 0.001)), ""},
      {"chords too coarse",
       {rapid, xz, after},
       Joined(Joined(opening, Chords(xz, 0.2)), {"X30 Y5 Z2"}),
       "2/4: Geradenst\xFC"
       "cke statt Bogen: bis 0.17039 mm neben dem Isel-Bogen\n"},
      {"one chord moved",
       {rapid, xz, after},
       Joined(Joined(opening, Chords(xz, 0.001, 0.05)), {"X30 Y5 Z2"}),
       "2/42: Geradenst\xFC"
       "cke statt Bogen: bis 0.050002 mm neben dem Isel-Bogen\n"},
      {"a straight move where the arc was",
       {rapid, xz, after},
       Joined(opening, {"G1 X20 Y5 Z2", "X30"}),
       "2/3: Bewegungsart: Isel G2, CNC G1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compared(c), c.divergences);
  }
}

// A frame the CNC program does not choose is one divergence where it
// starts. The Isel side does not know an axis after a change of frame: the
// CNC program must leave it where it stands, and must give each axis the
// Isel side gives.
TEST(PathComparisonTest, MovesAreComparedInTheirFrameOnTheAxesTheIselSideKnows) {
  const TracedMove start = Straight(MotionKind::kRapid, {0, 0, 0}, {1, 2, 3}, 1);
  const TracedMove up = Straight(MotionKind::kRapid, {1, 2, 3}, {1, 2, 0}, 2, Frame::kMachine, kAxisX | kAxisY);
  const TracedMove over = Straight(MotionKind::kRapid, {1, 2, 0}, {5, 6, 0}, 3, Frame::kWork1, kAxisZ);
  const TracedMove down = Straight(MotionKind::kRapid, {5, 6, 0}, {5, 6, 1}, 4);
  const Case cases[] = {
      {"as written", {start, up, over, down}, {"G0 X1 Y2 Z3", "G53 G0 Z0", "X5 Y6", "Z1"}, ""},
      {"a frame of its own",
       {start, up, over, down},
       {"G0 X1 Y2 Z3", "G53 G0 Z0", "G55 X5 Y6", "Z1"},
       "3/3: Nullpunkt: Isel G54, CNC G55\n"},
      {"an axis the Isel side leaves standing",
       {start, up, over, down},
       {"G0 X1 Y2 Z3", "G53 G0 X7 Z0", "X5 Y6", "Z1"},
       "2/2: Endpunkt: Isel Z0, CNC X7 Z0 (6 mm); Isel l\xE4sst X stehen (Lage nach dem Nullpunktwechsel "
       "unbekannt), CNC f\xE4hrt es\n"},
      {"an axis the CNC program does not give again",
       {start, up, over, down},
       {"G0 X1 Y2 Z3", "G53 G0 Z0", "X5", "Z1"},
       "3/3: CNC nennt Y nach dem Nullpunktwechsel nicht, Isel f\xE4hrt nach Y6\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compared(c), c.divergences);
  }
}

TEST(PathComparisonTest, ADwellMissingAddedOrOfAnotherTimeIsOneDivergence) {
  const TracedMove cut = Straight(MotionKind::kLinear, {0, 0, 0}, {0, 0, -1}, 1);
  const TracedMove wait = Dwell(2, {0, 0, -1}, 2);
  const TracedMove back = Straight(MotionKind::kRapid, {0, 0, -1}, {0, 0, 5}, 3);
  const Case cases[] = {
      {"as written", {cut, wait, back}, {"G1 Z-1 F100", "G4 P2.000", "G0 Z5"}, ""},
      {"without decimals", {cut, wait, back}, {"G1 Z-1 F100", "G4 P2", "G0 Z5"}, ""},
      {"added",
       {cut, back},
       {"G1 Z-1 F100", "G4 P1", "G0 Z5"},
       "0/2: zus\xE4tzliche Verweilzeit im CNC-Programm: 1 s\n"},
      {"a move in its place",
       {cut, wait, back},
       {"G1 Z-1 F100", "G0 Z0", "G0 Z5"},
       "2/2: Bewegungsart: Isel G4, CNC G0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compared(c), c.divergences);
  }
}

// A line of many moves (a helix of six turns in twelve pieces) is one step
// of the look-ahead: missing whole, it is one divergence, and the moves
// after it compare clean again. A line not carried over is noted in its
// place among the others.
TEST(PathComparisonTest, ALineOfManyMovesIsOneStepAndALineNotCarriedTakesItsPlace) {
  const double half = static_cast<double>(kPi);
  std::vector<TracedMove> expected = {Straight(MotionKind::kLinear, {12, 10, 0}, {12, 10, -1}, 1)};
  const std::vector<TracedMove> helix = Helix({12, 10, -1}, {10, 10, 0}, 12, half, 0.5, 2);
  expected.insert(expected.end(), helix.begin(), helix.end());
  std::vector<std::string> cnc = {"G1 X12 Y10 Z-1 F100"};
  for (int i = 3; i <= 12; ++i) {
    const PathPoint from{12.0 + i - 3, 10, -7}, to{13.0 + i - 3, 10, -7};
    expected.push_back(Straight(MotionKind::kLinear, from, to, static_cast<std::size_t>(i)));
    cnc.push_back("X" + DecimalText(to.x) + " Y10 Z-7");
  }
  Case missing{"a helix missing whole", expected, cnc, "2/0: fehlt im CNC-Programm: G3 nach X8 Y10 Z-1.5\n"};
  EXPECT_EQ(Compared(missing), missing.divergences);
  Case notCarried{"lines not carried over",
                  expected,
                  cnc,
                  "2/0: nicht umgesetzt: Wort Q7 wird ignoriert\n"
                  "2/0: fehlt im CNC-Programm: G3 nach X8 Y10 Z-1.5\n"
                  "13/0: nicht umgesetzt: Befehl unbekannt: MOVABS\n",
                  {{2, "Wort Q7 wird ignoriert"}, {13, "Befehl unbekannt: MOVABS"}}};
  EXPECT_EQ(Compared(notCarried), notCarried.divergences);
}

}  // namespace
}  // namespace morvatex::testing
