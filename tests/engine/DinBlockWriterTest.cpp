#include "engine/DinBlockWriter.h"

#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/ControlFamily.h"
#include "engine/IselInterpreter.h"
#include "engine/OutcomeCodes.h"
#include "tests/engine/CncTestSupport.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A new configuration without header and trailer lines, so that the CNC
// program holds only the blocks of the program (numbered from 100 by 2).
SettingsRecord BlocksOnlySettings() {
  SettingsRecord settings = NewConfigurationSettings();
  for (auto* line : {&settings.Profil.Vorspann2, &settings.Profil.Vorspann3, &settings.Profil.Vorspann4,
                     &settings.Profil.Vorspann5, &settings.Profil.Nachspann1, &settings.Profil.Nachspann3}) {
    line->Assign("");
  }
  return settings;
}

// The same without the change codes before rapid and feed moves.
SettingsRecord MovesOnlySettings() {
  SettingsRecord settings = BlocksOnlySettings();
  settings.Profil.VorWechselZuG0.Assign("");
  settings.Profil.VorWechselZuG123.Assign("");
  return settings;
}

TEST(DinBlockWriterTest, WorkedExampleGivesTheExpectedFileByteForByte) {
  SettingsRecord settings = NewConfigurationSettings();
  for (auto* line : {&settings.Profil.Vorspann2, &settings.Profil.Vorspann3, &settings.Profil.Vorspann4,
                     &settings.Profil.Vorspann5, &settings.Profil.Vorspann6}) {
    line->Assign("");
  }
  const ConversionResult result = Convert(settings, GoldenFile("worked-example.ncp"));
  ASSERT_EQ(result.code, Outcome::kSuccess) << result.report;
  EXPECT_EQ(result.cnc, GoldenFile("worked-example.cnc"));
}

TEST(DinBlockWriterTest, HeaderAndTrailerLinesDrawBlockNumbersInOrder) {
  SettingsRecord settings = NewConfigurationSettings();
  MachineProfile& p = settings.Profil;
  p.Vorspann1.Assign("%  ");
  p.Vorspann2.Assign("(eins)");
  p.Vorspann3.Assign("   ");  // blank only: no line, no number
  p.Vorspann4.Assign("(vier)");
  p.Vorspann5.Assign("");
  p.Vorspann6.Assign(std::string(80, 'x'));
  p.Nachspann2.Assign("M2");
  EXPECT_THAT(CncOfProgram(settings, {"HALT"}),
              ElementsAre("%", "N100 (eins)", "N102 (vier)", "N104 " + std::string(80, 'x'), "N106 M0", "N108 M30",
                          "N110 M2", "#"));

  // The last trailer line draws a number without showing it; numbering off
  // leaves every prefix away; first number and increment come from the settings.
  p.Nachspann3.Assign("%");
  p.ErsterSatz = 5;
  p.SatznummernIncrement = 0;
  p.AdresseN.Assign("Satz");
  EXPECT_THAT(CncOfProgram(settings, {"HALT"}),
              ElementsAre("%", "Satz5 (eins)", "Satz5 (vier)", "Satz5 " + std::string(80, 'x'), "Satz5 M0", "Satz5 M30",
                          "Satz5 M2", "%"));
  p.Satznummerierung = false;
  EXPECT_THAT(CncOfProgram(settings, {"HALT"}),
              ElementsAre("%", "(eins)", "(vier)", std::string(80, 'x'), "M0", "M30", "M2", "%"));
  // A damaged file may hold a negative first number: counting goes on.
  settings = BlocksOnlySettings();
  settings.Profil.ErsterSatz = -1;
  settings.Profil.SatznummernIncrement = 1;
  EXPECT_THAT(CncOfProgram(settings, {"HALT", "HALT", "HALT"}), ElementsAre("N-1 M0", "N0 M0", "N1 M0"));
}

