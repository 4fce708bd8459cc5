// The check of whole conversions: settings that do not suit a control must
// be caught with the divergence they cause, and every preset's own output
// must read back clean.
#include "verify/Verification.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/Presets.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/verify/RandomPrograms.h"
#include "verify/CheckChoiceFile.h"

namespace morvatex::testing {
namespace {

// The Mach3 preset as RS274/NGC wants it: the speed once, not six-fold.
SettingsRecord Mach3ForRs274() {
  SettingsRecord settings = PresetSettings(Preset::kMach3);
  settings.Profil.FaktorSonderS = 1.0 / 6;
  return settings;
}

VerificationResult ConvertAndCheck(const SettingsRecord& settings, const std::string& program, ControlModel model,
                                   double tolerance = kDefaultTolerance) {
  FakeFileSystem fs;
  const ConversionResult converted = Convert(settings, program, fs);
  EXPECT_EQ(converted.code, Outcome::kSuccess) << converted.report;
  return VerifySourceAndCncProgram(settings, fs, kSourcePath, kTargetPath, {model, tolerance});
}

const std::string kSquareAndCircle =
    CrLfLines({"GETTOOL 2", "SPINDLE CW RPM12000", "VEL 10000", "FASTABS X0 Y0 Z10000", "FASTABS X10000 Y10000",
               "MOVEABS Z-1000", "MOVEABS X40000", "CCWABS I40000 J20000 X40000 Y30000", "MOVEABS X10000",
               "CWABS I10000 J20000 X10000 Y30000", "MOVEABS Y10000", "FASTABS Z10000", "PROGEND"});

TEST(VerificationTest, SettingsThatDoNotSuitTheControlAreCaught) {
  struct Case {
    const char* name;
    ControlModel model;
    void (*adjust)(MachineProfile&);
    std::string program;
    const char* divergence;  // a piece of the report
  };
  const std::string steps = CrLfLines({"VEL 10000", "FASTABS X0 Y0 Z1000", "MOVEABS Z-1000", "MOVEABS X300",
                                       "MOVEABS X600", "MOVEABS X900", "FASTABS Z1000", "PROGEND"});
  const Case cases[] = {
      {"G2 and G3 swapped", ControlModel::kRs274,
       [](MachineProfile& p) {
         p.CodeG2.Assign("G3");
         p.CodeG3.Assign("G2");
       },
       kSquareAndCircle, "Bewegungsart: Isel G3, CNC G2"},
      {"no decimals on 0.3 mm steps", ControlModel::kConfigured, [](MachineProfile& p) { p.Nachkommastellen = 0; },
       steps, "Endpunkt: Isel X0.3 Y0 Z-1, CNC X1 Y0 Z-1"},
      {"G91 in the header of an absolute program", ControlModel::kRs274,
       [](MachineProfile& p) { p.Vorspann6.Assign("G91"); }, kSquareAndCircle, "Endpunkt"},
      {"absolute centres under RS274/NGC", ControlModel::kRs274,
       [](MachineProfile& p) {
         p.RWerte = false;
         p.IJWerte = true;
         p.IJKRelativ = false;
       },
       kSquareAndCircle, "Mittelpunkt: Isel X40 Y20"},
      {"a colon between letter and value", ControlModel::kRs274,
       [](MachineProfile& p) { p.ZeichenWertzuweisung.Assign(":"); }, kSquareAndCircle,
       "Wort \"X:0.0000\" liest RS274/NGC nicht"},
      {"half the feed", ControlModel::kRs274, [](MachineProfile& p) { p.FaktorSonderF = 0.5; }, kSquareAndCircle,
       "Vorschub: Isel 600 mm/min, CNC 300 mm/min"},
      {"the six-fold speed", ControlModel::kRs274, [](MachineProfile& p) { p.FaktorSonderS = 1; }, kSquareAndCircle,
       "FaktorSonderS 0.166667 (1/6) g\xE4"
       "be sie richtig"},
      {"a tool table that moves the tools", ControlModel::kConfigured, [](MachineProfile& p) { p.Werkzeuge[2] = 7; },
       kSquareAndCircle, ""},
  };
  for (const Case& c : cases) {
    SettingsRecord settings = Mach3ForRs274();
    ASSERT_TRUE(ConvertAndCheck(settings, c.program, c.model).Clean())
        << c.name << ": " << ConvertAndCheck(settings, c.program, c.model).report;
    c.adjust(settings.Profil);
    const VerificationResult check = ConvertAndCheck(settings, c.program, c.model);
    if (*c.divergence == '\0') {
      // The table is part of the wording: the tool it names is the one read.
      EXPECT_TRUE(check.Clean()) << c.name << ": " << check.report;
      continue;
    }
    EXPECT_FALSE(check.Clean()) << c.name;
    EXPECT_NE(check.report.find(c.divergence), std::string::npos) << c.name << ":\n" << check.report;
  }
}

TEST(VerificationTest, ADivergenceNamesBothLinesAndAPassingCheckTheLargestDeviation) {
  SettingsRecord settings = Mach3ForRs274();
  settings.Profil.FaktorSonderF = 0.5;
  const VerificationResult check = ConvertAndCheck(settings, kSquareAndCircle, ControlModel::kRs274);
  EXPECT_EQ(check.report,
            "Pr\xFC"
            "fung (RS274/NGC): 1 Abweichung, 10 Bewegungen, gr\xF6\xDF"
            "te Abweichung 0 mm\r\n"
            "  Isel-Zeile 6: MOVEABS Z-1000\r\n"
            "  CNC-Zeile 9: G1 X10.0000 Y10.0000 Z-1.0000\r\n"
            "    Vorschub: Isel 600 mm/min, CNC 300 mm/min\r\n");
  settings.Profil.FaktorSonderF = 1;
  EXPECT_EQ(ConvertAndCheck(settings, kSquareAndCircle, ControlModel::kRs274).report,
            "Pr\xFC"
            "fung (RS274/NGC): keine Abweichung, 10 Bewegungen, gr\xF6\xDF"
            "te Abweichung 0 mm\r\n");
}

TEST(VerificationTest, RoundingThatAddsUpAlongARelativeProgramCountsOnceItPassesTheTolerance) {
  SettingsRecord settings = Mach3ForRs274();
  settings.Profil.XYZRelativ = true;
  settings.Profil.Vorspann5.Assign("G21 G40 G54 G91");
  settings.Profil.Nachkommastellen = 2;
  std::vector<std::string_view> lines = {"VEL 10000", "FASTABS X0 Y0 Z1000", "MOVEABS Z-1000"};
  std::vector<std::string> steps;
  for (int i = 1; i <= 20; ++i) steps.push_back("MOVEABS X" + std::to_string(i * 4));  // 0.004 mm each
  for (const std::string& step : steps) lines.push_back(step);
  lines.push_back("PROGEND");
  const VerificationResult check = ConvertAndCheck(settings, CrLfLines(lines), ControlModel::kRs274);
  EXPECT_FALSE(check.Clean()) << check.report;
  // Each step alone is within the tolerance; the sum is not.
  EXPECT_NE(check.report.find("Ende des Schnitts: Isel X0.08 Y0 Z-1, CNC X0 Y0 Z-1"), std::string::npos)
      << check.report;
}

TEST(VerificationTest, EveryPresetChecksCleanAsConfiguredAndMach3UnderRs274) {
  struct Case {
    const char* name;
    SettingsRecord settings;
    ControlModel model;
  };
  std::vector<Case> cases = {
      {"neu", NewConfigurationSettings(), ControlModel::kConfigured},
      {"allgemein", PresetSettings(Preset::kGeneral), ControlModel::kConfigured},
      {"loesche", PresetSettings(Preset::kClear), ControlModel::kConfigured},
      {"mach3", PresetSettings(Preset::kMach3), ControlModel::kConfigured},
      {"xilog", PresetSettings(Preset::kXilog), ControlModel::kConfigured},
      {"mach3 rs274", Mach3ForRs274(), ControlModel::kRs274},
  };
  Case xilogModal{"xilog modal", PresetSettings(Preset::kXilog), ControlModel::kConfigured};
  xilogModal.settings.Profil.ModaleXYZ = true;
  cases.push_back(xilogModal);
  // Relative output: four decimals keep the sum of the roundings far below
  // the tolerance, three are exact for micrometres.
  Case relative{"mach3 relative", Mach3ForRs274(), ControlModel::kRs274};
  relative.settings.Profil.XYZRelativ = true;
  relative.settings.Profil.Vorspann5.Assign("G21 G40 G54 G91");
  cases.push_back(relative);
  Case relativeGeneral{"allgemein relative", PresetSettings(Preset::kGeneral), ControlModel::kConfigured};
  relativeGeneral.settings.Profil.XYZRelativ = true;
  relativeGeneral.settings.Profil.IJKRelativ = true;
  cases.push_back(relativeGeneral);
  Case withCentres{"mach3 with I and J", Mach3ForRs274(), ControlModel::kRs274};
  withCentres.settings.Profil.RWerte = false;
  withCentres.settings.Profil.IJWerte = true;
  withCentres.settings.Profil.IJKRelativ = true;
  cases.push_back(withCentres);
  for (const Case& c : cases) {
    for (unsigned seed = 1; seed <= 25; ++seed) {
      const std::string program = RandomProgram(seed);
      const VerificationResult check = ConvertAndCheck(c.settings, program, c.model);
      ASSERT_TRUE(check.Clean()) << c.name << ", seed " << seed << ":\n" << check.report << program;
      EXPECT_GT(check.summary.movesCompared, 20u);
    }
  }
}

// `cnc` with its first line that starts with `lineStart` replaced by
// `replacement` (whole lines with their CR LF; empty: the line removed).
std::string Edited(std::string cnc, std::string_view lineStart, std::string_view replacement) {
  std::size_t at = cnc.rfind(lineStart, 0) == 0 ? 0 : cnc.find("\n" + std::string(lineStart));
  EXPECT_NE(at, std::string::npos) << lineStart << " in\n" << cnc;
  if (at == std::string::npos) return cnc;
  if (at > 0 || cnc[0] == '\n') ++at;
  const std::size_t end = cnc.find('\n', at);
  cnc.replace(at, end == std::string::npos ? std::string::npos : end + 1 - at, replacement);
  return cnc;
}

// Converts `program` in `dialect`, edits the CNC program as a hand at the
// machine might, and checks it as --against does.
VerificationResult CheckEdited(const SettingsRecord& settings, const std::string& program, ControlModel model,
                               std::string_view lineStart, std::string_view replacement,
                               IselDialect dialect = IselDialect::kOriginal) {
  FakeFileSystem fs;
  ConversionOptions options;
  options.dialect = dialect;
  const ConversionResult converted = Convert(settings, program, fs, options);
  EXPECT_EQ(converted.code, Outcome::kSuccess) << converted.report;
  if (!lineStart.empty()) fs.files[kTargetPath] = Edited(fs.files[kTargetPath], lineStart, replacement);
  return VerifySourceAndCncProgram(settings, fs, kSourcePath, kTargetPath, {model}, dialect);
}

// What a check must see, each in a small program whose CNC program was
// written by the conversion and then changed: an end code that cuts the
// path short, a spindle that does not run as the Isel program says, blocks
// LinuxCNC refuses, numbers as LinuxCNC reads them, R words that contradict
// their centre; and what is nothing to check.
TEST(VerificationTest, WhatAControlWouldDoOtherwiseIsADivergence) {
  struct Case {
    const char* name;
    std::vector<ControlModel> models;
    const std::string& program;
    std::string_view lineStart, replacement;  // the edit of the CNC program
    const char* divergence;                   // a piece of the report; empty: clean
    std::size_t count;                        // divergences
    void (*adjust)(MachineProfile&) = nullptr;
  };
  const std::vector<ControlModel> both = {ControlModel::kRs274, ControlModel::kConfigured};
  const std::vector<ControlModel> rs274 = {ControlModel::kRs274};
  const std::vector<ControlModel> configured = {ControlModel::kConfigured};
  const std::string& square = kSquareAndCircle;
  const std::string spindleStops =
      CrLfLines({"GETTOOL 2", "SPINDLE CW RPM12000", "VEL 10000", "FASTABS X10000 Y10000 Z1000", "MOVEABS Z-1000",
                 "MOVEABS X40000", "SPINDLE OFF", "MOVEABS Y30000", "FASTABS Z10000", "PROGEND"});
  const std::string counterClockwise = CrLfLines({"SPINDLE CCW RPM12000", "VEL 10000", "FASTABS X10000 Y10000 Z1000",
                                                  "MOVEABS Z-1000", "MOVEABS X40000", "FASTABS Z10000", "PROGEND"});
  const std::string noSpindle = CrLfLines(
      {"VEL 10000", "FASTABS X10000 Y10000 Z1000", "MOVEABS Z-1000", "MOVEABS X40000", "FASTABS Z10000", "PROGEND"});
  const std::string quarter =
      CrLfLines({"VEL 10000", "FASTABS X40000 Y10000 Z1000", "MOVEABS Z-1000", "CCWABS I40000 J20000 X50000 Y20000",
                 "MOVEABS X60000", "FASTABS Z1000", "PROGEND"});
  const auto radiusAndCentre = [](MachineProfile& p) {
    p.IJWerte = true;
    p.IJKRelativ = true;
  };
  const Case cases[] = {
      {"M30 right after the plunge", both, square, "G1 X10.0000 Y10.0000 Z-1.0000",
       "G1 X10.0000 Y10.0000 Z-1.0000\r\nM30\r\n",
       "CNC-Zeile 10: M30\r\n    Programmende M30 vor dem Ende des Wegs: es", 1},
      // The full circle is one move, though it is compared as two halves.
      {"M2 right after the plunge", both, square, "G1 X10.0000 Y10.0000 Z-1.0000",
       "G1 X10.0000 Y10.0000 Z-1.0000\r\nM2\r\n", "Programmende M2 vor dem Ende des Wegs: es fehlen noch 6 Bewegungen",
       1},
      {"M5 before cutting", both, square, "X10.0000 Y10.0000 Z10.0000", "X10.0000 Y10.0000 Z10.0000\r\nM5\r\n",
       "Spindel: Isel Rechtslauf, CNC aus", 1},
      {"M4 where the Isel program says CW", both, square, "S12000 M3", "S12000 M4\r\n",
       "Spindel: Isel Rechtslauf, CNC Linkslauf", 1},
      {"no M3 at all", both, square, "S12000 M3", "S12000\r\n", "Spindel: Isel Rechtslauf, CNC aus", 1},
      {"M3 where the Isel program says CCW", both, counterClockwise, "S12000 M4", "S12000 M3\r\n",
       "Spindel: Isel Linkslauf, CNC Rechtslauf", 1},
      {"running where the Isel program stops it", both, spindleStops, "M5", "", "Spindel: Isel aus, CNC Rechtslauf", 1},
      {"nothing to check before the first SPINDLE line", both, noSpindle, "", "", "", 0},
      {"without S values the configured codes say nothing", configured, square, "", "", "", 0,
       [](MachineProfile& p) { p.SWerte = false; }},
      {"without S values RS274/NGC never starts the spindle", rs274, square, "", "",
       "Spindel: Isel Rechtslauf, CNC aus", 1, [](MachineProfile& p) { p.SWerte = false; }},
      {"an empty code says nothing as configured", configured, counterClockwise, "", "", "", 0,
       [](MachineProfile& p) { p.SpindelLinkslauf.Assign(""); }},
      {"R beside I and J", rs274, square, "G3 X40.0000", "G3 X40.0000 Y30.0000 Z-1.0000 R10.0000 I0 J10\r\n",
       "Kreisbogen mit R und I/J zugleich", 1},
      {"two spindle codes in one block", rs274, square, "S12000 M3", "S12000 M3 M4\r\n",
       "zwei M-Codes einer Gruppe in einem Satz: M3 und M4", 2},
      {"two motion codes in one block", rs274, square, "G3 X40.0000", "G1 G3 X40.0000 Y30.0000 Z-1.0000 R10.0000\r\n",
       "zwei Bewegungsarten in einem Satz", 1},
      {"a tool number with decimals", rs274, square, "T2 M6", "T2.5 M6\r\n",
       "T-Wort T2.5 ist keine ganze Zahl\r\n  Isel-Zeile 4: FASTABS X0 Y0 Z10000\r\n  CNC-Zeile 7: G0 X0.0000 Y0.0000 "
       "Z10.0000\r\n    Werkzeug: Isel T2, CNC T2.5",
       2},
      {"blanks inside a number", rs274, square, "G1 X10.0000", "G1 X1 0.0 000 Y1 0.0000 Z-1.0000\r\n", "", 0},
      {"blanks that make another number", rs274, square, "G1 X10.0000", "G1 X1 1.0000 Y10.0000 Z-1.0000\r\n",
       "Endpunkt: Isel X10 Y10 Z-1, CNC X11 Y10 Z-1 (1 mm)", 1},
      {"an R word of another radius than I and J", configured, quarter, "G3 X50.0000",
       "G3 X50.0000 Y20.0000 Z-1.0000 I0.0000 J10.0000 R12.0000\r\n",
       "R-Wort passt nicht zu I/J: Radius 12, aus I/J 10", 1, radiusAndCentre},
      {"an R word asking for the other side", configured, quarter, "G3 X50.0000",
       "G3 X50.0000 Y20.0000 Z-1.0000 I0.0000 J10.0000 R-10.0000\r\n",
       "R-Wort passt nicht zu I/J: das Vorzeichen verlangt einen Bogen \xFC"
       "ber 180\xB0, I/J geben 90\xB0",
       1, radiusAndCentre},
  };
  for (const Case& c : cases) {
    for (const ControlModel model : c.models) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::string(ControlModelName(model)));
      SettingsRecord settings = Mach3ForRs274();
      if (c.adjust) c.adjust(settings.Profil);
      const VerificationResult check = CheckEdited(settings, c.program, model, c.lineStart, c.replacement);
      EXPECT_TRUE(check.problem.empty()) << check.problem;
      EXPECT_EQ(check.summary.divergenceCount, c.count) << check.report;
      if (*c.divergence != '\0') {
        EXPECT_NE(check.report.find(c.divergence), std::string::npos) << check.report;
      }
    }
  }
}

