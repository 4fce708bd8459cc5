// The batch run: converts every job row marked "M", from the top, one after
// the other, and records each outcome in the row's marks, the log and the
// message field. The desktop program and the command-line converter share it;
// each front end only shows what it is told.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "batch/JobTable.h"
#include "batch/LogFile.h"
#include "engine/ConversionRun.h"

namespace morvatex {

// What a recorded row came to beyond its conversion's outcome code.
struct RowRecord {
  // The row's report as the log and the message field got it: the outcome
  // report, then the check's lines.
  std::string_view report;
  bool checked = false;      // its check was made (converted well, a check given)
  bool checkFailed = false;  // which found divergences or could not be made
  // Converted well, but not every line was carried over
  // (ConversionRun::Incomplete): its report names them.
  bool incomplete = false;
};

// What a front end shows of a running batch.
class BatchDisplay {
 public:
  virtual ~BatchDisplay() = default;
  // Job row `row` is about to be converted.
  virtual void JobStarting(int row) = 0;
  // Job row `row` has been converted by `run` and recorded as `record`
  // says; its marks are set and its log entry is written.
  virtual void JobConverted(int /*row*/, const ConversionRun& /*run*/, const RowRecord& /*record*/) {}
  // Adds `text` (Windows-1252, CR LF between lines and at its end) to the
  // message field.
  virtual void AddMessage(std::string_view text) = 0;
  // Job row `row`'s "Zeile:" report is in the message field now; what
  // follows it there belongs to that row.
  virtual void RowReported(int /*row*/, const RowRecord& /*record*/) {}
};

// A check of each row's outputs after a successful conversion (the
// desktop's "Ausgabe prüfen", the converter's --verify), made as the row is
// recorded, on the recording thread.
class RowCheck {
 public:
  virtual ~RowCheck() = default;
  // The lines the check adds to the row's report (Windows-1252, CR LF after
  // each); sets `failed` when it found divergences or could not be made.
  virtual std::string Check(const ConversionRun& run, bool& failed) = 0;
};

struct BatchResult {
  int converted = 0;     // marked rows that were converted
  int failed = 0;        // of them, the rows that got "E"
  int checksFailed = 0;  // of those, the rows converted well whose check failed
  // and the rows converted well, not whole, whose check (if any) passed
  int incomplete = 0;
  bool stopped = false;  // a stop request ended the batch
};

// Runs the batch over `table` with `run`. For each job row whose mark cell is
// exactly "M": sets modified; tells `display` the row begins;
// converts its source (column 4) to its target (column 5); on success leaves
// only "A", on failure adds "E" and keeps "M" and "A" as they were; appends
// the run entry to `log`; adds "Zeile:   " + row + ":" + report + CR LF to
// the message field. The row count is read afresh before every row.
//
// A conversion ended by the stop request (outcome 11) ends the whole batch:
// that row gets its "E" and its entries, the rows below are not touched.
// Without any marked row the message field gets the note that none was
// found, and nothing else changes.
//
// With `check`, a row converted without failure is checked; its lines
// follow the outcome report in the log entry and the message field, and a
// row whose check fails is marked as a failed conversion is (its outputs
// stay: they were written correctly). So is a row converted without failure
// that did not carry every line over (ConversionRun::Incomplete): its outputs
// stay, and its "M" brings it back at the next run until its program or
// the Isel language chosen is mended.
BatchResult ExecuteBatch(JobTable& table, ConversionRun& run, const LogFile& log, BatchDisplay& display,
                         RowCheck* check = nullptr);

// Records the outcome of job row `row`, just converted by `run`, as
// ExecuteBatch does for each row: marks, log entry, JobConverted and
// the "Zeile:" report; counts a failure in `result`.
void RecordJobOutcome(JobTable& table, int row, const ConversionRun& run, const LogFile& log, BatchDisplay& display,
                      BatchResult& result, RowCheck* check = nullptr);

// The closing line of a batch over `markedRows` marked rows that took
// `took`, for the desktop's message field (the log keeps its own entries):
// how many were converted cleanly, failed, converted with a warning (a failed
// check, lines not carried over), were ended or left untouched by a stop,
// and the time. CR LF at its end.
std::string BatchSummary(const BatchResult& result, int markedRows, std::chrono::milliseconds took);

// The note for a batch that found no marked row.
inline constexpr std::string_view kNoMarkedJobsNote =
    "Es wurden keine abzuarbeitenden (markierten) Dateien gefunden !\r\n";

}  // namespace morvatex
