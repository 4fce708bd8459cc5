#include "batch/ParallelBatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "base/PathSyntax.h"
#include "engine/StopRequest.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/TempDir.h"

namespace morvatex::testing {
namespace {

// Collects what a front end is shown, in order.
class RecordingDisplay final : public BatchDisplay {
 public:
  std::string shown;
  // Each row as JobConverted heard of it: its number, its check and report.
  std::vector<std::string> records;
  void JobStarting(int row) override { shown += "begin " + std::to_string(row) + "\n"; }
  void JobConverted(int row, const ConversionRun&, const RowRecord& record) override {
    const char* check = !record.checked ? "unchecked" : record.checkFailed ? "failed" : "clean";
    records.push_back(std::to_string(row) + " " + check + (record.incomplete ? " incomplete" : "") + ": " +
                      std::string(record.report));
  }
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

// Runs the marked rows, their paths below `folder`, with lines slow enough
// that rows run at the same time would overlap. The trace's files are left
// to the caller.
BatchTrace ExecuteRows(const std::vector<Row>& rows, int jobs, bool stop, FileSystem& fs, const std::string& folder,
                       PathSyntax syntax, const std::string& logPath, const ThreadStarter& startThread = StartThread) {
  JobTable table;
  table.SetListFile(folder + "jobs.mvx");
  for (const Row& row : rows) {
    const int r = table.AppendJob();
    table.SetCell(r, kColumnMarked, row.mark);
    table.SetCell(r, kColumnSource, folder + row.source);
    table.SetCell(r, kColumnTarget, folder + row.target);
  }
  SettingsRecord settings = NewConfigurationSettings();
  settings.DXFDateinerzeugen = true;
  ConversionOptions options;
  options.pathSyntax = syntax;
  options.processPendingInput = [stop] {
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    if (stop) RequestStop();  // as an interrupt that stands does
  };
  const LogFile log(fs, logPath, [] { return std::string("08.12.2026 10:00:00"); });
  RecordingDisplay display;
  const BatchResult result =
      ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs, nullptr, startThread);
  ClearStopRequest();

  BatchTrace trace{display.shown, {}, {}, result.converted, result.failed, result.stopped};
  for (int r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c <= kColumnTarget; ++c) trace.cells.push_back(table.Cell(r, c));
  return trace;
}

BatchTrace RunBatch(const std::vector<Row>& rows, int jobs, bool stop, const std::set<std::string>& failCreate,
                    const ThreadStarter& startThread = StartThread) {
  FakeFileSystem fs;
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    const std::string x = "MOVEABS X" + std::to_string(1000 * (name[0] - 'a' + 1));
    fs.files[std::string("C:\\cnc\\") + name + ".ncp"] =
        CrLfLines({"VEL 1000", "FASTABS X0 Y0", x, "MOVEABS Y1000", "PROGEND"});
  }
  fs.files[kLogPath] = "";
  fs.failCreate = failCreate;
  BatchTrace trace = ExecuteRows(rows, jobs, stop, fs, "C:\\cnc\\", kWindowsPathSyntax, kLogPath, startThread);
  trace.files = fs.files;
  EXPECT_TRUE(fs.StagedFiles().empty());
  return trace;
}

// The same on the disk, in `folder` made afresh, with "/" in the rows'
// paths standing for the system's separator: sources "long.ncp" and
// "short.ncp".
BatchTrace RunBatchOnDisk(const std::vector<Row>& rows, int jobs, const std::filesystem::path& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const PathSyntax syntax = NativePathSyntax();
  const auto native = [&](std::string path) {
    std::replace(path.begin(), path.end(), '/', FolderSeparator(syntax));
    return path;
  };
  WriteFileBytes((folder / "short.ncp").string(),
                 CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X10", "MOVEABS Y10", "PROGEND"}));
  std::vector<std::string_view> lines = {"VEL 1000", "FASTABS X0 Y0"};
  for (int i = 0; i < 30; ++i) lines.insert(lines.end(), {"MOVEABS X1000", "MOVEABS X0"});
  lines.push_back("PROGEND");
  WriteFileBytes((folder / "long.ncp").string(), CrLfLines(lines));
  WriteFileBytes((folder / "log.txt").string(), "");
  std::vector<Row> nativeRows;
  for (const Row& row : rows) nativeRows.push_back({row.mark, native(row.source), native(row.target)});

  RealFileSystem fs;
  BatchTrace trace = ExecuteRows(nativeRows, jobs, false, fs, folder.string() + FolderSeparator(syntax), syntax,
                                 (folder / "log.txt").string());
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file())
      trace.files[entry.path().lexically_relative(folder).generic_string()] = ReadFileBytes(entry.path().string());
  }
  return trace;
}

