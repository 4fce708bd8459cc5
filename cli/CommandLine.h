// The command line of the converter:
//   morvatex-convert [--settings FILE] [--isel DIALECT] [--debug] SOURCE TARGET
//   morvatex-convert --list FILE.mvx [--jobs N] [--settings FILE] [--log FILE] [--debug]
//   morvatex-convert --preview FILE.png [--rapid MM_PER_MIN] [--accel MM_PER_S2] [--corner MM] [--depth]
//                    [--settings FILE] SOURCE
//   morvatex-convert --verify MODEL [--tolerance MM] ... (with a conversion or --list)
//   morvatex-convert --verify MODEL --against [--tolerance MM] [--settings FILE] SOURCE CNCFILE
//   morvatex-convert --help | --version
//   morvatex-convert --watch FOLDER [--pattern GLOB] [--recursive] [--archive DIR] [--settle SECONDS]
//                    [--poll SECONDS] [--once] [--verify MODEL [--tolerance MM]] [--settings FILE]
//                    [--log FILE] [--jobs N]
// --isel works with every command that reads an Isel program.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ConversionRun.h"
#include "engine/OutcomeCodes.h"
#include "settings/IselDialect.h"
#include "verify/Verification.h"

namespace morvatex {

struct ConverterCall {
  enum class Kind { kConvert, kBatch, kPreview, kCheckOnly, kWatch, kHelp, kVersion, kUsageError };
  Kind kind = Kind::kUsageError;
  std::string error;         // what was wrong, for kUsageError
  std::string settingsPath;  // empty: the desktop program's settings file
  bool debug = false;
  // --isel: the language the Isel programs are read in; none: the one
  // remembered beside the settings file.
  std::optional<IselDialect> dialect;
  std::string source;
  std::string target;
  std::string listPath;              // kBatch: the job list file to run
  std::string logPath;               // kBatch: the log for run and save entries; empty: none
  int jobs = 0;                      // kBatch: rows converted at the same time; 0: one per processor core
  std::string previewPath;           // kPreview: the picture to write
  int rapidRate = 0;                 // kPreview: mm/min; 0: the rate remembered beside the settings file
  double acceleration = 0;           // kPreview: mm/s²; 0: the one remembered beside the settings file
  double cornerTolerance = -1;       // kPreview: mm; below 0: the one remembered beside the settings file
  bool depth = false;                // kPreview: feed moves coloured by their depth
  bool verify = false;               // kConvert, kBatch: check each CNC program after it was written
  VerificationOptions verification;  // with verify, and for kCheckOnly (--against)
  // kWatch (--log and --jobs as for kBatch):
  std::string watchFolder;
  std::string pattern = "*.ncp";
  bool recursive = false;
  std::string archivePath;  // empty: converted files stay
  int settleMs = 2000;
  int pollMs = 0;  // 0: the system's change notices
  bool once = false;
};

// Reads the arguments after the program name (as given, UTF-8). Options may
// stand anywhere before "--"; "--settings=FILE" works too.
ConverterCall ParseConverterCall(const std::vector<std::string>& arguments);

// The usage text (UTF-8), one line per line, ending with a line end.
std::string ConverterUsage();

// What a wrong call prints on standard error after its one-line reason.
inline constexpr std::string_view kUsageHint = "Aufruf: morvatex-convert --help\n";

// The version line that --version prints.
std::string ConverterVersion();

// The message (Windows-1252, ending with CR LF) that says on standard error
// why a conversion could not make its folder or output, which its report
// cannot say: the reason, the path and the system's message. A row of --list
// or --watch names its `source` first, since several rows share the stream.
// Empty when `cause` has nothing to add.
std::string CreateFailureMessage(const CreateFailure& cause, std::string_view source = {});

// The exit status for an outcome code: 0 for success, 1 for a failed run.
int ExitStatusFor(Outcome outcomeCode);

// The exit status when the report could not be written in full (standard
// output closed or full), whatever the outcome; never that of a success.
inline constexpr int kReportLostStatus = 3;

// The exit status when every conversion succeeded but a check (--verify)
// found divergences or could not be made.
inline constexpr int kDivergenceStatus = 4;

// The exit status when every conversion succeeded, but one did not carry
// every line of its program over (ConversionRun::Incomplete).
inline constexpr int kIncompleteStatus = 5;

}  // namespace morvatex
