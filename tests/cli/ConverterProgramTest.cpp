// Runs the built morvatex-convert program as a user would.
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <regex>
#include <thread>

#include <gtest/gtest.h>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsFile.h"
#include "tests/engine/DxfReading.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/ProgramGenerator.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/RecordingMessageSink.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowsChild.h"

namespace morvatex {
namespace {

using testing::NativePath;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

using Outcome = testing::ProgramOutcome;
#ifndef _WIN32
using testing::Quoted;
#endif
using testing::Printed;

class ConverterProgramTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string settingsPath = dir.Sub("morvatex.set");

  void SaveSettings(bool cnc, bool dxf) {
    SettingsRecord settings = testing::NewConfigurationSettings();
    settings.CNCDINCodeerstellen = cnc;
    settings.DXFDateinerzeugen = dxf;
    RealFileSystem fs;
    testing::RecordingMessageSink sink;
    ASSERT_TRUE(SaveSettingsFile(settings, settingsPath, fs, sink));
  }

  Outcome Run(const std::vector<std::string>& arguments) { return RunProgram(MORVATEX_CONVERT_PROGRAM, arguments); }

  // A hanging converter fails the test after a minute instead of stalling it.
  Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    return testing::RunProgramToItsEnd(program, arguments, dir.Sub("out.txt"), dir.Sub("err.txt"));
  }

  // Starts the program with `arguments`, interrupts it with Ctrl-C once
  // `appears` exists (the writing pass is about to begin), and returns its
  // exit status and standard output.
  // True while a new output for `target` is being written beside it.
  bool StagedBeside(const std::string& target) const {
    const std::string prefix = NativePath(target).filename().string() + ".~";
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(target).parent_path())) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

  // Starts the converter and interrupts it once the output for `target` is
  // being written.
  Outcome RunAndInterrupt(const std::vector<std::string>& arguments, const std::string& target) {
    const std::string outPath = dir.Sub("out.txt");
#ifdef _WIN32
    Outcome outcome;
    {
      testing::ChildOptions options{outPath, ""};
      options.ownConsole = true;
      testing::WindowsChild child(MORVATEX_CONVERT_PROGRAM, arguments, options);
      for (int i = 0; i < 20000 && !StagedBeside(target); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      EXPECT_TRUE(child.SendCtrlC());
      outcome.status = child.Wait(60);
    }
    outcome.out = Printed(outPath);
    return outcome;
#else
    std::vector<const char*> argv{"morvatex-convert"};
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
      freopen(outPath.c_str(), "w", stdout);
      execv(MORVATEX_CONVERT_PROGRAM, const_cast<char* const*>(argv.data()));
      _exit(127);
    }
    for (int i = 0; i < 20000 && !StagedBeside(target); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGINT);
    int raw = 0;
    waitpid(pid, &raw, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = Printed(outPath);
    return outcome;
#endif
  }

  // A copy of the converter at `path` (without its extension, which it
  // gets as the built one has it).
  static std::string CopyOfTheConverter(const std::string& path) {
    const std::string copy = path + std::filesystem::path(MORVATEX_CONVERT_PROGRAM).extension().string();
    std::filesystem::copy_file(MORVATEX_CONVERT_PROGRAM, NativePath(copy));
    return copy;
  }

  // Something other than a regular file or a folder, which makes a reader
  // wait: a new FIFO named `name` on POSIX, a named pipe on Windows (which
  // has no FIFOs).
  std::string SpecialFile(const std::string& name) {
#ifdef _WIN32
    static_cast<void>(name);
    return pipes_.emplace_back().path();
#else
    const std::string fifo = dir.Sub(name);
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    return fifo;
#endif
  }

#ifdef _WIN32
  std::list<testing::WaitingPipe> pipes_;
#endif

  static std::string Example(const std::string& name) {
    const char* folder = std::getenv("MORVATEX_EXAMPLES");
    return std::string(folder ? folder : "examples") + "/" + name;
  }
};

TEST_F(ConverterProgramTest, ConvertsTheExamplesWithoutTouchingTheSettingsFile) {
  SaveSettings(true, true);
  const std::string settingsBefore = ReadFileBytes(settingsPath);
  for (const char* name : {"rechtecktasche", "kreis", "platte-werkzeugwechsel"}) {
    const std::string target = dir.Sub(std::string("ausgabe/") + name + ".cnc");
    const Outcome r = Run({"--settings", settingsPath, Example(std::string(name) + ".ncp"), target});
    EXPECT_EQ(r.status, 0) << name << r.out << r.err;
    EXPECT_EQ(r.out, "Fehlerstatus: 0\n Quelldatei: " + Example(std::string(name) + ".ncp") + "\n Zieldatei:  " +
                         target + "\n DXFdatei:  " + target + ".dxf\n Datei wurde fehlerfrei konvertiert!\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(std::filesystem::exists(target));
    const testing::ReadDrawing drawing = testing::ReadWithDxflib(ReadFileBytes(target + ".dxf"));
    EXPECT_TRUE(drawing.ok) << name;
    EXPECT_FALSE(drawing.polylines.empty()) << name;
  }
  EXPECT_EQ(ReadFileBytes(settingsPath), settingsBefore);
}

TEST_F(ConverterProgramTest, WarnsOnStandardErrorAboutANewConfigurationAndCreatesNoSettingsFile) {
  // Without --settings the file beside the program counts, as in the desktop
  // program; a copy of the converter has its own.
  const std::string program = CopyOfTheConverter(dir.Sub("morvatex-convert"));
  const Outcome r = RunProgram(program, {Example("kreis.ncp"), dir.Sub("kreis.cnc")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            " W A R N U N G \n W A R N U N G \nEs wurde eine neue Konfiguration angelegt !\n"
            "Bitte unbedingt \u00FCberpr\u00FCfen !\n(Einstellungen -> CNC-DIN-Code -> Einstellungen)\n");
  EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ConverterProgramTest, ReportsAFailedRunWithStatusOne) {
  SaveSettings(true, false);
  const Outcome r = Run({"--settings", settingsPath, dir.Sub("fehlt.ncp"), dir.Sub("x.cnc")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Fehlerstatus: 50\n Quelldatei: " + dir.Sub("fehlt.ncp") + "\n Zieldatei:  " + dir.Sub("x.cnc") +
                       "\n Fehler beim Lesen der Quelldatei!\n()\n");
}

// A wrong call says what was wrong in one line and where the help is, so
// that the reason stays on the screen.
TEST_F(ConverterProgramTest, ExplainsAWrongCall) {
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"nur-eine-datei.ncp"}, "morvatex-convert: SOURCE and TARGET expected\nAufruf: morvatex-convert --help\n"},
      {{"--verbose", "a", "b"}, "morvatex-convert: unknown option --verbose\nAufruf: morvatex-convert --help\n"},
      {{"--show-settings"}, "morvatex-convert: --show-settings needs a value\nAufruf: morvatex-convert --help\n"},
      {{"--isel", "Erweitert", "a", "b"},
       "morvatex-convert: --isel needs original or erweitert, not Erweitert\nAufruf: morvatex-convert --help\n"},
      {{"a", "b", "--isel"}, "morvatex-convert: --isel needs original or erweitert\nAufruf: morvatex-convert --help\n"},
  };
  for (const auto& c : cases) {
    const Outcome r = Run(c.arguments);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  Outcome r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: morvatex-convert", 0), 0u);
  // The usage lines name every option the help explains.
  const std::string usage = r.out.substr(0, r.out.find("\nConverts"));
  const std::regex option("\n  (--[a-z-]+)");
  for (auto m = std::sregex_iterator(r.out.begin(), r.out.end(), option); m != std::sregex_iterator(); ++m)
    EXPECT_NE(usage.find((*m)[1].str()), std::string::npos) << (*m)[1].str();
  r = Run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "morvatex-convert 01.23\n");
}

