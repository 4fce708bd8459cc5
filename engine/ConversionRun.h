// The conversion run: turns one Isel program into a CNC program at the target
// path and a DXF drawing beside it (target path + ".dxf"), as the settings
// choose, and reports the outcome as an integer code.
//
// A run reads and checks the source, creates the target folder, measures the
// drawing extents in a first pass over the lines, writes both outputs in a
// second pass, and always runs its closing steps. Every stage runs only while
// the outcome code is at most 10; the first failure sets 11 or more.
//
// Both outputs are written to new files beside their targets and renamed
// over them when complete, so a failed or stopped run leaves whatever was at
// the target paths before (debug mode keeps the partial files under the
// target names instead), and two runs on one target never mix their bytes.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"
#include "engine/DinBlockWriter.h"
#include "engine/DrawingExtents.h"
#include "engine/DxfWriter.h"
#include "engine/IselDialect.h"
#include "engine/IselInterpreter.h"
#include "engine/LineList.h"
#include "engine/LineNotices.h"
#include "engine/MachineState.h"
#include "engine/OutcomeCodes.h"
#include "engine/OutputBuffer.h"
#include "engine/StopRequest.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

struct ConversionOptions {
  // Keeps the outputs of a failed run under their names (for looking into
  // them), as far as they were written.
  bool debugMode = false;
  // The separators that end the target folder in the target path.
  PathSyntax pathSyntax = NativePathSyntax();
  // Called before a source line of each pass, before the stop request is
  // read: the desktop program lets pending window input through here, so
  // that the stop command takes effect during a long file.
  std::function<void()> processPendingInput;
  // The least time between two calls of processPendingInput, counted across
  // the passes and files of one ConversionRun; 0 calls it before every line.
  // The stop request is read at every line all the same.
  std::chrono::milliseconds pendingInputInterval{0};
  // Files besides the source that an output must never replace or delete,
  // such as the settings file in use; an output path naming one of them is
  // refused as a target equal to the source is.
  std::vector<std::string> protectedPaths;
  // The Isel language the sources are read in.
  IselDialect dialect = IselDialect::kOriginal;
};

// Where a running conversion stands, for a progress display.
struct ConversionProgress {
  bool inPass = false;  // false until the measuring pass begins
  Pass pass = Pass::kMeasuring;
  std::size_t line = 0;   // index of the source line the pass is at
  std::size_t lines = 0;  // source lines of the file
};

// Why the target folder or an output file could not be made, which the
// outcome report (its code and line) cannot say.
struct CreateFailure {
  enum class Kind {
    kNone,         // the run made what it needed, or failed otherwise
    kIsSource,     // the output path names the source
    kIsProtected,  // the output path names a protected file (the settings file)
    kSystem,       // the system refused; errorNumber says why when not 0
  };
  Kind kind = Kind::kNone;
  std::string path;     // the folder or file that could not be made
  int errorNumber = 0;  // errno of the failed call, 0 when the system left none
};

class ConversionRun {
 public:
  // `settings` is the live record, read (never changed) during every run.
  ConversionRun(const SettingsRecord& settings, FileSystem& fs, ConversionOptions options = {});

  // Converts `sourcePath` to `targetPath` (Windows-1252 paths) and returns the
  // outcome code: 0 for success, 11 or more for the stage that failed. The
  // code, the current line text, the paths and the line list stay readable
  // until the next run. Memory running out ends the run with 51, as for a
  // source that cannot be read, and with no lines kept; nothing is thrown.
  Outcome Convert(const std::string& sourcePath, const std::string& targetPath);

  // The report of the last run, every line ending with CR LF: status, source,
  // target (with CNC output), DXF path (with DXF output), the message, and
  // for a failure the current line text in parentheses and, for a failure
  // in a pass, "Isel-Zeile K: TEXT"; then the lines not carried over whole
  // (LineNotices::ReportLines).
  std::string OutcomeReport() const;

