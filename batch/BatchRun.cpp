#include "batch/BatchRun.h"

namespace morvatex {

void RecordJobOutcome(JobTable& table, int row, const ConversionRun& run, const LogFile& log, BatchDisplay& display,
                      BatchResult& result, RowCheck* check) {
  const Outcome code = run.OutcomeCode();
  bool checkFailed = false;
  std::string report = run.OutcomeReport();
  const bool checked = check != nullptr && code <= Outcome::kSuccess;
  if (checked) report += check->Check(run, checkFailed);
  if (checkFailed) ++result.checksFailed;
  const bool incomplete = code <= Outcome::kSuccess && run.Incomplete();
  if (incomplete && !checkFailed) ++result.incomplete;
  if (code <= Outcome::kSuccess && !checkFailed && !incomplete) {
    table.SetCell(row, kColumnMarked, "");
    table.SetCell(row, kColumnConverted, kMarkConverted);
    table.SetCell(row, kColumnFailed, "");
  } else {
    table.SetCell(row, kColumnFailed, kMarkFailed);
    ++result.failed;
  }

  const std::string marks =
      table.Cell(row, kColumnNumber) + table.Cell(row, kColumnMarked) + table.Cell(row, kColumnConverted);
  log.Append(LogRunEntry(log.DateTime(), table.ListFile(), row, marks, report));
  display.JobConverted(row, run, RowRecord{report, checked, checkFailed, incomplete});
  display.AddMessage("Zeile:   " + std::to_string(row) + ":" + report + "\r\n");
}

BatchResult ExecuteBatch(JobTable& table, ConversionRun& run, const LogFile& log, BatchDisplay& display,
                         RowCheck* check) {
  BatchResult result;
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    if (table.Cell(row, kColumnMarked) != kMarkMarked) continue;
    table.SetModified(true);
    ++result.converted;
    display.JobStarting(row);

    // Copied: the cells may change while the conversion lets input through.
    const std::string source = table.Cell(row, kColumnSource);
    const std::string target = table.Cell(row, kColumnTarget);
    const Outcome code = run.Convert(source, target);
    RecordJobOutcome(table, row, run, log, display, result, check);
    if (code == Outcome::kStopped) {
      result.stopped = true;
      break;
    }
  }
  if (result.converted == 0) display.AddMessage(kNoMarkedJobsNote);
  return result;
}

}  // namespace morvatex
