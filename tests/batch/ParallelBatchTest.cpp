#include "batch/ParallelBatch.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

#include "engine/StopRequest.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

// Collects what a front end is shown, in order.
class RecordingDisplay final : public BatchDisplay {
 public:
  std::string shown;
  void JobStarting(int row) override { shown += "begin " + std::to_string(row) + "\n"; }
  void AddMessage(std::string_view text) override { shown += text; }
};

struct Row {
  std::string mark;
  std::string source;
  std::string target;
};

// Everything a batch leaves behind.
struct BatchTrace {
  std::string shown;
  std::vector<std::string> cells;
  std::map<std::string, std::string> files;
  int converted = 0;
  int failed = 0;
  bool stopped = false;
};

const std::string kLogPath = "C:\\cnc\\log.txt";

BatchTrace RunBatch(const std::vector<Row>& rows, int jobs, bool stop, const std::set<std::string>& failCreate) {
  FakeFileSystem fs;
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    const std::string x = "MOVEABS X" + std::to_string(1000 * (name[0] - 'a' + 1));
    fs.files[std::string("C:\\cnc\\") + name + ".ncp"] =
        CrLfLines({"VEL 1000", "FASTABS X0 Y0", x, "MOVEABS Y1000", "PROGEND"});
  }
  fs.files[kLogPath] = "";
  fs.failCreate = failCreate;
  JobTable table;
  table.listFile = "C:\\cnc\\jobs.mvx";
  for (const Row& row : rows) {
    const int r = table.AppendJob();
    table.SetCell(r, kColumnMarked, row.mark);
    table.SetCell(r, kColumnSource, "C:\\cnc\\" + row.source);
    table.SetCell(r, kColumnTarget, "C:\\cnc\\" + row.target);
  }
  SettingsRecord settings = NewConfigurationSettings();
  settings.DXFDateinerzeugen = true;
  ConversionOptions options;
  options.pathSyntax = kWindowsPathSyntax;
  // Slow lines, so that rows run at the same time would overlap.
  options.processPendingInput = [stop] {
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    if (stop) RequestStop();  // as an interrupt that stands does
  };
  const LogFile log(fs, kLogPath, [] { return std::string("08.12.2026 10:00:00"); });
  RecordingDisplay display;
  const BatchResult result = ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs);
  ClearStopRequest();

  BatchTrace trace{display.shown, {}, fs.files, result.converted, result.failed, result.stopped};
  for (int r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c <= kColumnTarget; ++c) trace.cells.push_back(table.Cell(r, c));
  EXPECT_TRUE(fs.StagedFiles().empty());
  return trace;
}

TEST(ParallelBatchTest, GivesTheReportsMarksLogAndFilesOfARunOneRowAtATime) {
  struct Case {
    const char* what;
    std::vector<Row> rows;
    bool stop = false;
    std::set<std::string> failCreate;
  };
  const std::vector<Case> cases = {
      {"independent rows",
       {{"M", "a.ncp", "a.cnc"},
        {"", "b.ncp", "b.cnc"},
        {"M", "c.ncp", "c.cnc"},
        {"M", "d.ncp", "d.cnc"},
        {"MA", "e.ncp", "e.cnc"},
        {"M", "e.ncp", "e2.cnc"}},
       false,
       {}},
      {"a shared target", {{"M", "a.ncp", "t.cnc"}, {"M", "b.ncp", "t.cnc"}, {"M", "c.ncp", "t.cnc"}}, false, {}},
      {"a target that another row reads",
       {{"M", "a.ncp", "b.ncp"}, {"M", "b.ncp", "x.cnc"}, {"M", "c.ncp", "c.cnc"}, {"M", "x.cnc.dxf", "y.cnc"}},
       false,
       {}},
      {"a source that a later row replaces", {{"M", "c.ncp", "c.cnc"}, {"M", "a.ncp", "c.ncp"}}, false, {}},
      {"failing rows",
       {{"M", "missing.ncp", "m.cnc"}, {"M", "a.ncp", "bad\\a.cnc"}, {"M", "b.ncp", "b.cnc"}},
       false,
       {"C:\\cnc\\b.cnc"}},
      {"a stop request", {{"M", "a.ncp", "a.cnc"}, {"M", "b.ncp", "b.cnc"}, {"M", "c.ncp", "c.cnc"}}, true, {}},
      {"no marked row", {{"A", "a.ncp", "a.cnc"}}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BatchTrace sequential = RunBatch(c.rows, 1, c.stop, c.failCreate);
    for (int jobs : {2, 3, 8}) {
      SCOPED_TRACE(jobs);
      const BatchTrace parallel = RunBatch(c.rows, jobs, c.stop, c.failCreate);
      EXPECT_EQ(parallel.shown, sequential.shown);
      EXPECT_EQ(parallel.cells, sequential.cells);
      EXPECT_EQ(parallel.files, sequential.files);
      EXPECT_EQ(parallel.converted, sequential.converted);
      EXPECT_EQ(parallel.failed, sequential.failed);
      EXPECT_EQ(parallel.stopped, sequential.stopped);
    }
  }
}

}  // namespace
}  // namespace morvatex::testing