TEST(DinBlockWriterTest, ChangeCodesStandBeforeEachChangeOfMotionAndAfterToolChanges) {
  EXPECT_THAT(
      CncOfProgram(BlocksOnlySettings(), {"FASTABS X0 Y0 Z5000", "FASTABS X1000", "MOVEABS Z-1000", "CWABS X3000 I2000",
                                          "FASTABS Z5000", "GETTOOL 1", "FASTABS X0", "MOVEABS X1000"}),
      ElementsAre("N100 (Positioniere)", "N102 G0 Z:5.0000", "N104 X:1.0000", "N106 (Konturanfang)",
                  "N108 G1 Z:-1.0000", "N110 G2 X:3.0000 I:2.0000 J:0.0000 K:0.0000 R:1.0000", "N112 (Positioniere)",
                  "N114 G0 Z:5.0000", "N116 T1 M6", "N118 (Positioniere)", "N120 X:0.0000", "N122 (Konturanfang)",
                  "N124 G1 X:1.0000"));
}

TEST(DinBlockWriterTest, ModalGWordAndBlocksWithoutWords) {
  SettingsRecord settings = MovesOnlySettings();
  // A move that changes nothing still writes its block: the number alone.
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "MOVEABS X2000", "MOVEABS X2000"}),
              ElementsAre("N100 G1 X:1.0000", "N102 X:2.0000", "N104 "));
  settings.Profil.ModaleG = false;
  settings.Profil.Satznummerierung = false;
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "MOVEABS X2000", "MOVEABS X2000"}),
              ElementsAre("G1 X:1.0000", "G1 X:2.0000", "G1"));
  settings.Profil.ModaleG = true;
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "MOVEABS X1000"}), ElementsAre("G1 X:1.0000", ""));
}

TEST(DinBlockWriterTest, FirstUseMarksRepeatACoordinateGivenByTheLastWordOfItsLine) {
  SettingsRecord settings = MovesOnlySettings();
  // X0 is read last: its mark is still "just given" when the block is written.
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS Y0 X0"}), ElementsAre("N100 G0 X:0.0000"));
  // Y0 follows X0, so X is already "given before"; Y is repeated.
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X0 Y0"}), ElementsAre("N100 G0 Y:0.0000"));
  // A first Z is repeated only with Z values on; a changed Z always.
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS Z0", "FASTABS Z1000"}),
              ElementsAre("N100 G0 Z:0.0000", "N102 Z:1.0000"));
  settings.Profil.ZWerte = false;
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS Z0", "FASTABS Z1000"}), ElementsAre("N100 G0", "N102 Z:1.0000"));
}

TEST(DinBlockWriterTest, NonModalCoordinatesAndTheExtraModalZOfArcs) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.ModaleXYZ = false;
  settings.Profil.KWerte = false;
  settings.Profil.RWerte = false;
  const std::vector<std::string_view> program = {"MOVEABS X1000", "CCWABS X0 Y1000 I0 J0"};
  EXPECT_THAT(CncOfProgram(settings, program), ElementsAre("N100 G1 X:1.0000 Y:0.0000 Z:0.0000",
                                                           "N102 G3 X:0.0000 Y:1.0000 Z:0.0000 I:0.0000 J:0.0000"));
  settings.Profil.ModalExtra = 1;
  EXPECT_THAT(CncOfProgram(settings, program),
              ElementsAre("N100 G1 X:1.0000 Y:0.0000 Z:0.0000", "N102 G3 X:0.0000 Y:1.0000 I:0.0000 J:0.0000"));
  // A changed Z still goes into the arc block.
  EXPECT_THAT(
      CncOfProgram(settings, {"MOVEABS X1000", "CCWABS X0 Y1000 I0 J0 Z-500"}),
      ElementsAre("N100 G1 X:1.0000 Y:0.0000 Z:0.0000", "N102 G3 X:0.0000 Y:1.0000 Z:-0.5000 I:0.0000 J:0.0000"));
}