TEST_F(ConverterProgramTest, VerifyAddsACheckSectionAndExitsWithFourOnADivergence) {
  SaveSettings(true, false);  // the new configuration writes X:10.0000
  const std::string target = dir.Sub("kreis.cnc");
  Outcome r = Run({"--settings", settingsPath, "--verify", "rs274", Example("kreis.ncp"), target});
  EXPECT_EQ(r.status, 4) << r.out << r.err;
  EXPECT_NE(r.out.find("Datei wurde fehlerfrei konvertiert!\nPr\u00FCfung (RS274/NGC): "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("liest RS274/NGC nicht"), std::string::npos) << r.out;

  r = Run({"--settings", settingsPath, "--verify", "eingestellt", "--against", Example("kreis.ncp"), target});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.rfind("Pr\u00FCfung (eingestellt): keine Abweichung, ", 0), 0u) << r.out;
  EXPECT_FALSE(ReadFileBytes(target).empty());
}

// The Isel language comes from --isel, else from the file beside the
// settings, else it is the original one; a run that left a line behind
// exits with 5, and a row or watched file of it gets E and keeps its outputs.
TEST_F(ConverterProgramTest, ReadsTheIselLanguageChosenAndExitsWithFiveForLinesNotCarriedOver) {
  SaveSettings(true, true);
  enum class Command { kConvert, kList, kWatch };
  struct Case {
    const char* name;
    const char* sideFile;  // beside the settings file; null: none
    std::vector<std::string> options;
    const char* line2;  // the program's second line
    Command command;
    int status;
    bool whole;  // carried over whole (else the report names line 2)
  };
  const std::vector<Case> cases = {
      {"the original language by default", nullptr, {}, "METRIC", Command::kConvert, 5, false},
      {"the file beside the settings", "erweitert\r\n", {}, "METRIC", Command::kConvert, 0, true},
      {"the option before the file", "erweitert\r\n", {"--isel", "original"}, "METRIC", Command::kConvert, 5, false},
      {"the option alone", nullptr, {"--isel=erweitert"}, "METRIC", Command::kConvert, 0, true},
      {"a file naming no language", "Erweitert\r\n", {}, "METRIC", Command::kConvert, 5, false},
      {"unknown in either language", nullptr, {"--isel", "erweitert"}, "SETPORT 1", Command::kConvert, 5, false},
      {"a check counts the line as a divergence",
       nullptr,
       {"--verify", "eingestellt"},
       "METRIC",
       Command::kConvert,
       4,
       false},
      {"a check of a program carried over whole",
       nullptr,
       {"--verify", "eingestellt", "--isel", "erweitert"},
       "METRIC",
       Command::kConvert,
       0,
       true},
      {"a job list, the file beside the settings", "erweitert\r\n", {}, "SETPORT 1", Command::kList, 5, false},
      {"a job list carried over whole", "original\r\n", {"--isel", "erweitert"}, "METRIC", Command::kList, 0, true},
      {"a watched folder", nullptr, {}, "METRIC", Command::kWatch, 5, false},
      {"a watched folder carried over whole", nullptr, {"--isel", "erweitert"}, "METRIC", Command::kWatch, 0, true},
  };
  const std::string sideFile = settingsPath + ".sprache";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir.Sub("lauf"));
    std::filesystem::create_directories(dir.Sub("lauf/ein"));
    std::filesystem::remove(sideFile);
    if (c.sideFile) WriteFileBytes(sideFile, c.sideFile);
    const std::string source = dir.Sub("lauf/ein/teil.ncp");
    const std::string target = dir.Sub("lauf/ein/teil.cnc");
    WriteFileBytes(source, testing::CrLfLines(
                               {"VEL 1000", c.line2, "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"}));
    const std::string list = dir.Sub("lauf/jobs.mvx");
    std::vector<std::string> arguments = {"--settings", settingsPath};
    switch (c.command) {
      case Command::kConvert: arguments.insert(arguments.end(), {source, target}); break;
      case Command::kList:
        WriteFileBytes(list, "[1]\r\nM\r\n" + source + "\r\n" + target + "\r\n[E]\r\n\r\n");
        arguments.insert(arguments.end(), {"--list", list});
        break;
      case Command::kWatch:
        arguments.insert(arguments.end(), {"--watch", dir.Sub("lauf/ein"), "--once", "--settle", "0", "--archive",
                                           dir.Sub("lauf/archiv")});
        break;
    }
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const Outcome r = Run(arguments);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    const std::string notCarried =
        " Datei wurde konvertiert, aber nicht vollst\u00E4ndig umgesetzt!\n"
        "Nicht umgesetzt: 1 Zeilen\n  Isel-Zeile 2: " +
        std::string(c.line2) + "\n";
    if (c.whole) {
      EXPECT_NE(r.out.find(" Datei wurde fehlerfrei konvertiert!\n"), std::string::npos) << r.out;
      EXPECT_EQ(r.out.find("Nicht umgesetzt"), std::string::npos) << r.out;
    } else {
      EXPECT_NE(r.out.find(notCarried), std::string::npos) << r.out;
    }
    // Written either way; a watched file left behind is not archived.
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_TRUE(std::filesystem::exists(target + ".dxf"));
    if (c.command == Command::kList) {
      EXPECT_EQ(ReadFileBytes(list).substr(0, 7), c.whole ? "[1]\r\nA\r" : "[1]\r\nME");
    }
    if (c.command == Command::kWatch) {
      EXPECT_EQ(std::filesystem::exists(source), !c.whole);
    }
    // The choice is read, never written.
    EXPECT_EQ(std::filesystem::exists(sideFile), c.sideFile != nullptr);
  }
}