void ExpectSameTrace(const BatchTrace& parallel, const BatchTrace& sequential) {
  EXPECT_EQ(parallel.shown, sequential.shown);
  EXPECT_EQ(parallel.cells, sequential.cells);
  EXPECT_EQ(parallel.files, sequential.files);
  EXPECT_EQ(parallel.converted, sequential.converted);
  EXPECT_EQ(parallel.failed, sequential.failed);
  EXPECT_EQ(parallel.stopped, sequential.stopped);
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
  int refusals = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BatchTrace sequential = RunBatch(c.rows, 1, c.stop, c.failCreate);
    for (int jobs : {2, 3, 8}) {
      SCOPED_TRACE(jobs);
      ExpectSameTrace(RunBatch(c.rows, jobs, c.stop, c.failCreate), sequential);
    }
    // Where the system gives fewer threads (none, one), the batch runs on
    // those there are.
    for (int granted : {0, 1}) {
      SCOPED_TRACE(std::to_string(granted) + " threads granted");
      int asked = 0;
      const ThreadStarter scarce = [&](std::function<void()> work) {
        return asked++ < granted ? StartThread(std::move(work)) : std::thread();
      };
      ExpectSameTrace(RunBatch(c.rows, 4, c.stop, c.failCreate, scarce), sequential);
      refusals += std::max(asked - granted, 0);
    }
  }
  EXPECT_GT(refusals, 0) << "threads were refused";
}

// A long row before a short one: run at the same time, the short one would
// finish first. The folders named do not exist before the batch, so the
// file system alone cannot tell which rows share a file.
TEST(ParallelBatchTest, RowsWhosePathsLeadIntoTheSameNewFolderKeepTheirOrder) {
  struct Case {
    const char* what;
    std::vector<Row> rows;
    int failed;  // rows failing one at a time
  };
  const std::vector<Case> cases = {
      {"a leading dot", {{"M", "long.ncp", "./new/x.cnc"}, {"M", "short.ncp", "new/x.cnc"}}, 0},
      {"a doubled separator", {{"M", "long.ncp", "new//x.cnc"}, {"M", "short.ncp", "new/x.cnc"}}, 0},
      {"a dot inside", {{"M", "long.ncp", "new/./x.cnc"}, {"M", "short.ncp", "new/x.cnc"}}, 0},
      {"a new folder left again", {{"M", "long.ncp", "out/sub/../x.cnc"}, {"M", "short.ncp", "out/x.cnc"}}, 0},
      // Read one row at a time, the CNC program written before has no PROGEND.
      {"a source that another row writes", {{"M", "long.ncp", "new/x.ncp"}, {"M", "./new/x.ncp", "y.cnc"}}, 1},
      {"two different new folders", {{"M", "long.ncp", "a/x.cnc"}, {"M", "short.ncp", "b/x.cnc"}}, 0},
  };
  const TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BatchTrace sequential = RunBatchOnDisk(c.rows, 1, dir.Path() / "run");
    EXPECT_EQ(sequential.failed, c.failed);
    ExpectSameTrace(RunBatchOnDisk(c.rows, 2, dir.Path() / "run"), sequential);
  }
}

}  // namespace
}  // namespace morvatex::testing

#include "batch/JobListFile.h"
#include "tests/support/RecordingMessageSink.h"

namespace morvatex::testing {
namespace {

// A row whose source does not fit in memory fails with 51 as an unreadable
// one does; the rows after it are converted, and the list saved afterwards
// holds every row's marks.
TEST(ParallelBatchTest, ARowThatRunsOutOfMemoryFailsAndTheBatchGoesOn) {
  for (int jobs : {1, 2, 3}) {
    SCOPED_TRACE(jobs);
    FakeFileSystem fs;
    JobTable table;
    table.SetListFile("C:\\cnc\\jobs.mvx");
    for (const std::string name : {"a", "b", "c"}) {
      fs.files["C:\\cnc\\" + name + ".ncp"] =
          CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});
      const int row = table.AppendJob();
      table.SetCell(row, kColumnSource, "C:\\cnc\\" + name + ".ncp");
      table.SetCell(row, kColumnTarget, "C:\\cnc\\" + name + ".cnc");
    }
    fs.outOfMemoryAfterBytes["C:\\cnc\\b.ncp"] = 20;
    SettingsRecord settings = NewConfigurationSettings();
    settings.DXFDateinerzeugen = true;
    ConversionOptions options;
    options.pathSyntax = kWindowsPathSyntax;
    const LogFile log(fs, "", [] { return std::string(); });
    RecordingDisplay display;