TEST(DinBlockWriterTest, RadiusWordIsNegativeForArcsOverHalfACircle) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.IJWerte = false;
  settings.Profil.KWerte = false;
  // From (10, 0) about (0, 0): clockwise to (0, 10) sweeps 270°, to (0, -10) 90°.
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CWABS X0 Y10000 I0 J0"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G2 X:0.0000 Y:10.0000 R:-10.0000"));
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CWABS X0 Y-10000 I0 J0"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G2 X:0.0000 Y:-10.0000 R:10.0000"));
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CCWABS X0 Y-10000 I0 J0"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G3 X:0.0000 Y:-10.0000 R:-10.0000"));
  settings.Profil.RWerte = false;
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CWABS X0 Y-10000 I0 J0"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G2 X:0.0000 Y:-10.0000"));
}

TEST(DinBlockWriterTest, AFullCircleByRadiusBecomesTwoHalfCircles) {
  // Full circles clockwise and counter-clockwise, a helical one, a relative
  // one; no other block may change.
  struct Case {
    const char* golden;
    void (*adjust)(MachineProfile&);
  };
  const Case cases[] = {
      {"full-circles-ijkr.cnc", [](MachineProfile&) {}},
      {"full-circles-relative.cnc",
       [](MachineProfile& p) {
         p.IJWerte = p.KWerte = p.ModaleXYZ = false;
         p.XYZRelativ = p.OrdneFZuG0_3 = true;
       }},
      {"full-circles-xilog.cnc",
       [](MachineProfile& p) {
         p.Sonderbehandlung = 1;
         p.IJWerte = false;
       }},
      {"full-circles-without-r.cnc", [](MachineProfile& p) { p.RWerte = false; }},
  };
  for (const Case& c : cases) {
    SettingsRecord settings = MovesOnlySettings();
    c.adjust(settings.Profil);
    const ConversionResult result = Convert(settings, GoldenFile("full-circles.ncp"));
    ASSERT_EQ(result.code, Outcome::kSuccess) << result.report;
    EXPECT_EQ(result.cnc, GoldenFile(c.golden)) << c.golden;
  }
}

TEST(DinBlockWriterTest, ArcCentresAbsoluteOrFromTheStartPoint) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.RWerte = false;
  const std::vector<std::string_view> program = {"FASTABS X10000 Z2000", "CWABS X20000 I15000 J0 K1000"};
  EXPECT_THAT(CncOfProgram(settings, program),
              ElementsAre("N100 G0 X:10.0000 Z:2.0000", "N102 G2 X:20.0000 I:15.0000 J:0.0000 K:1.0000"));
  settings.Profil.IJKRelativ = true;
  EXPECT_THAT(CncOfProgram(settings, program),
              ElementsAre("N100 G0 X:10.0000 Z:2.0000", "N102 G2 X:20.0000 I:5.0000 J:0.0000 K:-1.0000"));
  // Modal centres are left out while they stay where they were.
  settings.Profil.IJKRelativ = false;
  settings.Profil.ModaleIJK = true;
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CWABS X20000 I15000 J0 K1000", "CWABS X10000 I15000"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G2 X:20.0000 I:15.0000 K:1.0000", "N104 X:10.0000"));
  settings.Profil.IJWerte = false;
  settings.Profil.KWerte = false;
  EXPECT_THAT(CncOfProgram(settings, {"FASTABS X10000", "CWABS X20000 I15000 J0 K1000"}),
              ElementsAre("N100 G0 X:10.0000", "N102 G2 X:20.0000"));
}

TEST(DinBlockWriterTest, RelativeCoordinatesAndNegativeValuesRoundingToZero) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.XYZRelativ = true;
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1500 Y-250", "MOVEABS X1000", "MOVEREL Z-3000"}),
              ElementsAre("N100 G1 X:1.5000 Y:-0.2500", "N102 X:-0.5000", "N104 Z:-3.0000"));
  settings.Profil.XYZRelativ = false;
  settings.Profil.Nachkommastellen = 0;
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X-400 Y1500 Z-500"}), ElementsAre("N100 G1 X:-0 Y:2 Z:-1"));
}

