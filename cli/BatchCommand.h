// morvatex-convert --list: the desktop program's batch run over a job list
// file, from a script.
#pragma once

#include <ostream>
#include <string>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "engine/ConversionRun.h"
#include "settings/SettingsRecord.h"
#include "verify/Verification.h"

namespace morvatex {

// Reads the job list at `listPath` as "Öffnen..." does, runs the batch over
// its marked rows as "Start" does (the "Zeile:" reports go to `out` as
// UTF-8), and writes the list back as "Speichern" does. Run and save entries
// are appended to the log at `logPath` (Windows-1252 like `listPath`), which
// is created when missing; an empty `logPath` keeps no log. Messages (a list
// that cannot be read or saved) go to `messages`.
//
// Up to `jobs` rows are converted at the same time (ExecuteBatchInParallel);
// the reports, marks, log and list are the same as one row at a time.
//
// The log must be none of the files the run reads or writes back: not the
// list, not `settingsPath`, not a row's source (any spelling, links
// followed); such a log is refused before anything is converted or logged.
// A list or log that is a FIFO or a device is refused too.
//
// With `verification`, every row converted without failure is checked
// (verify/Verification.h) as it is recorded: the check section follows its
// outcome report, and a row whose check fails is marked as a failed
// conversion is ("E", "M" kept), as is a row that did not carry every line
// over. The rows are read in `options.dialect`, and so are their checks.
//
// Returns the exit status: 0 when every converted row succeeded (also when
// none was marked), 1 when a row failed or the list could not be saved, 2
// when the list could not be read or the list or log is refused (nothing
// is converted then), 4 when all were converted but a check failed, 5 when
// all were converted and checked clean, but a row was not carried over whole.
int RunBatchCommand(const std::string& listPath, const std::string& logPath, const std::string& settingsPath,
                    const SettingsRecord& settings, FileSystem& fs, ConversionOptions options, int jobs,
                    MessageSink& messages, std::ostream& out, const VerificationOptions* verification = nullptr);

// Makes the log named on the command line, when missing, so that run
// entries (which only append) reach it; an empty path keeps no log.
void PrepareCommandLineLog(FileSystem& fs, const std::string& logPath);

}  // namespace morvatex