TEST_F(ConverterProgramTest, AgainstRefusesWhatIsNoCncProgramWithStatusTwo) {
  SaveSettings(true, false);
  struct Case {
    const char* name;
    std::string cnc;  // the file's bytes; empty name a special file
    const char* message;
  };
  std::string longLine(100u << 20, 'X');
  const Case cases[] = {
      {"leer.cnc", "", "Die CNC-Datei ist leer"},
      {"binaer.cnc",
       std::string("\x7F"
                   "ELF\0\1\2\r\n",
                   9),
       "enth\u00E4lt Bin\u00E4rdaten"},
      {"lang.cnc", longLine, "ist zu lang"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(dir.Sub(c.name), c.cnc);
    const Outcome r =
        Run({"--settings", settingsPath, "--verify", "rs274", "--against", Example("kreis.ncp"), dir.Sub(c.name)});
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << ": " << r.out;
  }
  Outcome r =
      Run({"--settings", settingsPath, "--verify", "rs274", "--against", Example("kreis.ncp"), dir.Sub("fehlt.cnc")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("nicht ge\u00F6"
                       "ffnet"),
            std::string::npos)
      << r.out;
  r = Run({"--settings", settingsPath, "--verify", "rs274", "--against", Example("kreis.ncp"), SpecialFile("fifo")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("keine gew\u00F6hnliche Datei"), std::string::npos) << r.out;
  r = Run({"--verify", "mach3", "--against", Example("kreis.ncp"), dir.Sub("x.cnc")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--verify needs the model rs274 or eingestellt"), std::string::npos) << r.err;
}

TEST_F(ConverterProgramTest, ShowsUmlautsInPathsAsUtf8) {
  SaveSettings(true, false);
  const std::string source = dir.Sub("Gr\u00F6\u00DFe.ncp");
  std::filesystem::copy_file(Example("kreis.ncp"), NativePath(source));
  const std::string settings = dir.Sub("Ma\u00DFe.set");
  std::filesystem::copy_file(NativePath(settingsPath), NativePath(settings));
  const Outcome r = Run({"--settings", settings, source, dir.Sub("\u00C4nderung/Gr\u00F6\u00DFe.cnc")});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find(" Quelldatei: " + source + "\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / u8"\u00C4nderung" / u8"Gr\u00F6\u00DFe.cnc"));
}

TEST_F(ConverterProgramTest, RefusesPathsOutsideWindows1252) {
  SaveSettings(true, false);
  const Outcome r = Run({"--settings", settingsPath, Example("kreis.ncp"), dir.Sub("\u0141\u00F3d\u017A.cnc")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Windows-1252"), std::string::npos);
}

// An output never replaces its source. What the report cannot say (the
// target is the source, a folder or file that cannot be made) goes to
// standard error, one line per failed conversion with the system's reason; a
// row of a list or a watch names its source first, also when rows are
// converted side by side. Standard output and the status stay the reports'.
TEST_F(ConverterProgramTest, NeverOverwritesTheSourceAndSaysWhyAnOutputCouldNotBeMade) {
  SaveSettings(true, false);
  const std::string source = dir.Sub("teil.ncp");
  const std::string other = dir.Sub("b.ncp");
  const std::string watched = dir.Sub("ein/teil.ncp");
  std::filesystem::create_directories(dir.Sub("ein/teil.cnc"));  // a folder where the target would go
  for (const std::string& path : {source, other, watched}) std::filesystem::copy_file(Example("kreis.ncp"), path);
  const std::string before = ReadFileBytes(source);
  WriteFileBytes(dir.Sub("datei"), "x");  // a file where a folder would have to be made
  const std::string list = dir.Sub("jobs.mvx");
  WriteFileBytes(list, "[1]\r\nM\r\n" + source + "\r\n" + dir.Sub("./teil.ncp") + "\r\n[2]\r\nM\r\n" + other + "\r\n" +
                           dir.Sub("datei/b.cnc") + "\r\n[E]\r\n\r\n");
  struct Line {
    std::string start;
    bool systemReason;  // the system's message follows
  };
  const std::string isSource = "the output would replace the source: " + dir.Sub("./teil.ncp");
  const std::string noFolder = "cannot create " + dir.Sub("datei/") + ": ";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string report;
    std::vector<Line> lines;
  } cases[] = {
      {"the target is the source", {source, dir.Sub("./teil.ncp")}, "Fehlerstatus: 80\n", {{isSource, false}}},
      {"a folder that cannot be made", {source, dir.Sub("datei/teil.cnc")}, "Fehlerstatus: 70\n", {{noFolder, true}}},
      {"two rows of a list side by side",
       {"--list", list, "--jobs", "2"},
       "Zeile:   1:Fehlerstatus: 80\n",
       {{source + ": " + isSource, false}, {other + ": " + noFolder, true}}},
      {"a watched file whose target is a folder",
       {"--watch", dir.Sub("ein"), "--once", "--settle", "0"},
       "Fehlerstatus: 80\n",
       {{watched + ": cannot create " + dir.Sub("ein/teil.cnc") + ": ", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> arguments = {"--settings", settingsPath};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Outcome r = Run(arguments);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, c.report.size()), c.report) << r.out;
    EXPECT_EQ(r.out.find("morvatex-convert"), std::string::npos) << r.out;
    std::vector<std::string> printed;
    for (std::size_t at = 0, end; (end = r.err.find('\n', at)) != std::string::npos; at = end + 1)
      printed.push_back(r.err.substr(at, end - at));
    ASSERT_EQ(printed.size(), c.lines.size()) << r.err;
    for (std::size_t i = 0; i < printed.size(); ++i) {
      const std::string start = "morvatex-convert: " + c.lines[i].start;
      EXPECT_EQ(printed[i].substr(0, start.size()), start);
      EXPECT_EQ(printed[i].size() > start.size(), c.lines[i].systemReason) << printed[i];
    }
    EXPECT_EQ(ReadFileBytes(source), before);
  }
}

TEST_F(ConverterProgramTest, CtrlCStopsTheRunAndRemovesTheDrawing) {
  SaveSettings(true, true);
  const std::string source = dir.Sub("lang.ncp");
  WriteFileBytes(source, bench::GenerateIselProgram(3'000'000));
  const std::string target = dir.Sub("lang.cnc");
  const Outcome r = RunAndInterrupt({"--settings", settingsPath, source, target}, target);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 17), "Fehlerstatus: 11\n") << r.out;
  EXPECT_NE(r.out.find(" Konvertierung durch Benutzer abgebrochen! \n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(target + ".dxf"));
  EXPECT_FALSE(std::filesystem::exists(target)) << "no program without its end at the target";
  EXPECT_FALSE(StagedBeside(target)) << "nor beside it";
}

}  // namespace
}  // namespace morvatex

namespace morvatex {
namespace {

// The record in a settings file with the bytes behind each text's length
// cleared: they carry no meaning.
std::string Meaningful(const std::string& file) {
  std::string bytes = file;
  for (const Field& field : SettingsFields()) {
    if (field.kind != FieldKind::kText) continue;
    const std::size_t length = static_cast<unsigned char>(bytes.at(field.offset));
    for (std::size_t i = field.offset + 1 + length; i < field.offset + 1 + field.capacity; ++i) bytes[i] = 0;
  }
  return bytes;
}

TEST_F(ConverterProgramTest, WrittenSettingsShowAndSetBackToTheSameRecord) {
  const struct {
    const char* preset;
    const char* extension;  // as --show-settings prints it
  } cases[] = {{nullptr, "cnc"}, {"allgemein", "cnc"}, {"loesche", ""}, {"mach3", "tap"}, {"xilog", "xxl"}};
  for (const auto& c : cases) {
    const std::string first = dir.Sub("erst.set");
    const std::string second = dir.Sub("zweit.set");
    std::vector<std::string> write = {"--write-settings",
                                      first,
                                      "--set",
                                      "Vorspann4=Gr\u00F6\u00DFe " + std::string(90, 'x'),
                                      "--set",
                                      "Werkzeuge[3]=-1",
                                      "--set=ZGrenze=0.1"};
    if (c.preset) write.insert(write.end(), {"--preset", c.preset});
    Outcome r = Run(write);
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({"--show-settings", first});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nDateinamenerweiterung=" + std::string(c.extension) + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nWerkzeuge[3]=65535\nWerkzeuge[4]="), std::string::npos);
    EXPECT_NE(r.out.find("\nVorspann4=Gr\u00F6\u00DFe xxxx"), std::string::npos);
    EXPECT_NE(r.out.find("\nZGrenze=0.1\n"), std::string::npos);

    std::vector<std::string> setBack = {"--write-settings", second};
    std::size_t lines = 0;
    for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1, ++lines)
      setBack.insert(setBack.end(), {"--set", r.out.substr(at, end - at)});
    EXPECT_EQ(lines, 209u);
    const Outcome back = Run(setBack);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(Meaningful(ReadFileBytes(second)), Meaningful(ReadFileBytes(first))) << (c.preset ? c.preset : "-");
  }
}

// The names of --set and --show-settings are the settings file's field
// names: every preset shows exactly as these files hold it.
TEST_F(ConverterProgramTest, ShowsEveryPresetWithItsFieldNamesAndValuesUnchanged) {
  for (const char* preset : {"neu", "allgemein", "loesche", "mach3", "xilog"}) {
    const std::string file = dir.Sub(std::string(preset) + ".set");
    std::vector<std::string> write = {"--write-settings", file};
    if (std::string(preset) != "neu") write.insert(write.end(), {"--preset", preset});
    ASSERT_EQ(Run(write).status, 0) << preset;
    const Outcome shown = Run({"--show-settings", file});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, ReadFileBytes(std::string(MORVATEX_SETTINGS_GOLDEN_DIR "/show-settings-") + preset + ".txt"))
        << preset;
  }
}

// Whatever --show-settings prints, --set reads back to the same bytes: texts
// with control characters and backslashes (Windows paths stay as typed),
// not-a-number and infinities,
// numbers written with blanks. A version the programs do not read is refused.
TEST_F(ConverterProgramTest, EveryShownValueSetsBackExactlyAndAWrongVersionIsRefused) {
  const struct {
    std::string set;    // NAME=VALUE
    std::string shown;  // the line --show-settings prints; for a refused value, part of the message
    int status;
  } cases[] = {
      {"Vorspann1=a\nb", R"(Vorspann1=a\x0Ab)", 0},
      {R"(Nachspann1=\x00\x09\x0d\x7f\x81\x1B[31m\x)", R"(Nachspann1=\x00\x09\x0D\x7F\x81\x1B[31m\x)", 0},
      // A backslash before an escape is one itself; all others stand as typed.
      {R"(Nachspann2=\x5Cx0A\x0A)", R"(Nachspann2=\x5Cx0A\x0A)", 0},
      {R"(Quelle=\\srv\temp\new\x64\x41\)", R"(Quelle=\\srv\temp\new\x64\x41\)", 0},
      {"Vorspann5= a ", "Vorspann5= a ", 0},
      {"FaktorSonderS=nan", "FaktorSonderS=nan", 0},
      {"FaktorSonderS=-NaN", "FaktorSonderS=-nan", 0},
      {"FaktorSonderF=nan(0x1F)", "FaktorSonderF=nan(0x1f)", 0},
      {"ZGrenze= -inf ", "ZGrenze=-inf", 0},
      {"ZGrenze= 2.5 ", "ZGrenze=2.5", 0},
      {"Werkzeuge[7]=$1F  ", "Werkzeuge[7]=31", 0},
      {"Version=4", "Version=4", 0},
      {"Version=5", "invalid value for Version: 5", 2},
      {"ProfilVersion=0", "invalid value for ProfilVersion: 0", 2},
      {"FaktorSonderS=nan(0x0)", "invalid value for FaktorSonderS", 2},
      {"ZGrenze=5 x", "invalid value for ZGrenze", 2},
  };
  for (const auto& c : cases) {
    const std::string first = dir.Sub("erst.set");
    const std::string second = dir.Sub("zweit.set");
    std::filesystem::remove(first);
    Outcome r = Run({"--write-settings", first, "--set", c.set});
    ASSERT_EQ(r.status, c.status) << c.set << ": " << r.err;
    if (c.status != 0) {
      EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
      EXPECT_FALSE(std::filesystem::exists(first)) << c.set;
      continue;
    }
    r = Run({"--show-settings", first});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(("\n" + r.out).find("\n" + c.shown + "\n"), std::string::npos) << c.set << "\n" << r.out;
    std::vector<std::string> setBack = {"--write-settings", second};
    for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
      setBack.insert(setBack.end(), {"--set", r.out.substr(at, end - at)});
    EXPECT_EQ(setBack.size(), 2 + 2 * 209u) << c.set;
    const Outcome back = Run(setBack);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(Meaningful(ReadFileBytes(second)), Meaningful(ReadFileBytes(first))) << c.set;
  }
}

// A damaged or foreign file may hold values the dialog does not offer; the
// programs load it all the same, so --show-settings prints them and --set
// writes them back to the same bytes, warning how the programs take them.
TEST_F(ConverterProgramTest, ValuesTheDialogDoesNotOfferShowAndSetBackWithAWarning) {
  const std::string base = dir.Sub("basis.set");
  ASSERT_EQ(Run({"--write-settings", base}).status, 0);
  const struct {
    std::size_t offset;  // in the record
    std::int32_t value;
    const char* shown;
    const char* treatment;
  } cases[] = {
      {236, 9, "Nachkommastellen=9", "without decimals, as for 0"},
      {236, -1, "Nachkommastellen=-1", "without decimals, as for 0"},
      {224, 2, "Sonderbehandlung=2", "plain DIN layout, as for 0"},
      {1684, 7, "ModalExtra=7", "no extra modal rule"},
      {1688, 100, "NachkommastellenS=100", "without decimals"},
      {1692, INT32_MIN, "NachkommastellenF=-2147483648", "without decimals"},
      {240, -5, "ErsterSatz=-5", "below zero"},
      {244, -2, "SatznummernIncrement=-2", "count the block numbers down"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    std::string record = ReadFileBytes(base);
    std::memcpy(record.data() + c.offset, &c.value, sizeof c.value);
    const std::string first = dir.Sub("fremd.set"), second = dir.Sub("zurueck.set");
    WriteFileBytes(first, record);
    const Outcome shown = Run({"--show-settings", first});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find(std::string("\n") + c.shown + "\n"), std::string::npos);
    std::vector<std::string> setBack = {"--write-settings", second};
    for (std::size_t at = 0, end; (end = shown.out.find('\n', at)) != std::string::npos; at = end + 1)
      setBack.insert(setBack.end(), {"--set", shown.out.substr(at, end - at)});
    const Outcome back = Run(setBack);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.err.rfind("morvatex-convert: warning: " + std::string(c.shown) +
                                 " lies outside what the settings dialog offers (",
                             0),
              0u)
        << back.err;
    EXPECT_NE(back.err.find(c.treatment), std::string::npos) << back.err;
    EXPECT_EQ(std::count(back.err.begin(), back.err.end(), '\n'), 1) << back.err;
    EXPECT_EQ(Meaningful(ReadFileBytes(second)), Meaningful(record));
  }
}

TEST_F(ConverterProgramTest, AWrongSettingWritesNothingAndNamesIt) {
  const std::string file = dir.Sub("neu.set");
  const struct {
    std::vector<std::string> arguments;
    const char* named;
  } cases[] = {
      {{"--set", "Unbekannt=1"}, "unknown setting Unbekannt"},
      {{"--set", "Werkzeuge[100]=1"}, "unknown setting Werkzeuge[100]"},
      {{"--set", "Nachkommastellen=2147483648"}, "invalid value for Nachkommastellen: 2147483648"},
      {{"--set", "ZGrenze=1,5"}, "invalid value for ZGrenze: 1,5"},
      {{"--preset", "fanuc"}, "unknown preset fanuc"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"--write-settings", file, "--set", "ErsterSatz=5"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Outcome r = Run(arguments);
    EXPECT_EQ(r.status, 2) << c.named;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file)) << c.named;
  }
  const Outcome missing = Run({"--show-settings", dir.Sub("fehlt.set")});
  EXPECT_EQ(missing.status, 1);
}

// The job list a.ncp (marked), b.ncp (marked), c.ncp (not marked).
std::string ThreeJobs(const TempDir& dir, const std::string& marks1, const std::string& marks2) {
  std::string list;
  for (const auto& [name, marks] : {std::pair<std::string, std::string>{"a", marks1}, {"b", marks2}, {"c", ""}}) {
    list += "[" + std::string(1, static_cast<char>(name[0] - 'a' + '1')) + "]\r\n" + marks + "\r\n" +
            dir.Sub(name + ".ncp") + "\r\n" + dir.Sub(name + ".cnc") + "\r\n";
  }
  return list + "[E]\r\n\r\n";
}

TEST_F(ConverterProgramTest, RunsAJobListAsTheDesktopProgramDoesWritesTheMarksBackAndRefusesABrokenList) {
  SaveSettings(true, false);
  std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("a.ncp"));
  WriteFileBytes(dir.Sub("b.ncp"), "FASTABS X0 Y0\r\nPROGEND\r\n");
  const std::string list = dir.Sub("jobs.mvx");
  const std::string log = dir.Sub("protokoll.log");
  WriteFileBytes(list, ThreeJobs(dir, "M", "ME"));

  Outcome r = Run({"--list", list, "--settings", settingsPath, "--log", log});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(
      r.out,
      "Zeile:   1:Fehlerstatus: 0\n Quelldatei: " + dir.Sub("a.ncp") + "\n Zieldatei:  " + dir.Sub("a.cnc") +
          "\n Datei wurde fehlerfrei konvertiert!\n\nZeile:   2:Fehlerstatus: 55\n Quelldatei: " + dir.Sub("b.ncp") +
          "\n Zieldatei:  " + dir.Sub("b.cnc") + "\n Quelldatei hat weniger als 5 Zeilen!\n(PROGEND)\n\n");
  EXPECT_EQ(ReadFileBytes(list), ThreeJobs(dir, "A", "ME"));
  EXPECT_TRUE(std::filesystem::exists(dir.Sub("a.cnc")));
  EXPECT_FALSE(std::filesystem::exists(dir.Sub("c.cnc")));
  const std::string logText = ReadFileBytes(log);
  EXPECT_NE(logText.find("\r\nTabelle: " + list + "\r\nZeile:   1 / 1A\r\nFehlerstatus: 0\r\n"), std::string::npos);
  EXPECT_NE(logText.find("\r\nTabelle: " + list + "\r\nZeile:   2 / 2M\r\nFehlerstatus: 55\r\n"), std::string::npos);
  EXPECT_NE(logText.find("  ####################\r\nTabelle gespeichert unter : \r\n   " + list + "\r\n\r\n\r\n\r\n"),
            std::string::npos);

  // Mended, the failed row converts; then nothing is left to do.
  std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("b.ncp"), std::filesystem::copy_options::overwrite_existing);
  r = Run({"--list", list, "--settings", settingsPath});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFileBytes(list), ThreeJobs(dir, "A", "A"));
  r = Run({"--list", list, "--settings", settingsPath});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Es wurden keine abzuarbeitenden (markierten) Dateien gefunden !\n");

  WriteFileBytes(list, "[1]\r\nM\r\na.ncp\r\n");
  r = Run({"--settings", settingsPath, "--list", list});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Beim lesen der Datei\n\n" + list + "\n\nist ein Fehler aufgetreten (40) !\n");
}

