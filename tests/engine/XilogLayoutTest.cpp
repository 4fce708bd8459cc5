#include "engine/families/xilog/XilogLayout.h"

#include <limits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/OutcomeCodes.h"
#include "tests/engine/CncTestSupport.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

using ::testing::ElementsAre;

// The Xilog machine settings without the ISO line, so that the program
// holds the work-piece line and then the blocks.
SettingsRecord XilogBlocksSettings() {
  SettingsRecord settings = XilogMachineSettings();
  settings.Profil.Vorspann2.Assign("");
  return settings;
}

// The lines after the work-piece header line.
std::vector<std::string> ContourLines(const SettingsRecord& settings, std::vector<std::string_view> lines,
                                      Outcome expectedCode = Outcome::kSuccess) {
  std::vector<std::string> cnc = CncOfProgram(settings, std::move(lines), expectedCode);
  EXPECT_FALSE(cnc.empty());
  if (!cnc.empty()) cnc.erase(cnc.begin());
  return cnc;
}

TEST(XilogLayoutTest, ProgramsGiveTheExpectedFilesByteForByte) {
  struct Case {
    const char* program;
    const char* expected;
    void (*adjust)(MachineProfile&);
  };
  const Case cases[] = {
      {"xilog-first-contour", "xilog-first-contour", [](MachineProfile&) {}},
      {"xilog-two-contours", "xilog-two-contours", [](MachineProfile&) {}},
      // Numbered, ":" as value assignment, modal coordinates, radius words,
      // F lines beside the V words, a change code before rapid moves.
      {"xilog-modal-colon", "xilog-modal-colon",
       [](MachineProfile& p) {
         p.Satznummerierung = true;
         p.ZeichenWertzuweisung.Assign(":");
         p.ModaleXYZ = true;
         p.RWerte = true;
         p.FWerte = true;
         p.VorWechselZuG0.Assign("G40");
       }},
      // Contours entered by a ramp, a helix and a cut at the rapid height
      // keep their first move; full circles and moves that go nowhere right
      // after an opening line; feed changes inside and between contours.
      {"xilog-entries", "xilog-entries", [](MachineProfile&) {}},
      {"xilog-entries", "xilog-entries-modal",
       [](MachineProfile& p) {
         p.Satznummerierung = true;
         p.ModaleXYZ = true;
         p.RWerte = true;
       }},
      {"xilog-entries", "xilog-entries-relative",
       [](MachineProfile& p) {
         p.ModaleXYZ = true;
         p.XYZRelativ = true;
         p.IJKRelativ = true;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    SettingsRecord settings = XilogMachineSettings();
    c.adjust(settings.Profil);
    const ConversionResult result = Convert(settings, GoldenFile(std::string(c.program) + ".ncp"));
    ASSERT_EQ(result.code, Outcome::kSuccess) << result.report;
    EXPECT_EQ(result.cnc, GoldenFile(std::string(c.expected) + ".cnc"));
  }
}

TEST(XilogLayoutTest, WorkpieceLineStandsAfterTheFirstHeaderLineWithTheExtents) {
  SettingsRecord settings = XilogMachineSettings();
  settings.Profil.Vorspann1.Assign("%");
  const std::vector<std::string_view> program = {"FASTABS X-5000 Y2500", "MOVEABS X10000 Y-7500"};
  EXPECT_THAT(
      CncOfProgram(settings, program),
      ElementsAre("%", "H DX=15.000 DY=10.000 DZ=100.000  -A C=0 T=0 R=200 *MM /\"w\" BX=5.000 BY=7.500 BZ=100.000",
                  "ISO \"M17\"", "G0 X=-5.000 Y=2.500 Z=0.000 E=300 V=0 S=0 T=101", "G1 X=10.000 Y=-7.500 Z=0.000"));

  // It draws a block number; every number in it follows the decimals.
  settings.Profil.Satznummerierung = true;
  settings.Profil.Nachkommastellen = 0;
  EXPECT_THAT(CncOfProgram(settings, program),
              ElementsAre("%", "N10 H DX=15 DY=10 DZ=100  -A C=0 T=0 R=200 *MM /\"w\" BX=5 BY=8 BZ=100",
                          "N20 ISO \"M17\"", "N30 G0 X=-5 Y=3 Z=0 E=300 V=0 S=0 T=101", "N40 G1 X=10 Y=-8 Z=0"));
}

TEST(XilogLayoutTest, FeedInMetresPerMinuteAndSpeedRoundHalvesToEven) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.FaktorSonderS = 0.25;  // S = rpm × 1.5
  EXPECT_THAT(ContourLines(settings, {"FASTABS X0 Y0", "VEL 25000", "SPINDLE RPM1", "MOVEABS Z-1000", "VEL 75000",
                                      "SPINDLE RPM3", "MOVEABS X1000", "VEL 125000", "SPINDLE RPM5", "MOVEABS X2000",
                                      "VEL 35000", "MOVEABS X3000", "VEL 24983", "MOVEABS X4000"}),
              ElementsAre("G0 X=0.000 Y=0.000 Z=-1.000 E=300 V=2 S=2 T=101",  // 1.5 m/min, 1.5 rpm
                          "G1 X=1.000 Y=0.000 Z=-1.000 V=4 S=4",              // 4.5, 4.5
                          "G1 X=2.000 Y=0.000 Z=-1.000 V=8 S=8",              // 7.5, 7.5
                          "G1 X=3.000 Y=0.000 Z=-1.000 V=2",                  // 2.1
                          "G1 X=4.000 Y=0.000 Z=-1.000 V=1"));                // 1.49898
}

TEST(XilogLayoutTest, ChangesBetweenContoursAreReportedByTheNextOpeningLine) {
  EXPECT_THAT(ContourLines(XilogBlocksSettings(),
                           {"FASTABS X0 Y0", "MOVEABS Z-1000", "FASTABS Z5000", "VEL 50000", "FASTABS X10000",
                            "MOVEABS Z-1000", "MOVEABS X20000", "FASTABS Z5000", "FASTABS X0 Y0"}),
              ElementsAre("G0 X=0.000 Y=0.000 Z=-1.000 E=300 V=0 S=0 T=101",
                          "G0 X=10.000 Y=0.000 Z=-1.000 E=300 V=3 S=0 T=101", "G1 X=20.000 Y=0.000 Z=-1.000"));
}

TEST(XilogLayoutTest, OpeningLineWithoutRapidMoveAndRapidMovesAlone) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.Werkzeuge[5] = 7;
  EXPECT_THAT(ContourLines(settings, {"GETTOOL 5", "MOVEABS Z-500"}), ElementsAre("Z=-0.500 E=300 V=0 S=0 T=7"));
  EXPECT_THAT(ContourLines(settings, {"GETTOOL 5", "MOVEABS X1000 Z-500"}),
              ElementsAre("Z=0.000 E=300 V=0 S=0 T=7", "G1 X=1.000 Y=0.000 Z=-0.500"));
  EXPECT_THAT(ContourLines(settings, {"FASTABS X1000", "FASTABS Z5000"}), ElementsAre());

  // Without the code for feed moves its word is left out; as stored otherwise.
  settings.Profil.VorWechselZuG123.Assign(" ");
  EXPECT_THAT(ContourLines(settings, {"MOVEABS Z-500"}), ElementsAre("Z=-0.500 V=0 S=0 T=101"));
  settings.Profil.VorWechselZuG123.Assign("E=300 ");
  EXPECT_THAT(ContourLines(settings, {"MOVEABS Z-500"}), ElementsAre("Z=-0.500 E=300  V=0 S=0 T=101"));
}

