// The programs of today's CAM posts (tests/corpus/isel), converted in both
// Isel dialects under the setups a workshop uses: the report and the CNC
// program are compared with golden files, which were read back by LinuxCNC's
// rs274 when they were made. MORVATEX_UPDATE_GOLDEN=1 writes them anew.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/ConversionRun.h"
#include "engine/IselInterpreter.h"
#include "settings/Presets.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

std::string ReadAll(const std::filesystem::path& path) { return testing::ReadFileBytes(path.string()); }

struct CorpusSetup {
  const char* name;
  Preset preset;
  bool radius;
};

SettingsRecord SettingsOf(const CorpusSetup& setup) {
  SettingsRecord settings = testing::PresetSettings(setup.preset);
  settings.DXFDateinerzeugen = false;
  if (setup.preset == Preset::kMach3) {
    settings.Profil.RWerte = setup.radius;
    settings.Profil.IJWerte = !setup.radius;
    settings.Profil.KWerte = false;  // a K beside an XY arc is refused by RS274 controls
    settings.Profil.IJKRelativ = true;
  }
  return settings;
}

TEST(IselCorpus, EachProgramConvertsAsItsGoldenFileSaysInBothDialects) {
  const std::filesystem::path corpus = MORVATEX_ISEL_CORPUS_DIR;
  const bool update = std::getenv("MORVATEX_UPDATE_GOLDEN") != nullptr;
  const CorpusSetup setups[] = {
      {"mach3-ij", Preset::kMach3, false}, {"mach3-r", Preset::kMach3, true}, {"xilog", Preset::kXilog, false}};
  int programs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".ncp") continue;
    ++programs;
    const std::string program = ReadAll(entry.path());
    for (const IselDialect dialect : {IselDialect::kOriginal, IselDialect::kExtended}) {
      for (const CorpusSetup& setup : setups) {
        // The original dialect writes what it always wrote: one setup shows it.
        if (dialect == IselDialect::kOriginal && setup.preset != Preset::kMach3) continue;
        if (dialect == IselDialect::kOriginal && setup.radius) continue;
        const std::string name = entry.path().stem().string() +
                                 (dialect == IselDialect::kOriginal ? ".original." : ".erweitert.") + setup.name;
        SCOPED_TRACE(name);
        testing::FakeFileSystem fs;
        ConversionOptions options;
        options.dialect = dialect;
        const testing::ConversionResult result = testing::Convert(SettingsOf(setup), program, fs, options);
        const std::string shown = result.report + "----\r\n" + result.cnc;
        const std::filesystem::path golden = corpus / "golden" / (name + ".txt");
        if (update) {
          std::ofstream(golden, std::ios::binary) << shown;
          continue;
        }
        EXPECT_EQ(shown, ReadAll(golden));
      }
    }
  }
  EXPECT_GE(programs, 8);
}

}  // namespace
}  // namespace morvatex

