// The check of a CNC program against its Isel source: the source is
// interpreted by the conversion's own pass runner in the Isel dialect it was
// converted in, the CNC program read back as a control model reads it, and
// the two tool paths compared (verify/PathComparison.h). Every source line
// the interpreter does not carry over whole is a divergence. The CNC file is read a piece at a time beside
// the source's lines, so the check holds no more than a few moves of either.
#pragma once

#include <functional>
#include <string>

#include "base/FileSystem.h"
#include "engine/ConversionRun.h"
#include "engine/IselDialect.h"
#include "engine/LineList.h"
#include "settings/SettingsRecord.h"
#include "verify/PathComparison.h"
#include "verify/TracedMove.h"

namespace morvatex {

inline constexpr double kDefaultTolerance = 0.01;  // mm

struct VerificationOptions {
  ControlModel model = ControlModel::kRs274;
  double tolerance = kDefaultTolerance;
};

// What a caller may hear of a check while it runs.
struct VerificationHooks {
  // Hears every move the control model reads back, in order (the preview
  // draws them); the check itself keeps none of them.
  std::function<void(const TracedMove&)> readMove;
  // Asked before each source line: yes ends the check early, and its result
  // then says nothing.
  std::function<bool()> stopped;
};

struct VerificationResult {
  // Not empty when the check could not be made (a CNC file that is missing,
  // empty, binary, a FIFO, a line beyond reason; a source that fails): the
  // reason, Windows-1252, without line end.
  std::string problem;
  ComparisonSummary summary;
  // The section of the report, every line ending with CR LF: the verdict,
  // then the first divergences with their Isel and CNC lines.
  std::string report;
  bool Clean() const { return problem.empty() && summary.divergenceCount == 0; }
};

// The longest CNC line the check reads; a longer one makes the file no CNC
// program.
inline constexpr std::size_t kLongestCncLine = 64 * 1024;

// Checks the CNC program at `cncPath` against the Isel program `source`
// under `settings` (the record the conversion used), reading the source in
// `dialect` (the original one when none is given). Nothing is thrown;
// memory running out is a problem like the others.
VerificationResult VerifyCncProgram(const SettingsRecord& settings, const LineList& source, FileSystem& fs,
                                    const std::string& cncPath, const VerificationOptions& options, IselDialect dialect,
                                    const VerificationHooks& hooks = {});
VerificationResult VerifyCncProgram(const SettingsRecord& settings, const LineList& source, FileSystem& fs,
                                    const std::string& cncPath, const VerificationOptions& options,
                                    const VerificationHooks& hooks = {});

// The same for the Isel program at `sourcePath`, read first as a conversion
// reads it; a source that cannot be read is a problem.
VerificationResult VerifySourceAndCncProgram(const SettingsRecord& settings, FileSystem& fs,
                                             const std::string& sourcePath, const std::string& cncPath,
                                             const VerificationOptions& options, IselDialect dialect,
                                             const VerificationHooks& hooks = {});
VerificationResult VerifySourceAndCncProgram(const SettingsRecord& settings, FileSystem& fs,
                                             const std::string& sourcePath, const std::string& cncPath,
                                             const VerificationOptions& options, const VerificationHooks& hooks = {});

// The check of the CNC program a successful run just wrote, against the
// source lines it kept, read in `dialect` (the one the run read them in).
// Without CNC output there is nothing to check: that is a problem too, so
// that a check asked for never passes unseen.
VerificationResult VerifyConversion(const ConversionRun& run, const SettingsRecord& settings, FileSystem& fs,
                                    const VerificationOptions& options, IselDialect dialect = IselDialect::kOriginal);

// Reads `model` as the command line names it ("rs274", "eingestellt");
// false for any other text.
bool ParseControlModel(std::string_view text, ControlModel& model);

}  // namespace morvatex