TEST(XilogLayoutTest, OpeningLineTakesTheRelativeDepth) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.XYZRelativ = true;
  EXPECT_THAT(ContourLines(settings, {"FASTABS X2000 Y0 Z5000", "MOVEABS Z-1000"}),
              ElementsAre("G0 X=2.000 Y=0.000 Z=-6.000 E=300 V=0 S=0 T=101"));
}

TEST(XilogLayoutTest, AMoveRightAfterTheOpeningLineIsDroppedOnlyWhereItLeavesZ) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.ModaleXYZ = true;
  // A second plunge is cut; a move that repeats the depth adds nothing.
  EXPECT_THAT(
      ContourLines(settings,
                   {"FASTABS X1000 Y1000", "MOVEABS Z-1000", "MOVEABS Z-2000", "MOVEABS X2000", "MOVEABS Z-3000"}),
      ElementsAre("G0 X=1.000 Y=1.000 Z=-1.000 E=300 V=0 S=0 T=101", "G1 Z=-2.000", "G1 X=2.000", "G1 Z=-3.000"));
  EXPECT_THAT(ContourLines(settings, {"FASTABS X1000 Y1000", "MOVEABS Z-1000", "MOVEABS Z-1000", "MOVEABS X2000"}),
              ElementsAre("G0 X=1.000 Y=1.000 Z=-1.000 E=300 V=0 S=0 T=101", "G1 X=2.000"));
}