TEST(DinBlockWriterTest, FeedLinesAndTheHeldBackFeedWord) {
  SettingsRecord settings = MovesOnlySettings();
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000", "MOVEABS X1000"}), ElementsAre("N100 F:300", "N102 G1 X:1.0000"));

  settings.Profil.NachkommastellenF = 2;
  settings.Profil.FaktorSonderF = 1.5;
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000"}), ElementsAre("N100 F:450.00"));

  // Held back: a newer feed replaces it, a move of any kind takes it, with
  // one blank before it and its own blank behind; one left over is dropped.
  settings.Profil.NachkommastellenF = 0;
  settings.Profil.FaktorSonderF = 1;
  settings.Profil.OrdneFZuG0_3 = true;
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000", "VEL 6000", "FASTABS X1000", "MOVEABS X1000", "VEL 1000"}),
              ElementsAre("N100 G0 X:1.0000 F:360 ", "N102 G1"));
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "VEL 5000", "MOVEABS X1000"}),
              ElementsAre("N100 G1 X:1.0000", "N102  F:300 "));

  settings.Profil.FWerte = false;
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000", "MOVEABS X1000"}), ElementsAre("N100 G1 X:1.0000"));
}

TEST(DinBlockWriterTest, SpindleBlockWithSpeedAndCodesInTheirOrder) {
  SettingsRecord settings = BlocksOnlySettings();
  settings.Profil.SpindelEin.Assign("M3  ");
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE CW RPM12000", "SPINDLE CCW", "SPINDLE OFF", "SPINDLE ON RPS10",
                                      "SPINDLE OFF CW ON CCW"}),
              ElementsAre("N100 S:72000 M81 M03", "N102 M81 M04", "N104 M81 M05", "N106 S:3600 M3",
                          "N108 M81 M04 M81 M03 M81 M05 M3"));

  // Empty codes leave no word; a line without any word writes nothing.
  settings.Profil.SpindelEin.Assign("");
  settings.Profil.NachkommastellenS = 1;
  settings.Profil.FaktorSonderS = 0.5;
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE ON", "SPINDLE RPM1000 ON", "HALT"}),
              ElementsAre("N100 S:3000.0", "N102 M0"));

  // An unreadable speed still writes the codes of its line; the run stops.
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE CW RPM 12000", "HALT"}, Outcome::kSpeedNotInteger),
              ElementsAre("N100 M81 M03"));

  settings.Profil.SWerte = false;
  settings.Profil.SpindelEin.Assign("M3");
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE ON", "SPINDLE CW RPM12000", "HALT"}), ElementsAre("N100 M0"));
}

TEST(DinBlockWriterTest, ToolChangeLinesTakeTheToolNumberFromTheTable) {
  SettingsRecord settings = BlocksOnlySettings();
  settings.Profil.Werkzeugwechsel1.Assign("(Werkzeug ?) ");
  settings.Profil.Werkzeugwechsel2.Assign("T? M6 ?");
  settings.Profil.Werkzeugwechsel3.Assign("M1");
  settings.Profil.Werkzeuge[3] = 7;
  settings.Profil.Werkzeuge[99] = 65535;
  EXPECT_THAT(CncOfProgram(settings, {"GETTOOL 3", "GETTOOL 99"}),
              ElementsAre("N100 (Werkzeug 7)", "N102 T7 M6 ?", "N104 M1", "N106 (Werkzeug 65535)", "N108 T65535 M6 ?",
                          "N110 M1"));
  // An invalid tool number changes nothing.
  EXPECT_THAT(CncOfProgram(settings, {"GETTOOL 100"}, Outcome::kToolOutOfRange), ElementsAre());
}

TEST(DinBlockWriterTest, CoolantPlaneHaltAndWaitCodes) {
  SettingsRecord settings = BlocksOnlySettings();
  settings.Profil.KuehlungEin.Assign("M8");
  settings.Profil.KuehlungAus.Assign("M9");
  EXPECT_THAT(CncOfProgram(settings, {"COOLANT ON", "COOLANT OFF", "PLANE XY", "HALT", "WAIT", "FASTVEL 20000"}),
              ElementsAre("N100 M8", "N102 M9", "N104 G17", "N106 M0", "N108 M0"));
  // Empty codes write nothing and draw no number.
  settings.Profil.KuehlungEin.Assign("");
  settings.Profil.G17.Assign(" ");
  settings.Profil.Halt.Assign("");
  EXPECT_THAT(CncOfProgram(settings, {"COOLANT ON", "PLANE XY", "HALT", "WAIT", "COOLANT OFF"}),
              ElementsAre("N100 M9"));
}

