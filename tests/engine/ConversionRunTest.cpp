#include "engine/ConversionRun.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/StopRequest.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

// Default options, but with the separators of `syntax`.
ConversionOptions OptionsFor(const PathSyntax& syntax) {
  ConversionOptions options;
  options.pathSyntax = syntax;
  return options;
}

using testing::ConversionResult;
using testing::Convert;
using testing::CrLfLines;
using testing::FakeFileSystem;
using testing::kDxfPath;
using testing::kSourcePath;
using testing::kTargetPath;

const std::string kProgram = CrLfLines({
    "N1 VEL 10000",
    "N2 FASTABS X0 Y0 Z10000",
    "N3 MOVEABS Z-2000",
    "N4 MOVEABS X20000",
    "N5 FASTABS Z10000",
    "N6 PROGEND",
});

class ConversionRunTest : public ::testing::Test {
 protected:
  SettingsRecord settings = testing::NewConfigurationSettings();
  FakeFileSystem fs;

  ConversionResult Run(const std::string& program = kProgram, ConversionOptions options = {}) {
    return Convert(settings, program, fs, std::move(options));
  }
  void BothOutputs() {
    settings.CNCDINCodeerstellen = true;
    settings.DXFDateinerzeugen = true;
  }
};

TEST_F(ConversionRunTest, ConvertsAProgramWithBothOutputs) {
  BothOutputs();
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kSuccess);
  EXPECT_TRUE(r.cncWritten);
  EXPECT_TRUE(r.dxfWritten);
  EXPECT_TRUE(fs.folders.count("C:\\cnc\\"));
  EXPECT_EQ(r.cnc.substr(0, 20), "N100 (Generator:)\r\nN");
  EXPECT_EQ(r.cnc.substr(r.cnc.size() - 3), "#\r\n");
  EXPECT_EQ(r.dxf.substr(r.dxf.size() - 18), "ENDSEC\r\n  0\r\nEOF\r\n");
  EXPECT_EQ(r.dxf.substr(213, 10), "     0.000");
  EXPECT_EQ(r.dxf.substr(257, 10), "    20.000");
}

TEST_F(ConversionRunTest, WithoutAnyOutputTouchesNothing) {
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = false;
  fs.files[kDxfPath] = "alt";
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kNoOutputChosen);
  EXPECT_FALSE(fs.Called("open-read"));
  EXPECT_FALSE(fs.Called("mkdir"));
  EXPECT_FALSE(fs.Called("remove"));
  EXPECT_EQ(r.report,
            "Fehlerstatus: 20\r\n Quelldatei: C:\\cnc\\teil.ncp\r\n Es wurde kein Ausgabeformat gew\xE4hlt (DXF/CNC)! "
            "\r\n()\r\n");
}

TEST_F(ConversionRunTest, ChecksTheSizeOfTheSource) {
  EXPECT_EQ(Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "PROGEND"})).code, Outcome::kTooFewLines);
  EXPECT_EQ(Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "VEL 4", "PROGEND"})).code, Outcome::kSuccess);
  const ConversionResult empty = Run("");
  EXPECT_EQ(empty.code, Outcome::kTooFewLines);
  EXPECT_EQ(empty.currentLineText, "");
}

TEST_F(ConversionRunTest, NeedsTheExactWordProgend) {
  ConversionResult r = Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "VEL 4", "progend"}));
  EXPECT_EQ(r.code, Outcome::kNoProgend);
  EXPECT_EQ(r.currentLineText, "progend") << "the last line read";
  EXPECT_FALSE(fs.Called("mkdir"));
  // In a comment it passes the check, but the passes find no PROGEND line.
  r = Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "VEL 4", "; PROGEND"}));
  EXPECT_EQ(r.code, Outcome::kMeasuringPassNoEnd);
  r = Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "MOVEABS X1", "N99  PROGEND"}));
  EXPECT_EQ(r.code, Outcome::kMeasuringPassNoEnd);
  EXPECT_EQ(r.currentLineText, "PROGEND") << "what the last line left";
  EXPECT_FALSE(r.cncWritten) << "the writing pass never ran";
}