TEST(XilogLayoutTest, BlocksAreFoundByTheConfiguredAddressesAndValueAssignment) {
  // With ":" every block holds "X:" rather than "X=": none may vanish.
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.ZeichenWertzuweisung.Assign(":");
  EXPECT_THAT(ContourLines(settings, {"FASTABS X0 Y0", "MOVEABS Z-1000", "MOVEABS X1000", "MOVEABS Y1000"}),
              ElementsAre("G0 X:0.000 Y:0.000 Z:-1.000 E=300 V=0 S=0 T:101", "G1 X:1.000 Y:0.000 Z:-1.000",
                          "G1 X:1.000 Y:1.000 Z:-1.000"));

  settings = XilogBlocksSettings();
  settings.Profil.AdresseX.Assign("A");
  settings.Profil.AdresseY.Assign("B");
  settings.Profil.ModaleXYZ = true;
  EXPECT_THAT(ContourLines(settings, {"FASTABS X0 Y0", "MOVEABS Z-1000", "MOVEABS Z-1000", "MOVEABS Y1000"}),
              ElementsAre("G0 A=0.000 B=0.000 Z=-1.000 E=300 V=0 S=0 T=101", "G1 B=1.000"));
}

TEST(XilogLayoutTest, FirstUseMarksPlayNoPart) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.ModaleXYZ = true;
  // Z0 is given for the first time by the last word of its line.
  EXPECT_THAT(ContourLines(settings, {"FASTABS X1000 Y1000", "MOVEABS X1000", "MOVEABS X2000", "MOVEABS X3000 Z0"}),
              ElementsAre("G0 X=1.000 Y=1.000 Z=0.000 E=300 V=0 S=0 T=101", "G1 X=2.000", "G1 X=3.000"));
}

TEST(XilogLayoutTest, RadiusWordsAreSignedByDirectionNotBySize) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.RWerte = true;
  EXPECT_THAT(
      ContourLines(settings, {"FASTABS X10000 Y0", "MOVEABS Z-1000", "CWABS X0 Y10000 I0 J0", "CCWABS X10000 Y0 I0 J0",
                              "FASTABS Z5000", "FASTABS X20000 Y0", "CWABS X10000 Y0 I15000 J0 Z-500", "MOVEABS X0"}),
      ElementsAre(
          "G0 X=10.000 Y=0.000 Z=-1.000 E=300 V=0 S=0 T=101", "G2 X=0.000 Y=10.000 Z=-1.000 I=0.000 J=0.000 r=-10.000",
          "G3 X=10.000 Y=0.000 Z=-1.000 I=0.000 J=0.000 r=10.000", "G0 X=20.000 Y=0.000 Z=5.000 E=300 V=0 S=0 T=101",
          "G2 X=10.000 Y=0.000 Z=-0.500 I=15.000 J=0.000 r=-5.000", "G1 X=0.000 Y=0.000 Z=-0.500"));
}