TEST(DinBlockWriterTest, ARunThatFailsInThePassEndsAfterTheLineWithoutTrailer) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.Nachspann1.Assign("M30");
  // The line with the error is still written; the trailer is not.
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "GETTOOL 100", "MOVEABS X2000"}, Outcome::kToolOutOfRange),
              ElementsAre("N100 G1 X:1.0000"));
}

TEST(DinBlockWriterTest, UnusualSettingsStillGiveWellFormedBlocks) {
  SettingsRecord settings = MovesOnlySettings();
  MachineProfile& p = settings.Profil;
  p.AdresseX.Assign("");
  p.AdresseY.Assign("Y ");  // used exactly as stored
  p.CodeG1.Assign("");
  p.ZeichenWertzuweisung.Assign("=> ");  // trailing blank removed
  p.Nachkommastellen = 6;
  p.FaktorSonderF = -1;
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000", "MOVEABS X1500 Y1"}),
              ElementsAre("N100 F=>-300", "N102  =>1.500000 Y =>0.001000"));

  // Huge factors give long numbers, never an exponent.
  p.FaktorSonderF = 1e300;
  const std::vector<std::string> lines = CncOfProgram(settings, {"VEL 5000"});
  ASSERT_EQ(lines.size(), 1u);
  const std::string number = lines[0].substr(std::string("N100 F=>").size());
  EXPECT_EQ(number.size(), 303u);
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(number.substr(0, 3), "300");
}

TEST(DinBlockWriterTest, AFeedOrSpeedThatIsNotFiniteStopsTheRunInsteadOfWritingIt) {
  SettingsRecord settings = MovesOnlySettings();
  settings.Profil.Nachspann1.Assign("M30");
  settings.Profil.FaktorSonderF = std::numeric_limits<double>::infinity();
  EXPECT_THAT(CncOfProgram(settings, {"MOVEABS X1000", "VEL 5000", "MOVEABS X2000"}, Outcome::kFeedNotInteger),
              ElementsAre("N100 G1 X:1.0000"));
  // Not written, not reported: F values off.
  settings.Profil.FWerte = false;
  EXPECT_THAT(CncOfProgram(settings, {"VEL 5000"}), ElementsAre("N100 M30"));

  settings.Profil.FaktorSonderS = -std::numeric_limits<double>::infinity();
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE CW RPM1000", "HALT"}, Outcome::kSpeedNotInteger), ElementsAre());
  EXPECT_THAT(CncOfProgram(settings, {"SPINDLE CW", "HALT"}), ElementsAre("N100 M81 M03", "N102 M0", "N104 M30"));
}

// A file whose chosen writes fail; every other write goes through.
class FailingWrites final : public WritableFile {
 public:
  explicit FailingWrites(std::vector<int> failing) : failing_(std::move(failing)) {}
  bool Write(std::string_view bytes) override {
    ++count_;
    for (int n : failing_) {
      if (n == count_) return false;
    }
    text.append(bytes);
    return true;
  }
  bool Close() override { return true; }
  std::string text;

 private:
  std::vector<int> failing_;
  int count_ = 0;
};

// Drives the writer over `lines` as the writing pass does; returns the
// writer's code for the last line.
Outcome WriteLines(const SettingsRecord& settings, const std::vector<std::string_view>& lines, WritableFile& out) {
  DinBlockWriter writer(settings.Profil);
  OutputBuffer buffer;
  buffer.Start(out, 0);  // every line at once, as the failures are counted
  writer.StartRun(settings.Profil.ZeichenWertzuweisung.Trimmed(), ControlFamilyFor(settings.Profil));
  writer.StartWritingPass();
  MachineState state;
  StartPass(state);
  std::string currentLine;
  Outcome result = Outcome::kSuccess;
  for (std::string_view text : lines) {
    Outcome code = Outcome::kSuccess;
    const InterpretedLine line = InterpretLine(text, Pass::kWriting, settings.Profil, state, currentLine, code);
    result = writer.WriteBlocks(buffer, line, state);
    EndOfLine(state);
  }
  return result;
}

