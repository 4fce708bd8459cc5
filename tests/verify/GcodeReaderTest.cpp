// The RS274/NGC reading of single blocks: modal rules, arc centres and the
// words the model cannot read.
#include "verify/GcodeReader.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ConversionHarness.h"
#include "verify/DecimalText.h"

namespace morvatex::testing {
namespace {

struct Read {
  std::vector<TracedMove> moves;
  std::vector<ReadFinding> findings;
};

Read ReadProgram(const std::vector<std::string_view>& lines, ControlModel model = ControlModel::kRs274) {
  const SettingsRecord settings = NewConfigurationSettings();
  GcodeReader reader(model, settings.Profil);
  Read read;
  std::size_t number = 0;
  for (std::string_view line : lines) reader.ReadLine(line, ++number, read.moves, read.findings);
  return read;
}

TEST(GcodeReaderTest, Rs274BlocksTraceTheirMoves) {
  struct Case {
    const char* name;
    std::vector<std::string_view> lines;
    MotionKind kind;  // of the last move
    double x, y, z, centreX, centreY, sweepDegrees;
  };
  const Case cases[] = {
      {"modal G1, comments", {"F100 G01 X10 (erst) Y5 ; Rest", "Z-2"}, MotionKind::kLinear, 10, 5, -2, 0, 0, 0},
      {"incremental", {"G91 G0 X1 Y1", "X1"}, MotionKind::kRapid, 2, 1, 0, 0, 0, 0},
      {"inch", {"G20 G1 X1 F4"}, MotionKind::kLinear, 25.4, 0, 0, 0, 0, 0},
      {"I and J from the start", {"G0 X10", "F100 G2 X0 Y-10 I-10 J0"}, MotionKind::kClockwise, 0, -10, 0, 0, 0, 90},
      {"absolute centre under G90.1",
       {"G90.1 G0 X10", "F100 G3 X0 Y10 I0 J0"},
       MotionKind::kCounterClockwise,
       0,
       10,
       0,
       0,
       0,
       90},
      {"full circle by I and J", {"G0 X10", "F100 G2 X10 Y0 I-10"}, MotionKind::kClockwise, 10, 0, 0, 0, 0, 360},
      {"radius up to 180 degrees", {"G0 X10", "F100 G2 X0 Y-10 R10"}, MotionKind::kClockwise, 0, -10, 0, 0, 0, 90},
      {"blanks inside numbers, as LinuxCNC reads them",
       {"F100 G 1 X 1 05.0000 Y1 .5 Z - 2"},
       MotionKind::kLinear,
       105,
       1.5,
       -2,
       0,
       0,
       0},
      {"negative radius, the larger arc",
       {"G0 X10", "F100 G2 X0 Y-10 R-10"},
       MotionKind::kClockwise,
       0,
       -10,
       0,
       10,
       -10,
       270},
  };
  for (const Case& c : cases) {
    const Read read = ReadProgram(c.lines);
    ASSERT_FALSE(read.moves.empty()) << c.name;
    EXPECT_TRUE(read.findings.empty()) << c.name << ": " << read.findings[0].message;
    const TracedMove& m = read.moves.back();
    EXPECT_EQ(m.kind, c.kind) << c.name;
    EXPECT_NEAR(m.end.x, c.x, 1e-12) << c.name;
    EXPECT_NEAR(m.end.y, c.y, 1e-12) << c.name;
    EXPECT_NEAR(m.end.z, c.z, 1e-12) << c.name;
    if (!IsArc(m.kind)) continue;
    EXPECT_NEAR(m.centre.x, c.centreX, 1e-9) << c.name;
    EXPECT_NEAR(m.centre.y, c.centreY, 1e-9) << c.name;
    EXPECT_NEAR(m.sweep * 180 / 3.14159265358979323846, c.sweepDegrees, 1e-9) << c.name;
  }
}

TEST(GcodeReaderTest, WhatRs274CannotReadIsAFindingAndReadingGoesOn) {
  struct Case {
    std::string_view line;
    const char* finding;
  };
  const Case cases[] = {
      {"F1 G1 X:12.5", "Wort \"X:12.5\" liest RS274/NGC nicht"},
      {"F1 G1 X1 X2", "zwei Werte f\xFCr X in einem Satz"},
      {"F1 G1 E300 X1", "Buchstabe E kennt RS274/NGC nicht"},
      {"F1 G1 G0 X1", "zwei Bewegungsarten in einem Satz"},
      {"F1 G1 X1 M81", "M-Code 81 kennt RS274/NGC nicht"},
      {"X1", "Achsen ohne Bewegungsart (G0 bis G3)"},
      {"G0 X1 (offen", "Kommentar ohne \")\""},
      {"F1 G2 X0 Y0 R5", "Vollkreis mit R-Wort"},
      {"F1 G2 X30 Y0 R5", "Radius zu klein"},
      {"F1 G18 G2 X1 Z1 J1 I0.5", "J-Wort bei Kreisbogen in der XZ-Ebene (G18)"},
      {"F1 G19 G2 Y1 Z1 I1 J0.5", "I-Wort bei Kreisbogen in der YZ-Ebene (G19)"},
      {"F1 G2 X1 Y1 K1 I0.5", "K-Wort bei Kreisbogen in der XY-Ebene (G17)"},
      {"F1 G18 G2 X1", "Kreisbogen ohne Mittelpunkt (I, K) oder Radius (R)"},
      {"F1 G53 G2 X1 Y1 I0.5", "G53 nur mit G0 oder G1"},
      {"G1 X1", "G1 ohne Vorschub (F): LinuxCNC verweigert den Satz"},
      {"F0 G2 X1 Y1 I0.5", "G2 ohne Vorschub (F): LinuxCNC verweigert den Satz"},
      {"G91 G53 G0 X1", "G53 nicht mit G91 (inkrementell)"},
      {"G4", "G4 ohne Verweilzeit (P-Wort)"},
      {"G4 P-1", "G4 ohne Verweilzeit (P-Wort)"},
      {"G4 G53 G0 X1 P1", "zwei G-Codes einer Gruppe in einem Satz: G4 und G53"},
      {"G54 G55", "zwei G-Codes einer Gruppe in einem Satz: G54 und G55"},
      {"G1 F100 X1 P1", "P-Wort ohne G4"},
      {"F1 G2 X1 Y1 I0.5 P2", "Kreisbogen mit P-Wort (Uml\xE4ufe)"},
      {"F1 G1 G7 X1", "G-Code 7 kennt RS274/NGC nicht"},
      {"F1 G1 X1-2", "Wort \"X1-2\" liest RS274/NGC nicht"},
      {"F1 G1 X1.2.3 Y1", "Wort \"X1.2.3\" liest RS274/NGC nicht"},
      {"F1 G1 X-", "Wort \"X-\" liest RS274/NGC nicht"},
      {"F1 G1 X. Y1", "Wort \"X.\" liest RS274/NGC nicht"},
      {"F1 G1 X+-1", "Wort \"X+-1\" liest RS274/NGC nicht"},
      {"F1 G1 X1 -2", "Wort \"X1 -2\" liest RS274/NGC nicht"},
      {"F1 G2 X0 Y-10 R10 I-10", "Kreisbogen mit R und I/J zugleich"},
      {"S100 M3 M4", "zwei M-Codes einer Gruppe in einem Satz: M3 und M4"},
      {"M-3", "M-Code -3 kennt RS274/NGC nicht"},
      {"M7 M9", "zwei M-Codes einer Gruppe in einem Satz: M7 und M9"},
      {"T2.5 M6", "T-Wort T2.5 ist keine ganze Zahl"},
  };
  for (const Case& c : cases) {
    const Read read = ReadProgram({c.line});
    ASSERT_EQ(read.findings.size(), 1u) << c.line;
    EXPECT_EQ(read.findings[0].line, 1u);
    EXPECT_NE(read.findings[0].message.find(c.finding), std::string::npos)
        << c.line << ": " << read.findings[0].message;
  }
}

// The numbers of words, also those longer than an integer holds; a word's
// number ends at the first character that cannot continue it.
TEST(GcodeReaderTest, NumbersAreReadExactlyAndEndWhereTheyCannotGoOn) {
  struct Case {
    std::string_view text;
    std::size_t length;  // of the number at its start; 0 for none
    double value;
    int decimals;
  };
  const Case cases[] = {
      {"12.3456 Y", 7, 12.3456, 4},
      {"-0.5)", 4, -0.5, 1},
      {"+.25", 4, 0.25, 2},
      {"7.", 2, 7, 0},
      {"1.2.3", 3, 1.2, 1},
      {"1-2", 1, 1, 0},
      {"12345678901234567890123.5", 25, 12345678901234567890123.5, 1},
      {"0.0000000000000000000001", 24, 1e-22, 22},
      {"-", 0, 0, 0},
      {".", 0, 0, 0},
      {"", 0, 0, 0},
  };
  for (const Case& c : cases) {
    double value = 0;
    int decimals = 0;
    EXPECT_EQ(ParseDecimalPrefix(c.text, value, decimals), c.length) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(decimals, c.decimals) << c.text;
    double whole = 0;
    EXPECT_EQ(ParseDecimal(c.text, whole, decimals), c.length > 0 && c.length == c.text.size()) << c.text;
  }
}

TEST(GcodeReaderTest, FeedSpeedAndToolInForceWithTheirResolution) {
  const Read read = ReadProgram({"T3 M6", "S12000 M3", "F600.5", "G1 X1"});
  ASSERT_EQ(read.moves.size(), 1u);
  const TracedMove& m = read.moves[0];
  EXPECT_TRUE(m.tool.known);
  EXPECT_EQ(m.tool.value, 3);
  EXPECT_EQ(m.speed.value, 12000);
  EXPECT_EQ(m.speed.resolution, 0.5);
  EXPECT_NEAR(m.feed.value, 600.5, 1e-12);
  EXPECT_NEAR(m.feed.resolution, 0.05, 1e-12);
}

// The spindle a control runs and where its program ends: RS274/NGC by M3,
// M4, M5, M2 and M30; as configured by the settings' codes, which may be
// more than one word.
TEST(GcodeReaderTest, SpindleAndProgramEndAsEachModelReadsThem) {
  struct Case {
    const char* name;
    ControlModel model;
    std::vector<std::string_view> lines;  // the last one moves, unless the program ended
    SpindleState spindle;                 // at the last move
    std::size_t moves, endLine;
  };
  const Case cases[] = {
      {"a control starts with its spindle still", ControlModel::kRs274, {"G1 X1 F100"}, SpindleState::kStopped, 1, 0},
      {"M3 before the block moves", ControlModel::kRs274, {"G1 X1 F100 M3"}, SpindleState::kClockwise, 1, 0},
      {"M4, then M5", ControlModel::kRs274, {"M4", "G1 X1 F100", "M5", "X2"}, SpindleState::kStopped, 2, 0},
      {"the block of M30 moves, then nothing",
       ControlModel::kRs274,
       {"G1 X1 F100 M30", "X2", "M3"},
       SpindleState::kStopped,
       1,
       1},
      {"M2 with blanks", ControlModel::kRs274, {"G1 X1 F100", "M 0 2", "X2"}, SpindleState::kStopped, 1, 2},
      {"configured codes of two words",
       ControlModel::kConfigured,
       {"S:72000 M81 M03", "G1 X:1"},
       SpindleState::kClockwise,
       1,
       0},
      {"configured off",
       ControlModel::kConfigured,
       {"S:72000 M81 M04", "M81 M05", "G1 X:1"},
       SpindleState::kStopped,
       1,
       0},
      {"configured end", ControlModel::kConfigured, {"G1 X:1", "M30", "G1 X:2"}, SpindleState::kStopped, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingsRecord settings = NewConfigurationSettings();
    GcodeReader reader(c.model, settings.Profil);
    Read read;
    std::size_t number = 0;
    for (std::string_view line : c.lines) reader.ReadLine(line, ++number, read.moves, read.findings);
    EXPECT_TRUE(read.findings.empty()) << read.findings[0].message;
    ASSERT_EQ(read.moves.size(), c.moves);
    EXPECT_EQ(read.moves.back().spindle, c.spindle);
    EXPECT_EQ(reader.Ended(), c.endLine > 0);
    EXPECT_EQ(reader.EndLine(), c.endLine);
  }
}

// Lines of the configured model that only the layout explains: the Xilog
// opening line (the rapid position without its Z, then the feed down to its
// depth) and a full circle that modal axes write without any axis.
TEST(GcodeReaderTest, ConfiguredLinesOfTheFamilyAndModalAxes) {
  SettingsRecord settings = NewConfigurationSettings();
  MachineProfile& p = settings.Profil;
  p.Sonderbehandlung = 1;  // SCM Xilog
  p.ZeichenWertzuweisung.Assign("=");
  p.IJKRelativ = false;
  GcodeReader xilog(ControlModel::kConfigured, p);
  Read read;
  for (std::string_view line : {std::string_view("H DX=10.000 DY=20.000 DZ=100.000 R=200"),
                                std::string_view("G0 X=10.000 Y=5.000 Z=-1.000 E=300 V=2 S=72000 T=101"),
                                std::string_view("G2 I=15.000 J=5.000")})
    xilog.ReadLine(line, read.moves.size() + 1, read.moves, read.findings);
  EXPECT_TRUE(read.findings.empty()) << read.findings[0].message;
  ASSERT_EQ(read.moves.size(), 3u);
  EXPECT_EQ(read.moves[0].kind, MotionKind::kRapid);
  EXPECT_FALSE(read.moves[0].zKnown);
  EXPECT_EQ(read.moves[1].kind, MotionKind::kLinear);
  EXPECT_TRUE(std::isnan(read.moves[1].start.z));
  EXPECT_EQ(read.moves[1].end.z, -1);
  EXPECT_EQ(read.moves[1].feed.value, 2000);
  EXPECT_EQ(read.moves[1].speed.value, 12000);
  EXPECT_EQ(read.moves[1].tool.value, 101);
  const TracedMove& circle = read.moves[2];
  EXPECT_EQ(circle.kind, MotionKind::kClockwise);
  EXPECT_EQ(circle.end, circle.start);
  EXPECT_NEAR(circle.radius, 5, 1e-12);
  EXPECT_NEAR(circle.sweep, 2 * 3.14159265358979323846, 1e-12);
}

// Arcs in the XZ and YZ planes turn as LinuxCNC turns them: (Z, X) and
// (Y, Z) are the plane's axes, its normal the third, G2 clockwise seen
// against the normal; R words pick the centre's side there too.
TEST(GcodeReaderTest, ArcsInEveryPlaneTurnAsRs274HasThem) {
  struct Case {
    const char* name;
    ControlModel model;
    std::vector<std::string_view> lines;
    Plane plane;
    MotionKind kind;
    PathPoint end, centre;  // the centre's coordinate along the normal is the start's
    double sweepDegrees;
  };
  const Case cases[] = {
      {"XZ by I and K",
       ControlModel::kRs274,
       {"G0 X10 Y5 Z2", "F1 G18 G2 X20 Z2 I5 K0"},
       Plane::kXZ,
       MotionKind::kClockwise,
       {20, 5, 2},
       {15, 5, 2},
       180},
      {"XZ by R",
       ControlModel::kRs274,
       {"F1 G18 G3 X10 Z10 R10"},
       Plane::kXZ,
       MotionKind::kCounterClockwise,
       {10, 0, 10},
       {10, 0, 0},
       90},
      {"YZ by J and K, helical along X",
       ControlModel::kRs274,
       {"F1 G19 G2 Y10 Z0 J5 K0 X3"},
       Plane::kYZ,
       MotionKind::kClockwise,
       {3, 10, 0},
       {0, 5, 0},
       180},
      {"YZ by a negative R, the larger arc",
       ControlModel::kRs274,
       {"F1 G19 G3 Y0 Z10 R-10"},
       Plane::kYZ,
       MotionKind::kCounterClockwise,
       {0, 0, 10},
       {0, 8.660254037844386, 5},
       300},
      {"a full circle in XZ",
       ControlModel::kRs274,
       {"F1 G18 G3 X0 Z0 I4"},
       Plane::kXZ,
       MotionKind::kCounterClockwise,
       {0, 0, 0},
       {4, 0, 0},
       360},
      {"back to XY",
       ControlModel::kRs274,
       {"G18", "F1 G17 G2 X10 Y0 I5"},
       Plane::kXY,
       MotionKind::kClockwise,
       {10, 0, 0},
       {5, 0, 0},
       180},
      {"configured XZ by absolute I and K",
       ControlModel::kConfigured,
       {"G0 X:10 Y:5 Z:2", "G18", "G2 X:20 Z:2 I:15 K:2"},
       Plane::kXZ,
       MotionKind::kClockwise,
       {20, 5, 2},
       {15, 5, 2},
       180},
      {"configured YZ by a negative R",
       ControlModel::kConfigured,
       {"N100 G19", "N102 G3 Y:0 Z:10 R:-10"},
       Plane::kYZ,
       MotionKind::kCounterClockwise,
       {0, 0, 10},
       {0, 8.660254037844386, 5},
       300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadProgram(c.lines, c.model);
    ASSERT_FALSE(read.moves.empty());
    EXPECT_TRUE(read.findings.empty()) << read.findings[0].message;
    const TracedMove& m = read.moves.back();
    EXPECT_EQ(m.plane, c.plane);
    EXPECT_EQ(m.kind, c.kind);
    EXPECT_NEAR(m.end.x, c.end.x, 1e-12);
    EXPECT_NEAR(m.end.y, c.end.y, 1e-12);
    EXPECT_NEAR(m.end.z, c.end.z, 1e-12);
    EXPECT_NEAR(m.centre.x, c.centre.x, 1e-9);
    EXPECT_NEAR(m.centre.y, c.centre.y, 1e-9);
    EXPECT_NEAR(m.centre.z, c.centre.z, 1e-9);
    EXPECT_NEAR(m.sweep * 180 / 3.14159265358979323846, c.sweepDegrees, 1e-9);
  }
}

// The reader knows no frame's offsets: after a change of frame (G53 for one
// block, another of G54 to G59) an axis is unknown until a word gives it,
// and keeps its old number meanwhile; a step of G91 leaves it unknown.
TEST(GcodeReaderTest, FramesLeaveTheAxesUnknownUntilAWordGivesThem) {
  struct Case {
    const char* name;
    ControlModel model;
    std::vector<std::string_view> lines;
    Frame frame;  // of the last move
    int unknownAxes;
    PathPoint end;
  };
  const Case cases[] = {
      {"G53 for its block",
       ControlModel::kRs274,
       {"G0 X1 Y2 Z3", "G53 G0 Z0"},
       Frame::kMachine,
       kAxisX | kAxisY,
       {1, 2, 0}},
      {"back in G54 after G53",
       ControlModel::kRs274,
       {"G0 X1 Y2 Z3", "G53 G0 Z0", "G0 X5"},
       Frame::kWork1,
       kAxisY | kAxisZ,
       {5, 2, 0}},
      {"G53 G1, modal G1",
       ControlModel::kRs274,
       {"G1 X1 Y2 Z3 F100", "G53 X4"},
       Frame::kMachine,
       kAxisY | kAxisZ,
       {4, 2, 3}},
      {"G55 with every axis", ControlModel::kRs274, {"G0 X1 Y2 Z3", "G55", "G0 X5 Y6 Z7"}, Frame(55), 0, {5, 6, 7}},
      {"G54 again changes nothing", ControlModel::kRs274, {"G0 X1 Y2 Z3", "G54", "G0 X5"}, Frame::kWork1, 0, {5, 2, 3}},
      {"a G91 step from an unknown place",
       ControlModel::kRs274,
       {"G0 X1 Y2 Z3", "G59 G91 G0 X5"},
       Frame(59),
       kAxisX | kAxisY | kAxisZ,
       {6, 2, 3}},
      {"configured",
       ControlModel::kConfigured,
       {"G0 X:1 Y:2 Z:3", "G53 G0 Z:0", "N104 G55", "X:5"},
       Frame(55),
       kAxisY | kAxisZ,
       {5, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadProgram(c.lines, c.model);
    ASSERT_FALSE(read.moves.empty());
    EXPECT_TRUE(read.findings.empty()) << read.findings[0].message;
    const TracedMove& m = read.moves.back();
    EXPECT_EQ(m.frame, c.frame);
    EXPECT_EQ(m.unknownAxes, c.unknownAxes);
    EXPECT_EQ(m.end, c.end);
  }
}

// A dwell is a step of the path where the tool stands, before the move of
// its block; its seconds keep the resolution they were written with. A P
// word without G4 (a header's "P1") is no dwell as configured.
TEST(GcodeReaderTest, DwellsStandInThePathBeforeTheBlocksMove) {
  struct Case {
    const char* name;
    ControlModel model;
    std::vector<std::string_view> lines;
    std::string steps;  // G0, G1 ... or the dwell's seconds and resolution
  };
  const Case cases[] = {
      {"RS274/NGC", ControlModel::kRs274, {"G0 X1", "G4 P2.5", "G1 X2 F100 G4 P0.25"}, "G0 P2.5/0.05 P0.25/0.005 G1"},
      {"configured, as the writer puts it",
       ControlModel::kConfigured,
       {"N100 G0 X:1", "N102 G4 P2.500"},
       "G0 P2.5/0.0005"},
      {"a P word alone", ControlModel::kConfigured, {"P1", "G1 X:1"}, "G1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadProgram(c.lines, c.model);
    EXPECT_TRUE(read.findings.empty()) << read.findings[0].message;
    std::string steps;
    for (const TracedMove& m : read.moves) {
      if (!steps.empty()) steps += ' ';
      steps += m.IsDwell() ? "P" + DecimalText(m.dwell.value) + "/" + DecimalText(m.dwell.resolution, 6)
                           : "G" + std::to_string(GNumber(m.kind));
    }
    EXPECT_EQ(steps, c.steps);
  }
}

}  // namespace
}  // namespace morvatex::testing