    const BatchResult result = ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs);
    EXPECT_EQ(result.converted, 3);
    EXPECT_EQ(result.failed, 1);
    EXPECT_NE(display.shown.find("Zeile:   2:Fehlerstatus: 51\r\n"), std::string::npos) << display.shown;
    EXPECT_FALSE(fs.Exists("C:\\cnc\\b.cnc"));
    EXPECT_FALSE(fs.Exists("C:\\cnc\\b.cnc.dxf"));
    EXPECT_TRUE(fs.Exists("C:\\cnc\\c.cnc"));
    EXPECT_TRUE(fs.StagedFiles().empty());

    RecordingMessageSink messages;
    EXPECT_EQ(SaveJobList(table, fs, messages, log), 0);
    EXPECT_EQ(fs.files[table.ListFile()],
              "[1]\r\nA\r\nC:\\cnc\\a.ncp\r\nC:\\cnc\\a.cnc\r\n[2]\r\nME\r\nC:\\cnc\\b.ncp\r\nC:\\cnc\\b.cnc\r\n"
              "[3]\r\nA\r\nC:\\cnc\\c.ncp\r\nC:\\cnc\\c.cnc\r\n[E]\r\n\r\n");
  }
}

// A check that fails the rows whose target names "b".
class FailingCheck final : public RowCheck {
 public:
  std::string Check(const ConversionRun& run, bool& failed) override {
    failed = run.TargetPath().find("b.cnc") != std::string::npos;
    return failed ? "Check: failed\r\n" : "Check: clean\r\n";
  }
};

TEST(ParallelBatchTest, ARowWhoseCheckFailsIsMarkedAsAFailedConversionWithTheCheckInItsReportAndLog) {
  for (const int jobs : {1, 2}) {
    FakeFileSystem fs;
    fs.files["C:\\cnc\\a.ncp"] = fs.files["C:\\cnc\\b.ncp"] = CrLfLines({";", ";", ";", "MOVEABS X1000", "PROGEND"});
    fs.files[kLogPath] = "";  // the log is appended to
    JobTable table;
    for (const char* name : {"a", "b"}) {
      const int r = table.AppendJob();
      table.SetCell(r, kColumnMarked, kMarkMarked);
      table.SetCell(r, kColumnSource, std::string("C:\\cnc\\") + name + ".ncp");
      table.SetCell(r, kColumnTarget, std::string("C:\\cnc\\") + name + ".cnc");
    }
    ConversionOptions options;
    options.pathSyntax = kWindowsPathSyntax;
    const LogFile log(fs, kLogPath, [] { return std::string("08.12.2026 10:00:00"); });
    RecordingDisplay display;
    FailingCheck check;
    const BatchResult result =
        ExecuteBatchInParallel(table, NewConfigurationSettings(), fs, options, log, display, jobs, &check);
    SCOPED_TRACE(jobs);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.checksFailed, 1);
    EXPECT_EQ(table.Cell(1, kColumnMarked) + table.Cell(1, kColumnConverted) + table.Cell(1, kColumnFailed), "A");
    EXPECT_EQ(table.Cell(2, kColumnMarked) + table.Cell(2, kColumnConverted) + table.Cell(2, kColumnFailed), "ME");
    EXPECT_NE(display.shown.find("fehlerfrei konvertiert!\r\nCheck: clean\r\n\r\n"), std::string::npos)
        << display.shown;
    EXPECT_NE(display.shown.find("fehlerfrei konvertiert!\r\nCheck: failed\r\n\r\n"), std::string::npos);
    EXPECT_NE(fs.files[kLogPath].find("Check: failed"), std::string::npos);
    EXPECT_TRUE(fs.files.count("C:\\cnc\\b.cnc"));  // written correctly, so kept
    // The front end hears each row's verdict with the report it was shown.
    ASSERT_EQ(display.records.size(), 2u);
    const std::string converted = "fehlerfrei konvertiert!\r\n";
    EXPECT_EQ(display.records[0].substr(0, 9), "1 clean: ");
    EXPECT_TRUE(display.records[0].ends_with(converted + "Check: clean\r\n")) << display.records[0];
    EXPECT_EQ(display.records[1].substr(0, 10), "2 failed: ");
    EXPECT_TRUE(display.records[1].ends_with(converted + "Check: failed\r\n")) << display.records[1];
    EXPECT_NE(display.shown.find("Zeile:   2:" + display.records[1].substr(10) + "\r\n"), std::string::npos);
  }
}