// Files the converter reads on its own account are never waited on, and a
// log that would write into a file the run reads is refused before anything
// runs; the log names the list with its full path, however it was given.
TEST_F(ConverterProgramTest, RefusesFifosAndALogThatIsAFileOfTheRunAndLogsTheListsFullPath) {
  SaveSettings(true, false);
  std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("a.ncp"));
  std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("b.ncp"));
  const std::string list = dir.Sub("jobs.mvx");
  const std::string listText = ThreeJobs(dir, "M", "M");
  WriteFileBytes(list, listText);
  const std::string fifo = SpecialFile("fifo");
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* error;
  } cases[] = {
      {{"--list", list, "--log", list}, 2, "the log must not be"},
      {{"--list", list, "--log", settingsPath}, 2, "the log must not be"},
      {{"--list", list, "--log", dir.Sub("./b.ncp")}, 2, "the log must not be"},
      {{"--list", list, "--log", fifo}, 2, "not a regular file"},
      {{"--list", fifo}, 2, "not a regular file"},
      {{"--show-settings", fifo}, 1, "not a regular file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    if (arguments[0] == "--list") arguments.insert(arguments.end(), {"--settings", settingsPath});
    const Outcome r = Run(arguments);
    EXPECT_EQ(r.status, c.status) << arguments[3];
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(list), listText) << "nothing ran";
    EXPECT_FALSE(std::filesystem::exists(dir.Sub("a.cnc")));
  }
  if (MORVATEX_CONVERT_HAS_PREVIEW && !kWindows) {  // a FIFO where the preview remembers its rapid rate
#ifndef _WIN32
    ASSERT_EQ(mkfifo((settingsPath + ".vorschau").c_str(), 0600), 0);
#endif
    EXPECT_EQ(Run({"--preview", dir.Sub("a.png"), "--settings", settingsPath, dir.Sub("a.ncp")}).status, 0);
  }

  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Sub(""));
  const Outcome relative = Run({"--list", "jobs.mvx", "--settings", settingsPath, "--log", "run.log"});
  std::filesystem::current_path(before);
  EXPECT_EQ(relative.status, 0) << relative.err;
  EXPECT_NE(ReadFileBytes(dir.Sub("run.log")).find("\r\nTabelle: " + list + "\r\n"), std::string::npos);
}

