// The batch run: converts every job row marked "M", from the top, one after
// the other, and records each outcome in the row's marks, the log and the
// message field. The desktop program and the command-line converter share it;
// each front end only shows what it is told.
#pragma once

#include <string>
#include <string_view>

#include "batch/JobTable.h"
#include "batch/LogFile.h"
#include "engine/ConversionRun.h"

namespace morvatex {

// What a front end shows of a running batch.
class BatchDisplay {
 public:
  virtual ~BatchDisplay() = default;
  // Job row `row` is about to be converted.
  virtual void JobStarting(int row) = 0;
  // Job row `row` has been converted by `run`; its marks are set and its
  // log entry is written.
  virtual void JobConverted(int /*row*/, const ConversionRun& /*run*/) {}
  // Adds `text` (Windows-1252, CR LF between lines and at its end) to the
  // message field.
  virtual void AddMessage(std::string_view text) = 0;
};

struct BatchResult {
  int converted = 0;     // marked rows that were converted
  int failed = 0;        // of them, the rows that got "E"
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
BatchResult ExecuteBatch(JobTable& table, ConversionRun& run, const LogFile& log, BatchDisplay& display);

// Records the outcome of job row `row`, just converted by `run`, as
// ExecuteBatch does for each row: marks, log entry, JobConverted and
// the "Zeile:" report; counts a failure in `result`.
void RecordJobOutcome(JobTable& table, int row, const ConversionRun& run, const LogFile& log, BatchDisplay& display,
                      BatchResult& result);

// The note for a batch that found no marked row.
inline constexpr std::string_view kNoMarkedJobsNote =
    "Es wurden keine abzuarbeitenden (markierten) Dateien gefunden !\r\n";

}  // namespace morvatex