// One move missing, added or changed is one divergence, and the moves after
// it compare clean again: also where the Xilog layout loses an arc, while
// what it leaves out by design (rapid moves, their heights) is none.
TEST(VerificationTest, OneRealDifferenceIsOneDivergence) {
  const std::string zigzag = CrLfLines(
      {"GETTOOL 1", "SPINDLE CW RPM12000", "VEL 10000", "FASTABS X0 Y0 Z1000", "MOVEABS Z-1000", "MOVEABS X10000 Y5000",
       "MOVEABS X20000 Y0", "MOVEABS X30000 Y5000", "MOVEABS X40000 Y0", "MOVEABS X50000 Y5000", "MOVEABS X60000 Y0",
       "CCWABS I60000 J10000 X70000 Y10000", "MOVEABS X80000 Y15000", "MOVEABS X90000 Y10000", "MOVEABS X100000 Y15000",
       "FASTABS Z10000", "PROGEND"});
  struct Case {
    const char* name;
    Preset preset;
    std::string_view lineStart, replacement;
    const char* divergence;
  };
  const Case cases[] = {
      {"a move missing", Preset::kMach3, "X30.0000 Y5.0000", "", "fehlt im CNC-Programm: G1 nach X30 Y5 Z-1"},
      {"a move added", Preset::kMach3, "X40.0000 Y0.0000", "X35.0000 Y9.0000 Z-1.0000\r\nX40.0000 Y0.0000 Z-1.0000\r\n",
       "zus\xE4tzliche Bewegung im CNC-Programm: G1 nach X35 Y9 Z-1"},
      {"a move changed", Preset::kMach3, "X30.0000 Y5.0000", "X30.0000 Y7.0000 Z-1.0000\r\n",
       "Endpunkt: Isel X30 Y5 Z-1, CNC X30 Y7 Z-1 (2 mm)"},
      {"an arc the Xilog layout loses", Preset::kXilog, "G3 X=70.000", "",
       "fehlt im CNC-Programm: G3 nach X70 Y10 Z-1"},
  };
  for (const Case& c : cases) {
    for (const ControlModel model : {ControlModel::kRs274, ControlModel::kConfigured}) {
      if (c.preset == Preset::kXilog && model == ControlModel::kRs274) continue;
      SCOPED_TRACE(std::string(c.name) + ", " + std::string(ControlModelName(model)));
      SettingsRecord settings = PresetSettings(c.preset);
      settings.Profil.FaktorSonderS = 1.0 / 6;
      ASSERT_TRUE(CheckEdited(settings, zigzag, model, "", "").Clean());
      const VerificationResult check = CheckEdited(settings, zigzag, model, c.lineStart, c.replacement);
      EXPECT_EQ(check.summary.divergenceCount, 1u) << check.report;
      EXPECT_NE(check.report.find(c.divergence), std::string::npos) << check.report;
      EXPECT_GE(check.summary.movesCompared, 10u);
    }
  }
}