TEST_F(ConverterProgramTest, CtrlCEndsAJobListRunAfterTheRowInProgress) {
  SaveSettings(true, false);
  WriteFileBytes(dir.Sub("a.ncp"), bench::GenerateIselProgram(1'000'000));
  std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("b.ncp"));
  const std::string list = dir.Sub("jobs.mvx");
  WriteFileBytes(list, ThreeJobs(dir, "M", "M"));
  const Outcome r = RunAndInterrupt({"--settings", settingsPath, "--list", list}, dir.Sub("a.cnc"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 28), "Zeile:   1:Fehlerstatus: 11\n") << r.out;
  EXPECT_EQ(r.out.find("Zeile:   2"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(list), ThreeJobs(dir, "ME", "M"));
}

// --- A settings file named with --settings must hold a record -------------

TEST_F(ConverterProgramTest, RefusesAnUnusableSettingsFileAndConvertsNothing) {
  const std::string folder = dir.Sub("ordner");
  std::filesystem::create_directory(folder);
  const std::string fifo = SpecialFile("fifo.set");
  WriteFileBytes(dir.Sub("kurz.set"), std::string(2743, '\0'));
  WriteFileBytes(dir.Sub("alt.set"), std::string(2744, '\0'));  // version 0
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {dir.Sub("fehlt.set"), "settings file not found: "},
      {folder, "settings file is not a regular file: "},
      {fifo, "settings file is not a regular file: "},  // and no waiting for a writer
      {dir.Sub("kurz.set"), "settings file too short (2743 bytes, a settings record has 2744): "},
      {dir.Sub("alt.set"), "settings file cannot be read or is of another version: "},
  };
  for (const auto& c : cases) {
    const std::string target = dir.Sub("teil.cnc");
    const Outcome r = Run({"--settings", c.path, Example("kreis.ncp"), target});
    EXPECT_EQ(r.status, 2) << c.path;
    EXPECT_EQ(r.out, "") << c.path;
    EXPECT_EQ(r.err, "morvatex-convert: " + c.message + c.path + "\n");
    EXPECT_FALSE(std::filesystem::exists(target)) << c.path;
  }
}