TEST(XilogLayoutTest, HeldBackFeedWordsAreNeverWritten) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.FWerte = true;
  settings.Profil.OrdneFZuG0_3 = true;
  EXPECT_THAT(ContourLines(settings, {"FASTABS X0 Y0", "VEL 5000", "MOVEABS Z-1000", "MOVEABS X1000"}),
              ElementsAre("G0 X=0.000 Y=0.000 Z=-1.000 E=300 V=0 S=0 T=101", "G1 X=1.000 Y=0.000 Z=-1.000"));
}

TEST(XilogLayoutTest, FailedWritesOfTheLayoutHaveTheirCodes) {
  SettingsRecord settings = XilogMachineSettings();
  settings.Profil.VorWechselZuG0.Assign("G40");
  settings.Profil.Nachspann1.Assign("M30");
  // header line, ISO line, G40, opening line, contour block, G40, in both:
  // after a plunge, and where a ramp opens the contour and follows it.
  const std::string plunge =
      CrLfLines({"FASTABS X0 Y0", "MOVEABS Z-1000", "MOVEABS X1000", "FASTABS Z5000", "PROGEND"});
  const std::string ramp = CrLfLines({"FASTABS X0 Y0", "; ramp", "MOVEABS X1000 Z-1000", "FASTABS Z5000", "PROGEND"});
  const struct {
    int failingWrite;
    Outcome code;
    // The ramp's block is tried after a failed opening line, fails as well
    // and has the last word.
    Outcome rampCode;
  } cases[] = {{1, Outcome::kXilogHeaderOrContourStart, Outcome::kXilogHeaderOrContourStart},
               {2, Outcome::kCncHeader, Outcome::kCncHeader},
               {3, Outcome::kCncBeforeRapid, Outcome::kCncBeforeRapid},
               {4, Outcome::kXilogHeaderOrContourStart, Outcome::kXilogMotion},
               {5, Outcome::kXilogMotion, Outcome::kXilogMotion},
               {6, Outcome::kCncBeforeRapid, Outcome::kCncBeforeRapid},
               {7, Outcome::kCncTrailer, Outcome::kCncTrailer}};
  for (const auto& c : cases) {
    for (const std::string* source : {&plunge, &ramp}) {
      SCOPED_TRACE(*source);
      FakeFileSystem fs;
      fs.failWriteNumber[kTargetPath] = c.failingWrite;
      const ConversionResult result = Convert(settings, *source, fs);
      EXPECT_EQ(result.code, source == &ramp ? c.rampCode : c.code) << "write " << c.failingWrite;
      EXPECT_EQ(CncLines(result.cnc).size(), static_cast<std::size_t>(c.failingWrite - 1));
    }
  }
  // After a failed first header line the work-piece line is still tried.
  settings.Profil.Vorspann1.Assign("%");
  FakeFileSystem fs;
  fs.failWriteNumber[kTargetPath] = 1;
  EXPECT_EQ(Convert(settings, plunge, fs).code, Outcome::kXilogHeaderOrContourStart);
  EXPECT_EQ(fs.writeCount[kTargetPath], 2);
}

TEST(XilogLayoutTest, AFeedThatIsNotFiniteStopsTheRunAtTheOpeningLine) {
  SettingsRecord settings = XilogBlocksSettings();
  settings.Profil.FaktorSonderF = std::numeric_limits<double>::infinity();
  EXPECT_THAT(ContourLines(settings, {"VEL 5000", "FASTABS X0 Y0", "MOVEABS Z-1000", "MOVEABS X1000"},
                           Outcome::kFeedNotInteger),
              ElementsAre());
}

}  // namespace
}  // namespace morvatex::testing