// What the extended dialect writes (a dwell after the spindle start, the
// machine frame, an XZ arc, a dwell, a drill cycle) reads back clean under
// both models; each change a hand might make is one divergence.
TEST(VerificationTest, TheExtendedDialectsStepsAreCheckedAsWritten) {
  const std::string program = CrLfLines(
      {"GETTOOL 1", "SPINDLE CW RPM12000 TIME1000", "VEL 10000", "WPCLEAR", "FASTABS Z0", "WPZERO STANDARD",
       "FASTABS X10000 Y10000", "FASTABS Z5000", "MOVEABS Z-1000", "PLANE XZ", "CWABS I15000 K-1000 X20000 Z-1000",
       "PLANE XY", "WAIT 2000", "DRILLDEF C1 P0 S2000 D1800 V1000", "DRILL X30000 Y10000", "FASTABS Z5000", "PROGEND"});
  struct Case {
    const char* name;
    std::string_view lineStart, replacement;
    const char* divergence;  // a piece of the report; empty: clean
  };
  const Case cases[] = {
      {"as written", "", "", ""},
      {"G53 left out", "G53 G0 Z0.0000", "G0 Z0.0000\r\n",
       "Isel-Zeile 5: FASTABS Z0\r\n    fehlt im CNC-Programm: G53 G0 nach Z0"},
      {"G53 on a move of the work frame", "X10.0000 Y10.0000 Z5.0000", "G53 X10.0000 Y10.0000 Z5.0000\r\n",
       "Nullpunkt: Isel G54, CNC G53"},
      {"a Z the Isel program leaves standing", "X10.0000 Y10.0000", "X10.0000 Y10.0000 Z7.0000\r\n",
       "Isel l\xE4sst Z stehen (Lage nach dem Nullpunktwechsel unbekannt)"},
      {"the spindle's dwell longer", "G4 P1.000", "G4 P3.000\r\n", "Verweilzeit: Isel 1 s, CNC 3 s"},
      {"the dwell left out", "G4 P2.000", "", "Isel-Zeile 13: WAIT 2000\r\n    fehlt im CNC-Programm: Verweilzeit 2 s"},
      {"the plane left out", "G18", "", "Ebene: Isel G18 (XZ), CNC G17 (XY)"},
      {"the drill's feed left out", "F60\r", "", "Vorschub: Isel 60 mm/min, CNC 600 mm/min"},
      {"the hole too shallow", "G1 X30.0000 Y10.0000 Z-1.8000", "G1 X30.0000 Y10.0000 Z-1.5000\r\n",
       "Endpunkt: Isel X30 Y10 Z-1.8, CNC X30 Y10 Z-1.5 (0.3 mm)"},
  };
  for (const Case& c : cases) {
    for (const ControlModel model : {ControlModel::kRs274, ControlModel::kConfigured}) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::string(ControlModelName(model)));
      const VerificationResult check =
          CheckEdited(Mach3ForRs274(), program, model, c.lineStart, c.replacement, IselDialect::kExtended);
      EXPECT_TRUE(check.problem.empty()) << check.problem;
      EXPECT_EQ(check.summary.divergenceCount, *c.divergence == '\0' ? 0u : 1u) << check.report;
      EXPECT_NE(check.report.find(c.divergence), std::string::npos) << check.report;
    }
  }
  // Read in the original dialect, a dwell after the spindle start is left
  // out: a divergence, so that the check never passes what the conversion
  // dropped. The extended dialect writes it.
  const std::string dwell = CrLfLines({"SPINDLE CW RPM12000 TIME1000", "VEL 10000", "FASTABS X10000 Y10000 Z5000",
                                       "MOVEABS Z-1000", "FASTABS Z5000", "PROGEND"});
  const VerificationResult original = CheckEdited(Mach3ForRs274(), dwell, ControlModel::kRs274, "", "");
  EXPECT_EQ(original.summary.divergenceCount, 1u) << original.report;
  EXPECT_NE(original.report.find("Isel-Zeile 1: SPINDLE CW RPM12000 TIME1000\r\n    nicht umgesetzt: TIME"),
            std::string::npos)
      << original.report;
  EXPECT_TRUE(CheckEdited(Mach3ForRs274(), dwell, ControlModel::kRs274, "", "", IselDialect::kExtended).Clean());
}