#ifndef _WIN32
// Every output of the converter lands where the path leads: a FIFO or a
// device is never replaced by a plain file (a save into one is refused), a
// link that names no file yet gets the file it names, a link loop is
// refused. The link or the FIFO stays as it was in every case.
TEST_F(ConverterProgramTest, OutputsNeverReplaceFifosOrLinksAndWriteWhereALinkLeads) {
  SaveSettings(true, false);
  const std::string fifo = SpecialFile("p.fifo");
  std::filesystem::create_symlink("ziel.out", dir.Sub("lose"));
  std::filesystem::create_symlink("schleife", dir.Sub("schleife"));
  const std::string source = Example("kreis.ncp");
  const struct {
    std::vector<std::string> arguments;  // the output is the second
    const char* output;
    int status;
    const char* said;  // in standard error, or for a conversion in its report
    bool preview;
  } cases[] = {
      {{"--write-settings", fifo}, "p.fifo", 2, "FILE cannot be written (not a regular file): ", false},
      {{"--preview", fifo, "--settings", settingsPath, source},
       "p.fifo",
       2,
       "the picture cannot be written (not a regular file): ",
       true},
      {{"--write-settings", dir.Sub("schleife")},
       "schleife",
       2,
       "FILE cannot be written (a loop of symbolic links)",
       false},
      {{"--preview", dir.Sub("schleife"), "--settings", settingsPath, source},
       "schleife",
       2,
       "the picture cannot be written (a loop of symbolic links)",
       true},
      {{"--settings", settingsPath, source, dir.Sub("schleife")}, "schleife", 1, "Fehlerstatus: 80", false},
      {{"--write-settings", dir.Sub("lose")}, "lose", 0, "", false},
      {{"--preview", dir.Sub("lose"), "--settings", settingsPath, source}, "lose", 0, "", true},
      {{"--settings", settingsPath, source, dir.Sub("lose")}, "lose", 0, "Fehlerstatus: 0", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.output);
    if (c.preview && !MORVATEX_CONVERT_HAS_PREVIEW) continue;
    std::filesystem::remove(dir.Sub("ziel.out"));
    const auto kind = std::filesystem::symlink_status(dir.Sub(c.output)).type();
    const Outcome r = Run(c.arguments);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE((r.err + r.out).find(c.said), std::string::npos) << r.err << r.out;
    EXPECT_EQ(std::filesystem::symlink_status(dir.Sub(c.output)).type(), kind) << "still what it was";
    EXPECT_EQ(std::filesystem::exists(dir.Sub("ziel.out")), c.status == 0) << "the file the link names";
  }

  // A FIFO where the settings are looked for by default is refused too, not
  // waited on.
  std::filesystem::create_directory(dir.Sub("bin"));
  const std::string program = CopyOfTheConverter(dir.Sub("bin/morvatex-convert"));
  ASSERT_EQ(mkfifo(dir.Sub("bin/morvatex.set").c_str(), 0600), 0);
  const Outcome r = RunProgram(program, {source, dir.Sub("teil.cnc")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "morvatex-convert: settings file is not a regular file: " + dir.Sub("bin/morvatex.set") + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Sub("teil.cnc")));
}
#endif

// --- Neither output replaces the settings in use -----------------------------

TEST_F(ConverterProgramTest, NeverOverwritesTheSettingsFileInUse) {
  SaveSettings(true, true);
  const std::string drawingSettings = dir.Sub("teil.cnc.dxf");  // the drawing path of teil.cnc
  std::filesystem::copy_file(settingsPath, drawingSettings);
  std::filesystem::create_directory(dir.Sub("bin"));
  // Its default settings file: bin/morvatex.set.
  const std::string program = CopyOfTheConverter(dir.Sub("bin/morvatex-convert"));
  std::filesystem::copy_file(settingsPath, dir.Sub("bin/morvatex.set"));
  const std::string settingsBytes = ReadFileBytes(settingsPath);
  const struct {
    std::string program;
    std::vector<std::string> arguments;
    std::string settings;  // the file that must stay as it is
    std::string status;
  } cases[] = {
      {MORVATEX_CONVERT_PROGRAM,
       {"--settings", settingsPath, Example("kreis.ncp"), settingsPath},
       settingsPath,
       "Fehlerstatus: 80\n"},
      {MORVATEX_CONVERT_PROGRAM,
       {"--settings", drawingSettings, Example("kreis.ncp"), dir.Sub("teil.cnc")},
       drawingSettings,
       "Fehlerstatus: 60\n"},
      {program,
       {Example("kreis.ncp"), dir.Sub("bin/./morvatex.set")},
       dir.Sub("bin/morvatex.set"),
       "Fehlerstatus: 80\n"},
  };
  for (const auto& c : cases) {
    const Outcome r = RunProgram(c.program, c.arguments);
    EXPECT_EQ(r.status, 1) << c.settings << r.err;
    EXPECT_EQ(r.out.substr(0, 17), c.status) << c.settings;
    EXPECT_EQ(ReadFileBytes(c.settings), settingsBytes) << c.settings << ": neither overwritten nor deleted";
  }
}

// --- Signals and a lost standard output --------------------------------------

#ifndef _WIN32
// Starts the converter with `arguments`; `prepare` runs in the child first
// (to set up its standard output).
pid_t Start(const std::vector<std::string>& arguments, const std::function<void()>& prepare) {
  std::vector<std::string> all = {"morvatex-convert"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    prepare();
    execv(MORVATEX_CONVERT_PROGRAM, argv.data());
    _exit(127);
  }
  return pid;
}