TEST_F(ConversionRunTest, ReportsSourceFailures) {
  fs.failOpenRead.insert(kSourcePath);
  EXPECT_EQ(Run().code, Outcome::kSourceOpen);
  fs.failOpenRead.clear();
  fs.failReadAfterBytes[kSourcePath] = 45;
  fs.readChunk = 8;
  ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kSourceRead);
  EXPECT_EQ(r.currentLineText, "N2 FASTABS X0 Y0 Z10000") << "the lines read so far stay";
  fs.failReadAfterBytes.clear();
  fs.failCloseRead.insert(kSourcePath);
  EXPECT_EQ(Run().code, Outcome::kSourceClose);
  EXPECT_FALSE(fs.Called("mkdir"));
}

TEST_F(ConversionRunTest, ReportsAFolderThatCannotBeCreated) {
  fs.makeFoldersResult = MakeFoldersResult::kFailed;
  EXPECT_EQ(Run().code, Outcome::kFolderCreate);
  fs.makeFoldersResult = MakeFoldersResult::kIoError;
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kFolderIoError);
  EXPECT_EQ(r.report.substr(r.report.find(" Fehler!")),
            " Fehler! Kann Zielordner nicht erstellen!\r\n(N6 PROGEND)\r\n");
  EXPECT_FALSE(r.cncWritten);
}

TEST_F(ConversionRunTest, CreatesTheFolderOfTheDxfPathAlsoForDxfAlone) {
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  EXPECT_EQ(Run().code, Outcome::kSuccess);
  EXPECT_TRUE(fs.Called("mkdir C:\\cnc\\"));
}

TEST_F(ConversionRunTest, StopsAtAnInterpreterErrorAfterWritingItsLine) {
  const ConversionResult r = Run(CrLfLines({"VEL 1", "GETTOOL 100", "VEL 2", "VEL 3", "PROGEND"}));
  EXPECT_EQ(r.code, Outcome::kToolOutOfRange);
  EXPECT_EQ(r.currentLineText, "100");
  EXPECT_EQ(r.cnc.find("M30"), std::string::npos) << "no trailer after a failure";
  EXPECT_FALSE(r.cncWritten) << "and no program without its end at the target";
}

TEST_F(ConversionRunTest, AMeasuringErrorPreventsTheWritingPass) {
  ConversionResult r = Run(CrLfLines({"VEL 1", "MOVEABS X1.5", "VEL 3", "VEL 4", "PROGEND"}));
  EXPECT_EQ(r.code, Outcome::kMeasuringNotInteger);
  EXPECT_EQ(r.currentLineText, "");
  EXPECT_FALSE(fs.Called("create"));
  r = Run(CrLfLines({"VEL 1", "N12", "VEL 3", "VEL 4", "PROGEND"}));
  EXPECT_EQ(r.code, Outcome::kBlockNumber);
  EXPECT_EQ(r.currentLineText, "N12");
}

TEST_F(ConversionRunTest, NeverReadsLinesAfterProgend) {
  EXPECT_EQ(Run(CrLfLines({"VEL 1", "VEL 2", "VEL 3", "PROGEND", "MOVEABS X1.5", "N7"})).code, Outcome::kSuccess);
}

TEST_F(ConversionRunTest, ReportsCncFileFailures) {
  fs.failCreate.insert(kTargetPath);
  EXPECT_EQ(Run().code, Outcome::kCncCreate);
  fs.failCreate.clear();

  settings.Profil.Vorspann1.Assign("%");
  fs.failWriteNumber[kTargetPath] = 1;
  ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kCncHeaderFirst);
  EXPECT_EQ(r.cnc, "");

  fs.failWriteNumber[kTargetPath] = 3;  // Vorspann3
  r = Run();
  EXPECT_EQ(r.code, Outcome::kCncHeader);
  EXPECT_EQ(r.cnc, "%\r\nN100 (Generator:)\r\n") << "the header stops at the first failure";

  fs.failWriteNumber.clear();
  fs.failCloseWrite.insert(kTargetPath);
  EXPECT_EQ(Run().code, Outcome::kCncClose);
}