  Outcome OutcomeCode() const { return code_; }
  const std::string& CurrentLineText() const { return currentLineText_; }
  const std::string& DxfPath() const { return dxfPath_; }
  const std::string& SourcePath() const { return sourcePath_; }
  const std::string& TargetPath() const { return targetPath_; }
  // The source lines of the last run, for the debug view.
  const LineList& Lines() const { return lines_; }
  const DrawingExtents& Extents() const { return extents_.Extents(); }
  // The 1-based number of the source line the last pass of the last run
  // ended with: the last line it interpreted, which for a failure or a stop
  // in a pass is the line in hand (the last line of the source when the pass
  // ran past it, 110 or 111); 0 when no pass ran.
  std::size_t PassEndLine() const { return passEndLine_; }
  // Where the run stands. It is brought up to date only just before
  // processPendingInput is called (so keeping it costs the run nothing), which
  // is where a display reads it; it starts afresh with every run.
  const ConversionProgress& Progress() const { return progress_; }
  // Why the last run could not make its folder or an output (kNone for any
  // other outcome).
  const CreateFailure& CreateFailureCause() const { return createFailure_; }
  // The Isel language the runs read their sources in.
  IselDialect Dialect() const { return options_.dialect; }
  // The lines of the last run's writing pass that were not carried over
  // whole, or only as an approximation. The report names them.
  const LineNotices& Notices() const { return notices_; }
  // The run succeeded, but did not carry every line over whole.
  bool Incomplete() const { return IsGood(code_) && notices_.Count(NoticeKind::kNotCarried) > 0; }

 private:
  // One output file of the run, with the text collected for it.
  struct Output {
    StagedFile staged;
    OutputBuffer buffer;
    bool created = false;  // its file was created in this run (it may be closed by now)
    bool IsOpen() const { return staged.file != nullptr; }
  };

  // Ends the run in hand for want of memory (outcome 51) and gives back what
  // it holds of the source.
  void MemoryRanOut();
  void ReadSource();
  void CreateTargetFolder();
  void RunPass(Pass pass);
  // True when the pending input is to be let through before the next line.
  bool PendingInputDue();
  // True when `path` may be replaced: it names neither the source nor a
  // protected file.
  bool MayReplace(const std::string& path);
  // Creates an output file; on failure sets `failure` and leaves it closed.
  void CreateOutput(Output& output, const std::string& path, Outcome failure);
  // Hands the collected text to the file and closes it; `closeFailure` when
  // closing fails while the run is good.
  void CloseOutput(Output& output, Outcome closeFailure);
  // A closed output takes its target's place when the run is good (or in
  // debug mode); otherwise its file is removed. `closeFailure` when the
  // rename of a good run fails.
  void PlaceOutput(Output& output, Outcome closeFailure);
  void StartDxf();
  void StartCnc();
  void FinishDxf();
  void FinishCnc();
  // Notes what the interpreter and the CNC writer left of line `index`.
  void NoteLine(const InterpretedLine& line, std::size_t index);
  // Sets the code when `failure` is not 0 (the code set last counts).
  void Fail(Outcome failure) {
    if (failure != Outcome::kSuccess) code_ = failure;
  }
  bool Good() const { return IsGood(code_); }

  const SettingsRecord& settings_;
  FileSystem& fs_;
  ConversionOptions options_;

  Outcome code_ = Outcome::kSuccess;
  std::string sourcePath_;
  std::string targetPath_;
  std::string dxfPath_;
  std::string currentLineText_;
  LineList lines_;
  MachineState state_;
  ExtentsTracker extents_;
  DinBlockWriter cncWriter_;
  DxfWriter dxfWriter_;
  Output cnc_;
  Output dxf_;
  // The source and the protected files, looked up once a run (when the
  // first output is created): both outputs are compared with them.
  std::vector<FileIdentity> keptFiles_;
  bool keptFilesKnown_ = false;
  ConversionProgress progress_;
  CreateFailure createFailure_;
  std::size_t passEndLine_ = 0;
  LineNotices notices_;
  // Empty until input was first let through: the first look is always due,
  // whatever the steady clock's epoch (boot, on Linux) happens to be.
  std::optional<std::chrono::steady_clock::time_point> lastPendingInput_;
  StopMark stopMark_ = 0;  // where the stage in hand began
  unsigned linesSincePendingInput_ = 0;
  bool pendingInputDueNow_ = false;  // set when a pass begins
};

}  // namespace morvatex