// The exit status, or 128 + the signal that ended the process; -1 (and the
// process killed) when it has not ended within 20 seconds.
int WaitFor(pid_t pid) {
  int raw = 0;
  for (int i = 0; i < 2000; ++i) {
    if (waitpid(pid, &raw, WNOHANG) == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &raw, 0);
  return -1;
}

// True when the converter (not the child before its exec) holds `path` open
// and, if `waits`, waits in poll for input.
bool Reached(pid_t pid, const std::string& path, bool waits) {
  std::error_code ec;
  const std::string proc = "/proc/" + std::to_string(pid);
  if (std::filesystem::read_symlink(proc + "/exe", ec) != std::filesystem::canonical(MORVATEX_CONVERT_PROGRAM)) {
    return false;
  }
  if (waits) {
    long waitingIn = -2;
    std::ifstream(proc + "/syscall") >> waitingIn;
    if (waitingIn != SYS_poll && waitingIn != SYS_ppoll) return false;
  }
  for (const auto& fd : std::filesystem::directory_iterator(proc + "/fd", ec)) {
    if (std::filesystem::read_symlink(fd.path(), ec) == path) return true;
  }
  return false;
}
#endif

TEST_F(ConverterProgramTest, StopSignalsEndTheRunWhileTheSourceIsRead) {
#ifdef _WIN32
  // Ctrl-C while the source is a pipe that nobody writes.
  SaveSettings(true, true);
  const std::string target = dir.Sub("teil.cnc");
  WriteFileBytes(target + ".dxf", "drawing of an earlier run");
  testing::WaitingPipe pipe;
  testing::ChildOptions options{dir.Sub("out.txt"), ""};
  options.ownConsole = true;
  int status = -1;
  {
    testing::WindowsChild child(MORVATEX_CONVERT_PROGRAM, {"--settings", settingsPath, pipe.path(), target}, options);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(pipe.WaitForReader());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // into the read
    EXPECT_TRUE(child.SendCtrlC());
    status = child.Wait(20);
  }
  EXPECT_EQ(status, 1);
  const std::string out = Printed(dir.Sub("out.txt"));
  EXPECT_EQ(out.substr(0, 17), "Fehlerstatus: 11\n") << out;
  EXPECT_FALSE(std::filesystem::exists(target)) << "the CNC stage is never reached";
  EXPECT_EQ(ReadFileBytes(target + ".dxf"), "drawing of an earlier run") << "a stopped run leaves it as it was";
#else
  SaveSettings(true, true);
  const std::string fifo = dir.Sub("quelle.fifo");
  const std::string target = dir.Sub("teil.cnc");
  const struct {
    int signal;
    std::string source;
    bool writer;  // a writer holds the FIFO open, having written one line
    bool waits;   // the converter waits for more input when the signal comes
  } cases[] = {
      {SIGINT, fifo, true, true},           {SIGTERM, fifo, true, true},
      {SIGHUP, fifo, true, true},           {SIGINT, fifo, false, true},  // no writer yet
      {SIGTERM, "/dev/zero", false, false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(fifo);  // a fresh FIFO for each case
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    WriteFileBytes(target + ".dxf", "drawing of an earlier run");
    const int writer = c.writer ? open(fifo.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (writer >= 0) {
      ASSERT_GT(write(writer, "N1 VEL 100\r\n", 12), 0);
    }
    const std::string outPath = dir.Sub("out.txt");
    const pid_t pid =
        Start({"--settings", settingsPath, c.source, target}, [&] { freopen(outPath.c_str(), "w", stdout); });
    for (int i = 0; i < 10000 && !Reached(pid, c.source, c.waits); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, c.signal);
    EXPECT_EQ(WaitFor(pid), 1) << c.signal << " " << c.source << " " << c.writer;
    if (writer >= 0) close(writer);
    const std::string out = ReadFileBytes(outPath);
    EXPECT_EQ(out.substr(0, 17), "Fehlerstatus: 11\n") << c.signal << " " << c.source << out;
    EXPECT_FALSE(std::filesystem::exists(target)) << "the CNC stage is never reached";
    EXPECT_EQ(ReadFileBytes(target + ".dxf"), "drawing of an earlier run") << "a stopped run leaves it as it was";
  }
#endif
}

// --preview stops as a conversion does: status 1, the report says so, and
// the picture of an earlier run stays. The source here is a FIFO that a
// writer keeps open, so the preview is still reading when the signal comes.
TEST_F(ConverterProgramTest, StopSignalsEndAPreviewAndKeepTheOldPicture) {
  if (!MORVATEX_CONVERT_HAS_PREVIEW) GTEST_SKIP() << "this build has no preview";
#ifdef _WIN32
  GTEST_SKIP() << "POSIX signals and FIFOs";
#else
  SaveSettings(true, false);
  const std::string fifo = dir.Sub("quelle.fifo");
  const std::string picture = dir.Sub("bild.png");
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    WriteFileBytes(picture, "picture of an earlier run");
    const int writer = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GT(write(writer, "N1 VEL 100\r\n", 12), 0);
    const std::string outPath = dir.Sub("out.txt");
    const pid_t pid =
        Start({"--preview", picture, "--settings", settingsPath, fifo}, [&] { freopen(outPath.c_str(), "w", stdout); });
    for (int i = 0; i < 10000 && !Reached(pid, fifo, true); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, signal);
    EXPECT_EQ(WaitFor(pid), 1) << signal;
    close(writer);
    EXPECT_NE(ReadFileBytes(outPath).find("Abbruch: Konvertierung durch Benutzer abgebrochen!"), std::string::npos)
        << signal << ReadFileBytes(outPath);
    EXPECT_EQ(ReadFileBytes(picture), "picture of an earlier run") << signal;
  }
#endif
}

TEST_F(ConverterProgramTest, AReportThatCannotBeWrittenEndsWithStatusThree) {
  SaveSettings(true, false);
  const std::string target = dir.Sub("teil.cnc");
#ifdef _WIN32
  // Windows has no full device; a pipe nobody reads fails every write.
  using testing::ChildOutput;
  const std::pair<std::string, ChildOutput> cases[] = {{"closed", ChildOutput::kClosed},
                                                       {"pipe without reader", ChildOutput::kPipeWithoutReader}};
  for (const auto& [name, output] : cases) {
    std::filesystem::remove(target);
    testing::ChildOptions options;
    options.output = output;
    testing::WindowsChild child(MORVATEX_CONVERT_PROGRAM, {"--settings", settingsPath, Example("kreis.ncp"), target},
                                options);
    EXPECT_EQ(child.Wait(20), 3) << name;
    EXPECT_TRUE(std::filesystem::exists(target)) << name << ": converted all the same";
  }
  testing::ChildOptions lost;
  lost.output = ChildOutput::kPipeWithoutReader;
  EXPECT_EQ(testing::WindowsChild(MORVATEX_CONVERT_PROGRAM, {"--help"}, lost).Wait(20), 3);
#else
  int lostPipe[2];
  ASSERT_EQ(pipe(lostPipe), 0);
  close(lostPipe[0]);  // nobody reads: a write gives EPIPE (or SIGPIPE)
  const std::pair<std::string, std::function<void()>> cases[] = {
      {"full", [] { freopen("/dev/full", "w", stdout); }},
      {"closed", [] { close(STDOUT_FILENO); }},
      {"pipe without reader", [&] { dup2(lostPipe[1], STDOUT_FILENO); }},
  };
  for (const auto& [name, prepare] : cases) {
    std::filesystem::remove(target);
    EXPECT_EQ(WaitFor(Start({"--settings", settingsPath, Example("kreis.ncp"), target}, prepare)), 3) << name;
    EXPECT_TRUE(std::filesystem::exists(target)) << name << ": converted all the same";
  }
  EXPECT_EQ(WaitFor(Start({"--help"}, [] { freopen("/dev/full", "w", stdout); })), 3);
  close(lostPipe[1]);
#endif
}

TEST_F(ConverterProgramTest, AJobListRunOnSeveralCoresGivesTheBytesOfARunOneRowAtATime) {
  SaveSettings(true, true);
  // Shared targets, a target that a later row reads, a failing and an
  // unmarked row among independent ones.
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"M", "a.ncp a.cnc"},     {"M", "b.ncp shared.cnc"}, {"M", "c.ncp shared.cnc"},
      {"M", "fehlt.ncp f.cnc"}, {"M", "a.cnc d.cnc"},      {"", "c.ncp u.cnc"},
      {"M", "d.cnc.dxf e.cnc"}, {"M", "c.ncp c.cnc"},      {"M", "b.ncp Shared.cnc"}};
  std::string list;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string& paths = rows[i].second;
    const std::size_t blank = paths.find(' ');
    list += "[" + std::to_string(i + 1) + "]\r\n" + rows[i].first + "\r\n" + dir.Sub(paths.substr(0, blank)) + "\r\n" +
            dir.Sub(paths.substr(blank + 1)) + "\r\n";
  }
  list += "[E]\r\n\r\n";
  const std::vector<std::string> written = {"a.cnc", "shared.cnc", "Shared.cnc",     "d.cnc",     "e.cnc",
                                            "c.cnc", "a.cnc.dxf",  "shared.cnc.dxf", "d.cnc.dxf", "c.cnc.dxf"};

  std::vector<std::string> bytes[2];
  for (int run = 0; run < 2; ++run) {
    for (const std::string& name : written) std::filesystem::remove(dir.Sub(name));
    std::filesystem::remove(dir.Sub("log.txt"));
    std::filesystem::copy_file(Example("kreis.ncp"), dir.Sub("a.ncp"),
                               std::filesystem::copy_options::overwrite_existing);
    WriteFileBytes(dir.Sub("b.ncp"), bench::GenerateIselProgram(2'000));
    WriteFileBytes(dir.Sub("c.ncp"), bench::GenerateIselProgram(3'000));
    WriteFileBytes(dir.Sub("jobs.mvx"), list);
    const Outcome r = Run({"--list", dir.Sub("jobs.mvx"), "--jobs", run == 0 ? "1" : "2", "--settings", settingsPath,
                           "--log", dir.Sub("log.txt")});
    bytes[run] = {std::to_string(r.status), r.out, r.err, ReadFileBytes(dir.Sub("jobs.mvx"))};
    // The date and time of the log entries may differ between the runs.
    bytes[run].push_back(std::regex_replace(ReadFileBytes(dir.Sub("log.txt")), std::regex("[0-9][0-9./:-]{6,}"), "#"));
    for (const std::string& name : written)
      bytes[run].push_back(std::filesystem::exists(dir.Sub(name)) ? ReadFileBytes(dir.Sub(name)) : "(none)");
  }
  EXPECT_NE(bytes[0][1].find("Zeile:   9:"), std::string::npos) << bytes[0][1];
  for (std::size_t i = 0; i < bytes[0].size(); ++i) EXPECT_EQ(bytes[1][i], bytes[0][i]) << i;
}

// A rectangle 100 x 50 mm at 600 mm/min: 30 s; an interpreter failure in
// line 4 still gives the picture of the path up to it.
TEST_F(ConverterProgramTest, PreviewDrawsThePictureAndPrintsTheEstimate) {
  SaveSettings(true, false);
  WriteFileBytes(dir.Sub("rect.ncp"), testing::CrLfLines({"VEL 10000", "FASTABS X0 Y0", "MOVEABS X100000",
                                                          "MOVEABS Y50000", "MOVEABS X0", "MOVEABS Y0", "PROGEND"}));
  WriteFileBytes(dir.Sub("bad.ncp"), testing::CrLfLines({"VEL 10000", "MOVEABS X1000", "MOVEABS Y1000", "GETTOOL x",
                                                         "MOVEABS X0", "PROGEND"}));
  const Outcome ok = Run({"--preview", dir.Sub("rect.png"), "--rapid", "6000", "--accel", "10", "--corner=0.5",
                          "--settings", settingsPath, dir.Sub("rect.ncp")});
  const Outcome bad = Run({"--preview", dir.Sub("bad.png"), "--settings", settingsPath, dir.Sub("bad.ncp")});
  if (!MORVATEX_CONVERT_HAS_PREVIEW) {
    EXPECT_EQ(ok.status, 2);
    EXPECT_NE(ok.err.find("--preview is not available"), std::string::npos) << ok.err;
    return;
  }
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, " Quelldatei: " + dir.Sub("rect.ncp") +
                        "\n Bearbeitungszeit: 0:00:33   Vorschubweg: 300.0 mm   Eilgangweg: 0.0 mm   "
                        "Werkzeugwechsel: 0\n Eilgang: 6000 mm/min   Beschleunigung: 10 mm/s\u00b2   Eckentoleranz: "
                        "0.500 mm   ohne Beschleunigung: 0:00:30\n"
                        " Zeichnungsgrenzen: X 0.000 .. 100.000 mm   Y 0.000 .. 50.000 mm\n Bild: " +
                        dir.Sub("rect.png") + "\n");
  EXPECT_EQ(ReadFileBytes(dir.Sub("rect.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(bad.status, 1) << bad.err;
  EXPECT_NE(bad.out.find(" Eilgang: 5000 mm/min   Beschleunigung: 500 mm/s\u00b2   Eckentoleranz: 0.020 mm   "),
            std::string::npos)
      << bad.out;
  EXPECT_NE(bad.out.find(" Abbruch in Zeile 4: Konnte Werkzeugnummer nicht lesen! (GETTOOL x)\n"), std::string::npos)
      << bad.out;
  EXPECT_EQ(ReadFileBytes(dir.Sub("bad.png")).substr(0, 4), "\x89PNG");
  EXPECT_EQ(Run({"--preview", dir.Sub("x.png"), dir.Sub("missing.ncp")}).status, 2);
  const std::string settingsBefore = ReadFileBytes(settingsPath);
  EXPECT_EQ(Run({"--preview", settingsPath, "--settings", settingsPath, dir.Sub("rect.ncp")}).status, 2);
  EXPECT_EQ(ReadFileBytes(settingsPath), settingsBefore);
}

// A copy of the converter without its preview module beside it (nor an
// installed one), and one beside a file that is no module: the preview is
// not available, and the loader's reason says why.
TEST_F(ConverterProgramTest, PreviewWithoutALoadableModuleIsNotAvailable) {
  if (kWindows) GTEST_SKIP() << "Windows links the preview into the converter; it loads no module";
  SaveSettings(true, false);
  const std::string program = dir.Sub("bin/morvatex-convert");
  std::filesystem::create_directory(dir.Sub("bin"));
  std::filesystem::copy_file(MORVATEX_CONVERT_PROGRAM, program);
  const struct {
    std::string module;  // the bytes beside the copy; none when empty
    std::string reason;
  } cases[] = {{"", dir.Sub("lib/morvatex/morvatex-preview.so: cannot open")},
               {"no module", dir.Sub("bin/morvatex-preview.so: file too short")}};
  for (const auto& c : cases) {
    if (!c.module.empty()) WriteFileBytes(dir.Sub("bin/morvatex-preview.so"), c.module);
    const Outcome r =
        RunProgram(program, {"--preview", dir.Sub("p.png"), "--settings", settingsPath, Example("kreis.ncp")});
    EXPECT_EQ(r.status, 2) << c.reason;
    EXPECT_EQ(r.err.rfind("morvatex-convert: --preview is not available: " + c.reason, 0), 0u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.Sub("p.png")));
  }
}

TEST_F(ConverterProgramTest, PreviewDrawsTheDepthView) {
  if (!MORVATEX_CONVERT_HAS_PREVIEW) GTEST_SKIP() << "this build has no preview";
  SaveSettings(true, false);
  const Outcome r =
      Run({"--preview", dir.Sub("depth.png"), "--depth", "--settings", settingsPath, Example("kreis.ncp")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(" Bild: " + dir.Sub("depth.png") + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFileBytes(dir.Sub("depth.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

}  // namespace
}  // namespace morvatex