TEST_F(ConversionRunTest, ATrailerFailureLeavesTheFinishedDrawing) {
  BothOutputs();
  FakeFileSystem probe;
  Convert(settings, kProgram, probe);
  fs.failWriteNumber[kTargetPath] = probe.writeCount[kTargetPath];  // the last trailer line
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kCncTrailer);
  EXPECT_TRUE(r.dxfWritten);
  EXPECT_NE(r.dxf.find("EOF"), std::string::npos);
}

TEST_F(ConversionRunTest, ReportsDxfFileFailuresAndRemovesTheDrawing) {
  BothOutputs();
  fs.failCreate.insert(kDxfPath);
  ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kDxfCreate);
  EXPECT_FALSE(r.cncWritten) << "the CNC stage is not reached";
  fs.failCreate.clear();

  fs.failWriteNumber[kDxfPath] = 1;
  r = Run();
  EXPECT_EQ(r.code, Outcome::kDxfHeader);
  EXPECT_FALSE(r.dxfWritten);
  fs.failWriteNumber.clear();

  fs.failOpenPatch.insert(kDxfPath);
  r = Run();
  EXPECT_EQ(r.code, Outcome::kDxfExtents);
  EXPECT_FALSE(r.dxfWritten) << "a drawing without its extents is not left behind";
  EXPECT_FALSE(r.cncWritten) << "nor the program of the failed run";
  fs.failOpenPatch.clear();

  fs.failCloseWrite.insert(kDxfPath);
  r = Run();
  EXPECT_EQ(r.code, Outcome::kDxfClose);
  EXPECT_FALSE(r.dxfWritten);
  EXPECT_EQ(r.cnc.find("M30"), std::string::npos) << "no CNC trailer after a DXF failure";
}

TEST_F(ConversionRunTest, ReportsAFailedEndOfTheDrawing) {
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  // Header, then the polyline of the one feed move at the end of the pass
  // (written in one or more writes), then the end: fail from the end on.
  FakeFileSystem probe;
  Convert(settings, kProgram, probe);
  fs.failWriteNumber[kDxfPath] = probe.writeCount[kDxfPath];
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kDxfEnd);
  EXPECT_FALSE(r.dxfWritten);
}

TEST_F(ConversionRunTest, AFailedRunLeavesTheOutputsOfAnEarlierRunAlone) {
  BothOutputs();
  const std::string programs[] = {
      CrLfLines({"PROGEND"}),                                                          // 55, before any output
      CrLfLines({"VEL 1", "FASTABS X1000", "MOVEABS Y1000", "GETTOOL x", "PROGEND"}),  // 152, while writing
  };
  for (const std::string& program : programs) {
    fs.files[kTargetPath] = "altes Programm";
    fs.files[kDxfPath] = "alte Zeichnung";
    EXPECT_FALSE(IsGood(Run(program).code));
    EXPECT_EQ(fs.files[kTargetPath], "altes Programm");
    EXPECT_EQ(fs.files[kDxfPath], "alte Zeichnung");
    EXPECT_TRUE(fs.StagedFiles().empty()) << "the files of the failed run are gone";
  }
}

TEST_F(ConversionRunTest, ASuccessfulRunReplacesTheOutputsOfAnEarlierRun) {
  BothOutputs();
  fs.files[kTargetPath] = "altes Programm";
  fs.files[kDxfPath] = "alte Zeichnung";
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kSuccess);
  EXPECT_EQ(r.cnc.substr(0, 4), "N100");
  EXPECT_EQ(r.dxf.substr(0, 5), "999\r\n");
  EXPECT_TRUE(fs.StagedFiles().empty());
  EXPECT_FALSE(fs.Called("remove"));
}

TEST_F(ConversionRunTest, AFailedRenameIsAFailureToClose) {
  BothOutputs();
  fs.files[kTargetPath] = "altes Programm";
  fs.failRename.insert(kDxfPath);
  EXPECT_EQ(Run().code, Outcome::kDxfClose);
  EXPECT_EQ(fs.files[kTargetPath], "altes Programm");
  fs.failRename = {kTargetPath};
  const ConversionResult r = Run();
  EXPECT_EQ(r.code, Outcome::kCncClose);
  EXPECT_EQ(fs.files[kTargetPath], "altes Programm");
  EXPECT_TRUE(r.dxfWritten) << "the drawing was complete before the program's end";
  EXPECT_TRUE(fs.StagedFiles().empty());
}

