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
      {"modal G1, comments", {"G01 X10 (erst) Y5 ; Rest", "Z-2"}, MotionKind::kLinear, 10, 5, -2, 0, 0, 0},
      {"incremental", {"G91 G0 X1 Y1", "X1"}, MotionKind::kRapid, 2, 1, 0, 0, 0, 0},
      {"inch", {"G20 G1 X1"}, MotionKind::kLinear, 25.4, 0, 0, 0, 0, 0},
      {"I and J from the start", {"G0 X10", "G2 X0 Y-10 I-10 J0"}, MotionKind::kClockwise, 0, -10, 0, 0, 0, 90},
      {"absolute centre under G90.1",
       {"G90.1 G0 X10", "G3 X0 Y10 I0 J0"},
       MotionKind::kCounterClockwise,
       0,
       10,
       0,
       0,
       0,
       90},
      {"full circle by I and J", {"G0 X10", "G2 X10 Y0 I-10"}, MotionKind::kClockwise, 10, 0, 0, 0, 0, 360},
      {"radius up to 180 degrees", {"G0 X10", "G2 X0 Y-10 R10"}, MotionKind::kClockwise, 0, -10, 0, 0, 0, 90},
      {"blanks inside numbers, as LinuxCNC reads them",
       {"G 1 X 1 05.0000 Y1 .5 Z - 2"},
       MotionKind::kLinear,
       105,
       1.5,
       -2,
       0,
       0,
       0},
      {"negative radius, the larger arc",
       {"G0 X10", "G2 X0 Y-10 R-10"},
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
      {"G1 X:12.5", "Wort \"X:12.5\" liest RS274/NGC nicht"},
      {"G1 X1 X2", "zwei Werte f\xFCr X in einem Satz"},
      {"G1 E300 X1", "Buchstabe E kennt RS274/NGC nicht"},
      {"G1 G0 X1", "zwei Bewegungsarten in einem Satz"},
      {"G1 X1 M81", "M-Code 81 kennt RS274/NGC nicht"},
      {"X1", "Achsen ohne Bewegungsart (G0 bis G3)"},
      {"G0 X1 (offen", "Kommentar ohne \")\""},
      {"G2 X0 Y0 R5", "Vollkreis mit R-Wort"},
      {"G2 X30 Y0 R5", "Radius zu klein"},
      {"G18 G2 X1 Y1 I1",
       "Kreisbogen au\xDF"
       "erhalb der XY-Ebene (G17)"},
      {"G1 G7 X1", "G-Code 7 kennt RS274/NGC nicht"},
      {"G1 X1-2", "Wort \"X1-2\" liest RS274/NGC nicht"},
      {"G1 X1.2.3 Y1", "Wort \"X1.2.3\" liest RS274/NGC nicht"},
      {"G1 X-", "Wort \"X-\" liest RS274/NGC nicht"},
      {"G1 X. Y1", "Wort \"X.\" liest RS274/NGC nicht"},
      {"G1 X+-1", "Wort \"X+-1\" liest RS274/NGC nicht"},
      {"G1 X1 -2", "Wort \"X1 -2\" liest RS274/NGC nicht"},
      {"G2 X0 Y-10 R10 I-10", "Kreisbogen mit R und I/J zugleich"},
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

}  // namespace
}  // namespace morvatex::testing