std::string Repeated(std::string_view text, std::size_t times) {
  std::string repeated;
  for (std::size_t i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST(VerificationTest, ACncFileThatIsNoProgramIsAProblemNotADivergence) {
  const SettingsRecord settings = Mach3ForRs274();
  struct Case {
    const char* name;
    std::string cnc;
    const char* problem;
  };
  const Case cases[] = {
      {"empty", "", "Die CNC-Datei ist leer"},
      {"binary", std::string("G0 X1\r\n\0\x01\x02", 10), "CNC-Zeile 2 enth\xE4lt Bin\xE4rdaten"},
      {"binary in a later piece", Repeated("G0 X1\r\n", 20000) + std::string("G0\0X2\r\n", 8),
       "CNC-Zeile 20001 enth\xE4lt Bin\xE4rdaten"},
      {"one endless line", std::string(kLongestCncLine + 10, 'X'), "CNC-Zeile 1 ist zu lang"},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    fs.files[kSourcePath] = kSquareAndCircle;
    fs.files[kTargetPath] = c.cnc;
    const VerificationResult check =
        VerifySourceAndCncProgram(settings, fs, kSourcePath, kTargetPath, {ControlModel::kRs274});
    EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.name << ": " << check.problem;
    EXPECT_NE(check.report.find("nicht m\xF6glich"), std::string::npos) << c.name;
  }
  FakeFileSystem fs;
  fs.files[kSourcePath] = kSquareAndCircle;
  EXPECT_NE(VerifySourceAndCncProgram(settings, fs, kSourcePath, kTargetPath, {})
                .problem.find("nicht ge\xF6"
                              "ffnet"),
            std::string::npos);
}

TEST(VerificationTest, TheDesktopsChoiceIsRememberedBesideTheSettingsAndOffByDefault) {
  const std::string path = CheckChoiceFilePath("C:\\cnc\\morvatex.set");
  EXPECT_EQ(path, "C:\\cnc\\morvatex.set.pruefung");
  EXPECT_EQ(CheckChoiceFilePath(""), "");
  struct Case {
    const char* contents;  // nullptr: no file
    std::optional<ControlModel> model;
  };
  const Case cases[] = {{nullptr, std::nullopt},
                        {"rs274\r\n", ControlModel::kRs274},
                        {"eingestellt", ControlModel::kConfigured},
                        {"RS274\r\n", std::nullopt},
                        {"", std::nullopt}};
  for (const Case& c : cases) {
    FakeFileSystem fs;
    if (c.contents) fs.files[path] = c.contents;
    EXPECT_EQ(LoadCheckChoice(fs, path), c.model) << (c.contents ? c.contents : "no file");
  }
  FakeFileSystem fs;
  ASSERT_TRUE(SaveCheckChoice(fs, path, ControlModel::kConfigured));
  EXPECT_EQ(fs.files[path], "eingestellt\r\n");
  ASSERT_TRUE(SaveCheckChoice(fs, path, std::nullopt));
  EXPECT_FALSE(fs.files.count(path));
  fs.specialFiles.insert(path);  // a FIFO is never waited on
  EXPECT_EQ(LoadCheckChoice(fs, path), std::nullopt);
}

}  // namespace
}  // namespace morvatex::testing