TEST_F(ConversionRunTest, DebugModeKeepsBothPartialFilesUnderTheirNames) {
  BothOutputs();
  fs.files[kTargetPath] = "altes Programm";
  ConversionOptions options;
  options.debugMode = true;
  const ConversionResult r =
      Run(CrLfLines({"VEL 1", "FASTABS X1000", "MOVEABS Y1000", "GETTOOL x", "PROGEND"}), options);
  EXPECT_EQ(r.code, Outcome::kToolNotInteger);
  ASSERT_TRUE(r.cncWritten);
  EXPECT_NE(fs.files[kTargetPath].find("G1 Y:1.0000"), std::string::npos) << fs.files[kTargetPath];
  EXPECT_TRUE(r.dxfWritten);
  EXPECT_TRUE(fs.StagedFiles().empty());
}

// With large writes, a failed write is still reported with the code of the
// earliest line that did not reach the file, and what reached it is the
// program's beginning.
TEST_F(ConversionRunTest, ABufferedWriteFailsWithTheCodeOfTheFirstLineNotWritten) {
  settings.Profil.Vorspann1.Assign("%");
  ConversionOptions debug;
  debug.debugMode = true;
  const std::string full = Run().cnc;
  const std::size_t move = full.find("G1 Z:-2.0000") - 5, trailer = full.find("M30") - 5;
  const struct {
    std::size_t bytesThatFit;
    Outcome code;
  } cases[] = {{0, Outcome::kCncHeaderFirst},
               {2, Outcome::kCncHeaderFirst},
               {3, Outcome::kCncHeader},
               {move, Outcome::kCncMotion},
               {move + 3, Outcome::kCncMotion},
               {trailer, Outcome::kCncTrailer},
               {full.size() - 1, Outcome::kCncTrailer}};
  for (std::size_t writeSize : {std::size_t{16}, std::size_t{1} << 20}) {
    for (const auto& c : cases) {
      fs.writeSize = writeSize;
      fs.failWriteAfterBytes[kTargetPath] = c.bytesThatFit;
      const ConversionResult r = Run(kProgram, debug);
      EXPECT_EQ(r.code, c.code) << c.bytesThatFit << " bytes, writes of " << writeSize;
      EXPECT_EQ(r.cnc, full.substr(0, c.bytesThatFit));
    }
  }
}

TEST_F(ConversionRunTest, DebugModeKeepsTheDrawingOfAFailedRun) {
  BothOutputs();
  ConversionOptions options;
  options.debugMode = true;
  const ConversionResult r = Run(CrLfLines({"VEL 1", "FASTABS X1000", "GETTOOL x", "VEL 3", "PROGEND"}), options);
  EXPECT_EQ(r.code, Outcome::kToolNotInteger);
  EXPECT_TRUE(r.dxfWritten);
  EXPECT_EQ(r.dxf.find("EOF"), std::string::npos) << "neither end nor extents after a failure";
}

TEST_F(ConversionRunTest, RefusesToOverwriteTheSourceWithTheCncProgram) {
  BothOutputs();
  fs.files[kSourcePath] = kProgram;
  ConversionRun run(settings, fs, OptionsFor(kWindowsPathSyntax));
  EXPECT_EQ(run.Convert(kSourcePath, kSourcePath), Outcome::kCncCreate);
  EXPECT_EQ(fs.files[kSourcePath], kProgram);
  EXPECT_EQ(std::count(fs.calls.begin(), fs.calls.end(), "create C:\\cnc\\teil.ncp"), 0);
  EXPECT_FALSE(fs.Exists(std::string(kSourcePath) + ".dxf")) << "the drawing of the failed run is removed";
}

