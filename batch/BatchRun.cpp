#include "batch/BatchRun.h"

#include <algorithm>
#include <cstdio>

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
  const RowRecord record{report, checked, checkFailed, incomplete};
  display.JobConverted(row, run, record);
  display.AddMessage("Zeile:   " + std::to_string(row) + ":" + report + "\r\n");
  display.RowReported(row, record);
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

namespace {

// "3,4 s" below a minute, "2:05 min" below an hour, "1:02:05 h" above.
std::string DurationText(std::chrono::milliseconds took) {
  const long long tenths = std::max<long long>(0, took.count()) / 100;
  char text[40];
  if (tenths < 600) {
    std::snprintf(text, sizeof text, "%lld,%lld s", tenths / 10, tenths % 10);
  } else {
    const long long seconds = tenths / 10;
    if (seconds < 3600)
      std::snprintf(text, sizeof text, "%lld:%02lld min", seconds / 60, seconds % 60);
    else
      std::snprintf(text, sizeof text, "%lld:%02lld:%02lld h", seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return text;
}

}  // namespace

std::string BatchSummary(const BatchResult& result, int markedRows, std::chrono::milliseconds took) {
  const int warned = result.checksFailed + result.incomplete;
  const int stoppedRow = result.stopped ? 1 : 0;
  // The stopped row got its "E" as a failure; the rows a stop kept from
  // their turn are no failures either.
  const int ended = stoppedRow + std::max(0, markedRows - result.converted);
  const int failed = std::max(0, result.failed - warned - stoppedRow);
  const int clean = std::max(0, result.converted - result.failed);
  return "Lauf beendet: " + std::to_string(clean) + " konvertiert, " + std::to_string(failed) + " fehlerhaft, " +
         std::to_string(warned) + " mit Warnungen, " + std::to_string(ended) + " abgebrochen, Dauer " +
         DurationText(took) + "\r\n";
}

}  // namespace morvatex