// A check that passes every row.
class CleanCheck final : public RowCheck {
 public:
  std::string Check(const ConversionRun&, bool& failed) override {
    failed = false;
    return "Check: clean\r\n";
  }
};

// A row converted without failure that left a line behind gets E as a
// failed check does, keeps its M for the next run and its outputs on disk;
// its report names the line, in the message field and the log alike.
TEST(ParallelBatchTest, ARowNotCarriedOverWholeGetsEAndKeepsItsOutputs) {
  struct Case {
    const char* what;
    RowCheck* check;
    int incomplete;      // BatchResult::incomplete
    int checksFailed;    // BatchResult::checksFailed
    const char* record;  // how the front end heard of row 2
  };
  CleanCheck clean;
  FailingCheck failing;  // fails row 2 ("b")
  const Case cases[] = {
      {"unchecked", nullptr, 1, 0, "2 unchecked incomplete: "},
      {"checked clean", &clean, 1, 0, "2 clean incomplete: "},
      {"check failed as well", &failing, 0, 1, "2 failed incomplete: "},
  };
  const std::string whole = CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});
  for (const Case& c : cases) {
    for (const int jobs : {1, 2}) {
      SCOPED_TRACE(std::string(c.what) + ", jobs " + std::to_string(jobs));
      FakeFileSystem fs;
      fs.files["C:\\cnc\\a.ncp"] = whole;
      fs.files["C:\\cnc\\b.ncp"] =
          CrLfLines({"VEL 1000", "SETPORT 1", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});
      fs.files["C:\\cnc\\c.ncp"] = CrLfLines({"MOVEABS X1000", "PROGEND"});  // too short: fails
      fs.files[kLogPath] = "";
      JobTable table;
      for (const char* name : {"a", "b", "c"}) {
        const int r = table.AppendJob();
        table.SetCell(r, kColumnMarked, kMarkMarked);
        table.SetCell(r, kColumnSource, std::string("C:\\cnc\\") + name + ".ncp");
        table.SetCell(r, kColumnTarget, std::string("C:\\cnc\\") + name + ".cnc");
      }
      SettingsRecord settings = NewConfigurationSettings();
      settings.DXFDateinerzeugen = true;
      ConversionOptions options;
      options.pathSyntax = kWindowsPathSyntax;
      const LogFile log(fs, kLogPath, [] { return std::string("08.12.2026 10:00:00"); });
      RecordingDisplay display;
      const BatchResult result = ExecuteBatchInParallel(table, settings, fs, options, log, display, jobs, c.check);

      EXPECT_EQ(result.converted, 3);
      EXPECT_EQ(result.failed, 2);
      EXPECT_EQ(result.incomplete, c.incomplete);
      EXPECT_EQ(result.checksFailed, c.checksFailed);
      const auto marks = [&](int r) {
        return table.Cell(r, kColumnMarked) + table.Cell(r, kColumnConverted) + table.Cell(r, kColumnFailed);
      };
      EXPECT_EQ(marks(1) + "/" + marks(2) + "/" + marks(3), "A/ME/ME");
      for (const char* output : {"C:\\cnc\\b.cnc", "C:\\cnc\\b.cnc.dxf"}) EXPECT_TRUE(fs.Exists(output)) << output;
      EXPECT_FALSE(fs.Exists("C:\\cnc\\c.cnc"));
      const std::string notice = "Nicht umgesetzt: 1 Zeilen\r\n  Isel-Zeile 2: SETPORT 1\r\n";
      EXPECT_NE(display.shown.find("Zeile:   2:"), std::string::npos);
      EXPECT_NE(display.shown.find(notice), std::string::npos) << display.shown;
      EXPECT_NE(fs.files[kLogPath].find(notice), std::string::npos) << fs.files[kLogPath];
      ASSERT_EQ(display.records.size(), 3u);
      EXPECT_EQ(display.records[1].substr(0, std::string(c.record).size()), c.record);
      EXPECT_EQ(display.records[0].find("incomplete"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace morvatex::testing