TEST_F(ConversionRunTest, RefusesToOverwriteTheSourceWithTheDrawing) {
  settings.DXFDateinerzeugen = true;
  const std::string source = "C:\\cnc\\teil.ncp.dxf";
  fs.files[source] = kProgram;
  ConversionRun run(settings, fs, OptionsFor(kWindowsPathSyntax));
  EXPECT_EQ(run.Convert(source, "C:\\cnc\\teil.ncp"), Outcome::kDxfCreate);
  EXPECT_EQ(fs.files[source], kProgram) << "neither overwritten nor deleted";
}

TEST_F(ConversionRunTest, TheStopRequestEndsTheRunAfterTheLineInHand) {
  BothOutputs();
  int linesSeen = 0;
  ConversionOptions options;
  options.processPendingInput = [&] {
    if (++linesSeen == 7) RequestStop();  // in the writing pass, at line 1
  };
  RequestStop();  // a stop before the run has no effect
  const ConversionResult r = Run(kProgram, options);
  EXPECT_EQ(r.code, Outcome::kStopped);
  EXPECT_EQ(linesSeen, 7) << "six lines measured, one written";
  EXPECT_EQ(r.currentLineText, "10000") << "the line in hand is still interpreted";
  EXPECT_NE(r.cnc.find("F:600"), std::string::npos) << "the line in hand is written";
  EXPECT_EQ(r.cnc.find("M30"), std::string::npos);
  EXPECT_FALSE(r.cncWritten);
  EXPECT_FALSE(r.dxfWritten);
  ClearStopRequest();
}

// With --jobs, rows are converted side by side: one that begins its stage
// just after a stop request must neither heed it nor take it back from the
// row that was running when it came.
TEST_F(ConversionRunTest, AConversionBeginningMeanwhileLeavesAnotherOnesStopStanding) {
  BothOutputs();
  ConversionResult other;
  bool once = false;
  ConversionOptions options;
  options.processPendingInput = [&] {
    if (std::exchange(once, true)) return;
    RequestStop();
    FakeFileSystem otherFs;
    other = Convert(settings, kProgram, otherFs, {});
  };
  EXPECT_EQ(Run(kProgram, options).code, Outcome::kStopped);
  EXPECT_EQ(other.code, Outcome::kSuccess);
  ClearStopRequest();
}

TEST_F(ConversionRunTest, PendingInputCanBeLetThroughLessOften) {
  std::vector<std::string_view> lines(5000, "VEL 1");
  lines.push_back("PROGEND");
  int calls = 0;
  ConversionOptions options;
  options.processPendingInput = [&] { ++calls; };
  EXPECT_EQ(Run(CrLfLines(lines), options).code, Outcome::kSuccess);
  EXPECT_EQ(calls, 2 * 5001) << "before every line of both passes";
  calls = 0;
  options.pendingInputInterval = std::chrono::hours(1);
  EXPECT_EQ(Run(CrLfLines(lines), options).code, Outcome::kSuccess);
  EXPECT_EQ(calls, 1) << "only before the first line: the hour runs on into the second pass";

  calls = 0;  // and on into the next file of a batch
  fs.files[kSourcePath] = CrLfLines(lines);
  ConversionRun run(settings, fs, options);
  EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kSuccess);
  EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kSuccess);
  EXPECT_EQ(calls, 1);
}

TEST_F(ConversionRunTest, ShowsWhereItStandsWhereItLetsInputThrough) {
  fs.files[kSourcePath] = kProgram;
  std::string seen;
  const ConversionRun* running = nullptr;
  ConversionOptions options = OptionsFor(kWindowsPathSyntax);
  options.processPendingInput = [&] {
    const ConversionProgress& p = running->Progress();
    seen += (p.pass == Pass::kMeasuring ? "M" : "W") + std::to_string(p.line) + "/" + std::to_string(p.lines) +
            (p.inPass ? " " : "? ");
  };
  ConversionRun run(settings, fs, options);
  running = &run;
  EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kSuccess);
  EXPECT_EQ(seen, "M0/6 M1/6 M2/6 M3/6 M4/6 M5/6 W0/6 W1/6 W2/6 W3/6 W4/6 W5/6 ");

  fs.files[kSourcePath] = "PROGEND\r\n";  // fails before its passes
  EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kTooFewLines);
  EXPECT_FALSE(run.Progress().inPass) << "nothing left over from the run before";
}