struct WriteFailure {
  std::vector<std::string_view> lines;
  std::vector<int> failingWrites;
  Outcome code;
  std::vector<std::string> written;  // what reached the file
};

TEST(DinBlockWriterTest, EachFailedWriteHasItsOwnCodeAndTheRestOfTheLineIsStillWritten) {
  SettingsRecord settings = BlocksOnlySettings();
  settings.Profil.KuehlungEin.Assign("M8");
  settings.Profil.Werkzeugwechsel1.Assign("T?");
  const WriteFailure cases[] = {
      {{"HALT"}, {1}, Outcome::kCncHalt, {}},
      {{"WAIT"}, {1}, Outcome::kCncHalt, {}},
      {{"COOLANT ON"}, {1}, Outcome::kCncCoolantOrPlane, {}},
      {{"PLANE XY"}, {1}, Outcome::kCncCoolantOrPlane, {}},
      {{"GETTOOL 1"}, {1}, Outcome::kCncToolChange, {"N102 T1 M6"}},
      {{"GETTOOL 1"}, {2}, Outcome::kCncToolChange, {"N100 T1"}},
      {{"FASTABS X1000"}, {1}, Outcome::kCncBeforeRapid, {"N102 G0 X:1.0000"}},
      {{"MOVEABS X1000"}, {1}, Outcome::kCncBeforeFeed, {"N102 G1 X:1.0000"}},
      {{"MOVEABS X1000"}, {2}, Outcome::kCncMotion, {"N100 (Konturanfang)"}},
      {{"MOVEABS X1000"}, {1, 2}, Outcome::kCncMotion, {}},
      {{"VEL 1000"}, {1}, Outcome::kCncFeed, {}},
      {{"SPINDLE CW"}, {1}, Outcome::kCncSpindle, {}},
  };
  for (const WriteFailure& c : cases) {
    FailingWrites file(c.failingWrites);
    EXPECT_EQ(WriteLines(settings, c.lines, file), c.code) << c.lines[0];
    EXPECT_THAT(CncLines(file.text), ElementsAreArray(c.written)) << c.lines[0];
  }
}

TEST(DinBlockWriterTest, AFailedBlockEndsTheRunWithItsCodeAndTheLinesBeforeIt) {
  const SettingsRecord settings = MovesOnlySettings();
  const std::string program = CrLfLines({"MOVEABS X1000", "MOVEABS X2000", "MOVEABS X3000", "HALT", "PROGEND"});
  FakeFileSystem fs;
  fs.failWriteNumber[kTargetPath] = 2;
  const ConversionResult result = Convert(settings, program, fs);
  EXPECT_EQ(result.code, Outcome::kCncMotion);
  EXPECT_THAT(CncLines(result.cnc), ElementsAre("N100 G1 X:1.0000"));
  EXPECT_EQ(fs.writeCount[kTargetPath], 2);  // nothing tried after the failed line
}