namespace morvatex {
namespace {

// Each step of a line in a short form: the command class, and for a move
// its G code, plane, frame, unknown and newly known axes and its points.
std::string Steps(const std::vector<std::string_view>& lines, Outcome& code) {
  const SettingsRecord settings = testing::NewConfigurationSettings();
  MachineState state;
  StartPass(state);
  std::string text, shown;
  const auto number = [](long double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", static_cast<double>(v));
    return std::string(buffer);
  };
  for (std::string_view line : lines) {
    InterpretExtendedLine(line, Pass::kWriting, settings.Profil, state, text, code, [&](InterpretedLine& step) {
      shown += "c" + std::to_string(static_cast<int>(step.commandClass));
      step.moves.ForEach([&](const Move& m) {
        shown += " G" + std::to_string(GNumber(m.kind)) + " p" + std::to_string(static_cast<int>(m.plane)) + " f" +
                 std::to_string(static_cast<int>(m.frame)) + " u" + std::to_string(m.unknownAxes) + " n" +
                 std::to_string(m.newlyKnownAxes) + " " + number(m.end.x) + "," + number(m.end.y) + "," +
                 number(m.end.z);
      });
      if (step.feedRead) shown += " F" + number(state.feed);
      if (step.dwellSeconds >= 0) shown += " P" + number(step.dwellSeconds);
      if (!step.notCarried.empty()) shown += " [" + step.notCarried + "]";
      shown += "|";
      EndOfLine(state);
    });
  }
  return shown;
}

TEST(ExtendedDialect, LinesBecomeTheStepsThePostsMean) {
  struct Case {
    std::vector<std::string_view> lines;
    std::string steps;
  };
  const Case cases[] = {
      // A full turn of a helix: three pieces of 120°, a third of the depth each.
      {{"FASTABS X10000", "CCWHLXABS I0 J0 W360 Z-3000"},
       "c1 G0 p17 f54 u0 n0 10.000,0.000,0.000|c1 G3 p17 f54 u0 n0 -5.000,8.660,-1.000 G3 p17 f54 u0 n0 "
       "-5.000,-8.660,-2.000 G3 p17 f54 u0 n0 10.000,0.000,-3.000|"},
      // In PLANE XZ Isel's clockwise is RS274's counter-clockwise.
      {{"  PLANE XZ", "\tFASTABS X10000", "CWABS I0 K0 X-10000"},
       "c7|c1 G0 p18 f54 u0 n0 10.000,0.000,0.000|c1 G3 p18 f54 u0 n0 -10.000,0.000,0.000|"},
      // A helix in XZ: the same turn of sense, Y the depth along the way.
      {{"PLANE XZ", "FASTABS X10000", "CWHLXABS I0 K0 W360 Y-3000"},
       "c7|c1 G0 p18 f54 u0 n0 10.000,0.000,0.000|c1 G3 p18 f54 u0 n0 -5.000,-1.000,-8.660 G3 p18 f54 u0 n0 "
       "-5.000,-2.000,8.660 G3 p18 f54 u0 n0 10.000,-3.000,0.000|"},
      // The machine frame: only the axes a line gives are known there.
      {{"FASTABS X5000 Y5000 Z5000", "WPCLEAR", "FASTABS Z0", "WPZERO STANDARD", "FASTABS X1000 Y1000"},
       "c1 G0 p17 f54 u0 n0 5.000,5.000,5.000|c0|c1 G0 p17 f53 u3 n4 5.000,5.000,0.000|c0|"
       "c1 G0 p17 f54 u4 n3 1.000,1.000,0.000|"},
      // A drill cycle: up to the safety height, over the hole, down at its
      // own feed, back up, and the program's feed again.
      {{"VEL 5000", "DRILLDEF C1 P0 S2000 D1800 V1000", "DRILL X1000 Y2000"},
       "c2 F300.000|c0|c1 G0 p17 f54 u0 n0 0.000,0.000,2.000|c1 G0 p17 f54 u0 n0 1.000,2.000,2.000|c2 F60.000|"
       "c1 G1 p17 f54 u0 n0 1.000,2.000,-1.800|c1 G0 p17 f54 u0 n0 1.000,2.000,2.000|c2 F300.000|"},
      // The speed apart from RPM, and the dwell after the start.
      {{"SPINDLE CW RPM 12000 TIME2000", "WAIT 500"}, "c4|c9 P2.000|c9 P0.500|"},
      // Lines that mean nothing, and a line that is named.
      {{"IMF_PBL_V1.0", "METRIC", "(Steps per circle: 64)", "SETPORT 1", "MOVEABS X1000 Q7"},
       "c0|c0|c0|c0 [Befehl unbekannt: SETPORT]|c1 G1 p17 f54 u0 n0 1.000,0.000,0.000 [Wort Q7 wird ignoriert]|"},
  };
  for (const Case& c : cases) {
    Outcome code = Outcome::kSuccess;
    EXPECT_EQ(Steps(c.lines, code), c.steps) << c.lines.back();
    EXPECT_EQ(code, Outcome::kSuccess) << c.lines.back();
  }
}

TEST(ExtendedDialect, RefusesWhatItWouldHaveToGuess) {
  const std::pair<std::vector<std::string_view>, Outcome> cases[] = {
      {{"INCH"}, Outcome::kInchNotSupported},
      {{"MOVEABS X1000 A90000"}, Outcome::kRotaryAxisNotSupported},
      {{"DRILLDEF C2 P0 S2000 D1800 V1000"}, Outcome::kDrillCycleNotSupported},
      {{"DRILLDEF C1 P0 D1800 V1000", "DRILL X0 Y0"}, Outcome::kDrillNotDefined},
      {{"WPCLEAR", "CWABS I0 J0 X1000"}, Outcome::kArcInMachineFrame},
  };
  for (const auto& [lines, expected] : cases) {
    Outcome code = Outcome::kSuccess;
    Steps(lines, code);
    EXPECT_EQ(code, expected) << lines.back();
  }
}

}  // namespace
}  // namespace morvatex

#ifndef _WIN32

namespace morvatex {
namespace {

// LinuxCNC's own interpreter reads every Mach3 program of the extended
// dialect without an error (skipped where rs274 is not installed).
TEST(IselCorpus, LinuxCncReadsTheMach3ProgramsWithoutError) {
  if (std::system("command -v rs274 >/dev/null 2>&1") != 0) GTEST_SKIP() << "rs274 is not installed";
  const std::filesystem::path golden = std::filesystem::path(MORVATEX_ISEL_CORPUS_DIR) / "golden";
  // rs274 keeps its tool table in a file in the home folder (.tool.mmap),
  // which every rs274 at the same time would share: a home of its own.
  const testing::TempDir folder;
  const std::string scratch = folder.Sub("programm.ngc");
  const std::string tools = folder.Sub("tool.tbl");
  {
    std::ofstream table(tools);
    for (int tool = 1; tool <= 99; ++tool) table << "T" << tool << " P" << tool << " D3 Z0\n";
  }
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".erweitert.mach3") == std::string::npos) continue;
    const std::string shown = ReadAll(entry.path());
    if (!shown.starts_with("Fehlerstatus: 0")) continue;
    std::ofstream(scratch, std::ios::binary) << shown.substr(shown.find("----\r\n") + 6);
    std::string output;
    const std::string command =
        "HOME='" + folder.Path().string() + "' rs274 -g -t '" + tools + "' '" + scratch + "' 2>&1 < /dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
    EXPECT_EQ(output.find("rror"), std::string::npos) << name << "\n" << output;
    // rs274 stops at the first block it refuses, with a message but no
    // "error": the program must be read to its end.
    EXPECT_NE(output.find("PROGRAM_END"), std::string::npos) << name << "\n" << output;
    ++read;
  }
  EXPECT_GE(read, 12);
}

}  // namespace
}  // namespace morvatex
#endif