TEST_F(ConversionRunTest, KeepsTheLinesForTheDebugView) {
  fs.files[kSourcePath] = kProgram;
  ConversionRun run(settings, fs, OptionsFor(kWindowsPathSyntax));
  run.Convert(kSourcePath, kTargetPath);
  ASSERT_EQ(run.Lines().size(), 6u);
  EXPECT_EQ(run.Lines()[3], "N4 MOVEABS X20000");
  EXPECT_EQ(run.DxfPath(), kDxfPath);
}

TEST_F(ConversionRunTest, EndsEveryBadInputWithAnOutcomeCode) {
  BothOutputs();
  std::string garbage;
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245 + 12345;
    garbage.push_back(static_cast<char>(seed >> 16));
  }
  const std::string inputs[] = {
      garbage,
      std::string(1 << 20, 'X'),                                           // no line ends
      std::string(1 << 20, '\0') + "\r\nPROGEND\r\n",                      // NUL bytes
      "MOVEABS " + std::string(1 << 20, '9') + "\r\n\r\n\r\n\r\nPROGEND",  // a megabyte word
      CrLfLines({"SPINDLE RPM", "GETTOOL", "VEL", "PLANE", "MOVEABS X", "PROGEND"}),
      CrLfLines({"\xC4\xD6\xDC", "\x80\xFF", "N", "N ", "PROGEND"}),
  };
  for (const std::string& input : inputs) {
    const ConversionResult r = Run(input);
    EXPECT_NE(r.code, Outcome::kSuccess);
    EXPECT_TRUE(r.code == Outcome::kTooFewLines || r.code == Outcome::kNoProgend ||
                r.code == Outcome::kMeasuringNotInteger || r.code == Outcome::kWritingNotInteger ||
                r.code == Outcome::kSpeedNotInteger || r.code == Outcome::kBlockNumber)
        << r.code;
  }
}

// Memory running out, while the source is held or an output is written,
// ends the run with 51 instead of an exception: the targets keep what they
// held (a drawing finished before the program's trailer is in place, as
// for any failure there), nothing staged is left, and the same run converts
// the next file.
TEST_F(ConversionRunTest, RunningOutOfMemoryFailsAsAnUnreadableSource) {
  BothOutputs();
  FakeFileSystem probe;
  const ConversionResult full = Convert(settings, kProgram, probe);
  const struct {
    std::string path;
    std::size_t bytes;  // held when memory runs out
    bool drawingDone = false;
  } cases[] = {
      {kSourcePath, 0},
      {kSourcePath, 40},
      {kTargetPath, 0},
      {kTargetPath, full.cnc.size() / 2},
      {kTargetPath, full.cnc.size() - 1, true},  // the trailer
      {kDxfPath, full.dxf.size() / 2},
      {kDxfPath, full.dxf.size() - 1},  // the end of the drawing
  };
  fs.files[kSourcePath] = kProgram;
  ConversionRun run(settings, fs, OptionsFor(kWindowsPathSyntax));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " at " + std::to_string(c.bytes));
    fs.files[kTargetPath] = "altes Programm";
    fs.files[kDxfPath] = "alte Zeichnung";
    fs.outOfMemoryAfterBytes = {{c.path, c.bytes}};
    EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kSourceRead);
    EXPECT_NE(run.OutcomeReport().find(" Fehler beim Lesen der Quelldatei!\r\n"), std::string::npos);
    EXPECT_EQ(run.Lines().size(), 0u) << "the source's memory is given back";
    EXPECT_EQ(fs.files[kTargetPath], "altes Programm");
    EXPECT_EQ(fs.files[kDxfPath], c.drawingDone ? full.dxf : "alte Zeichnung");
    EXPECT_TRUE(fs.StagedFiles().empty());
    fs.outOfMemoryAfterBytes.clear();
    EXPECT_EQ(run.Convert(kSourcePath, kTargetPath), Outcome::kSuccess);
    EXPECT_EQ(fs.files[kTargetPath], full.cnc);
  }
}

}  // namespace
}  // namespace morvatex