// Settings are user input too: whatever a settings file holds, a run writes
// well-formed lines with plain decimal numbers, or stops with a clear code.
TEST(DinBlockWriterTest, HostileSettingsNeverBreakTheFile) {
  const std::string program =
      CrLfLines({"N1 GETTOOL 7", "N2 SPINDLE CW RPM12000 ON", "N3 VEL 10000", "N4 COOLANT ON", "N5 PLANE XY",
                 "N6 FASTABS X0 Y0 Z10000", "N7 FASTABS X-10005 Y10000", "N8 MOVEABS Z-2000", "N9 MOVEREL X20000 Y-1",
                 "N10 CWABS I20000 J5000 X25000 Y5000", "N11 CCWREL I-5000 J0 X-10000", "N12 VEL 25000",
                 "N13 MOVEABS X0 Y0 Z-3000", "N14 SPINDLE CCW RPS50 OFF", "N15 HALT", "N16 FASTABS Z10000", "N17 WAIT",
                 "N18 COOLANT OFF", "N19 PROGEND"});
  const std::vector<std::string> texts = {"", " ", "X", "Xy ", "ABCDEFGHIJKLMNO", "?", "T? ? M6"};
  const std::vector<std::string> assignments = {"", "=", ":", "==>", "   ", "= "};
  const std::vector<int> decimals = {-5, 0, 1, 3, 6, 7, 1000};
  const std::vector<double> factors = {1,
                                       -1,
                                       0.5,
                                       1e300,
                                       -1e300,
                                       1e-300,
                                       -0.0,
                                       std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN()};
  const std::vector<int> numbers = {0, -5, 2147483647, -2147483647 - 1, 10};
  const std::regex exponent("[0-9][eE][-+]?[0-9]");
  std::mt19937 random(4711);
  auto pick = [&random](const auto& values) { return values[random() % values.size()]; };
  for (int round = 0; round < 300; ++round) {
    SettingsRecord settings = NewConfigurationSettings();
    MachineProfile& p = settings.Profil;
    for (std::uint16_t& tool : p.Werkzeuge) tool = static_cast<std::uint16_t>(random());
    p.Werkzeuge[7] = 65535;
    p.Sonderbehandlung = pick(std::vector<int>{0, 1, 1, 2, -1});
    p.ZeichenWertzuweisung.Assign(pick(assignments));
    p.Nachkommastellen = pick(decimals);
    p.NachkommastellenS = pick(decimals);
    p.NachkommastellenF = pick(decimals);
    p.ErsterSatz = pick(numbers);
    p.SatznummernIncrement = pick(numbers);
    p.ModalExtra = pick(std::vector<int>{0, 1, 7});
    p.FaktorSonderS = pick(factors);
    p.FaktorSonderF = pick(factors);
    for (Bool8* flag : {&p.Satznummerierung, &p.ZWerte, &p.RWerte, &p.IJWerte, &p.KWerte, &p.SWerte, &p.FWerte,
                        &p.ModaleG, &p.ModaleXYZ, &p.ModaleIJK, &p.OrdneFZuG0_3, &p.XYZRelativ, &p.IJKRelativ}) {
      flag->raw = static_cast<std::uint8_t>(random() % 3 == 0 ? 0 : random() % 256);
    }
    for (auto* line : {&p.Vorspann1, &p.Vorspann2, &p.Vorspann6, &p.Nachspann1, &p.Nachspann3}) {
      line->Assign(random() % 2 ? std::string(80, 'H') : pick(texts));
    }
    for (auto* code : {&p.Werkzeugwechsel1, &p.Werkzeugwechsel2, &p.VorWechselZuG0, &p.VorWechselZuG123}) {
      code->Assign(pick(texts));
    }
    for (auto* address : {&p.AdresseN, &p.AdresseS, &p.AdresseF, &p.CodeG0, &p.CodeG1, &p.CodeG2, &p.CodeG3,
                          &p.AdresseX, &p.AdresseY, &p.AdresseZ, &p.AdresseI, &p.AdresseJ, &p.AdresseK, &p.AdresseR,
                          &p.SpindelEin, &p.SpindelLinkslauf, &p.KuehlungEin, &p.G17, &p.Halt}) {
      address->Assign(pick(texts));
    }
    const ConversionResult result = Convert(settings, program);
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_THAT(result.code, ::testing::AnyOf(Outcome::kSuccess, Outcome::kFeedNotInteger, Outcome::kSpeedNotInteger))
        << result.report;
    const std::vector<std::string> lines = CncLines(result.cnc);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back(), "<no CR LF>");
    EXPECT_EQ(result.cnc.find(','), std::string::npos);
    EXPECT_FALSE(std::regex_search(result.cnc, exponent));
    for (const char* word : {"inf", "nan", "INF", "NAN"}) EXPECT_EQ(result.cnc.find(word), std::string::npos);
  }
}

}  // namespace
}  // namespace morvatex::testing
