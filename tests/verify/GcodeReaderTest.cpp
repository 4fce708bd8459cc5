// The RS274/NGC reading of single blocks: modal rules, arc centres and the
// words the model cannot read.
#include "verify/GcodeReader.h"

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
    EXPECT_NEAR(m.x, c.x, 1e-12) << c.name;
    EXPECT_NEAR(m.y, c.y, 1e-12) << c.name;
    EXPECT_NEAR(m.z, c.z, 1e-12) << c.name;
    if (!IsArc(m.kind)) continue;
    EXPECT_NEAR(m.centreX, c.centreX, 1e-9) << c.name;
    EXPECT_NEAR(m.centreY, c.centreY, 1e-9) << c.name;
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

}  // namespace
}  // namespace morvatex::testing
