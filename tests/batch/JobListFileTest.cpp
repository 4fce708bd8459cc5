#include "batch/JobListFile.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"
#include "tests/support/RecordingMessageSink.h"

namespace morvatex {
namespace {

constexpr const char* kPath = "C:\\Listen\\jobs.mvx";

// The job rows of a table as "marks|source|target".
std::vector<std::string> Rows(const JobTable& table) {
  std::vector<std::string> rows;
  for (int row = 1; row < table.PlaceholderRow(); ++row)
    rows.push_back(table.Cell(row, 1) + table.Cell(row, 2) + table.Cell(row, 3) + "|" + table.Cell(row, 4) + "|" +
                   table.Cell(row, 5));
  return rows;
}

TEST(JobListFile, ReadsAndWritesFourLinesPerJobThenTheEndMarker) {
  const std::string list =
      "[1]\r\nME\r\nC:\\a.ncp\r\nC:\\K\xFChler\\a.cnc\r\n[2]\r\n\r\nb.ncp\r\nb.cnc\r\n"
      "[3]\r\nMAE\r\nc.ncp\r\nc.cnc\r\n[E]\r\n\r\n";
  testing::FakeFileSystem fs;
  fs.files[kPath] = list;
  JobTable table;
  EXPECT_EQ(ReadJobList(fs, kPath, table), JobListCode::kOk);
  EXPECT_EQ(Rows(table),
            (std::vector<std::string>{"ME|C:\\a.ncp|C:\\K\xFChler\\a.cnc", "|b.ncp|b.cnc", "MAE|c.ncp|c.cnc"}));
  EXPECT_EQ(table.Cell(3, kColumnNumber), "3");
  EXPECT_EQ(JobListText(table), list);
  EXPECT_EQ(JobListText(JobTable()), "[E]\r\n\r\n");
}

TEST(JobListFile, ReadingStopsAtTheMarkerOrTheFirstFault) {
  struct Case {
    const char* file;  // null: there is no file
    JobListCode code;
    std::vector<std::string> rows;  // in the table when reading stopped
    std::size_t readFailsAt = std::string::npos;
  };
  const std::string two = "[1]\r\nM\r\na.ncp\r\na.cnc\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n[E]\r\n[3]";
  const Case cases[] = {
      {"", JobListCode::kOk, {}},
      {"[7] rest\r\nxMAEm\r\na.ncp\r\na.cnc\r\n", JobListCode::kOk, {"MAE|a.ncp|a.cnc"}},
      {"[1]\nmae\nLF.ncp\nb.cnc", JobListCode::kOk, {"|LF.ncp|b.cnc"}},  // LF ends, no marker, no last line end
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n[E]\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n", JobListCode::kOk, {"M|a.ncp|a.cnc"}},
      {"[E] \r\nM\r\na.ncp\r\na.cnc\r\n", JobListCode::kOk, {"M|a.ncp|a.cnc"}},  // not the marker
      {nullptr, JobListCode::kUnreadable, {}},
      {two.c_str(), JobListCode::kReadError, {"M|a.ncp|a.cnc"}, two.find("b.ncp")},
      {two.c_str(), JobListCode::kOk, {"M|a.ncp|a.cnc", "M|b.ncp|b.cnc"}, two.find("[3]")},  // fails after the marker
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n\r\n", JobListCode::kNoClosingBracket, {"M|a.ncp|a.cnc"}},
      {"1]\r\nM\r\na.ncp\r\na.cnc\r\n", JobListCode::kNoOpeningBracket, {}},
      {"[1\r\nM\r\na.ncp\r\na.cnc\r\n", JobListCode::kNoClosingBracket, {}},
      {"1\r\nM\r\na.ncp\r\na.cnc\r\n", JobListCode::kNoClosingBracket, {}},
      {"[1]\r\nM\r\n\r\na.cnc\r\n", JobListCode::kPathMissing, {}},
      {"[1]\r\nM\r\na.ncp\r\n", JobListCode::kPathMissing, {}},  // ends inside an entry
  };
  for (const Case& c : cases) {
    testing::FakeFileSystem fs;
    fs.readChunk = 3;  // line ends split between reads
    if (c.file) fs.files[kPath] = c.file;
    if (c.readFailsAt != std::string::npos) fs.failReadAfterBytes[kPath] = c.readFailsAt;
    fs.failCloseRead.insert(kPath);  // ignored
    JobTable table;
    EXPECT_EQ(ReadJobList(fs, kPath, table), c.code) << (c.file ? c.file : "no file");
    EXPECT_EQ(Rows(table), c.rows) << (c.file ? c.file : "no file");
  }
}

// A list that does not fit in memory, read or saved, fails like a list that
// cannot be read or written: complete entries only, then an empty table and
// the message on opening; the old file kept on saving.
TEST(JobListFile, RunningOutOfMemoryFailsLikeAReadOrWriteError) {
  const std::string list = "[1]\r\nM\r\na.ncp\r\na.cnc\r\n[2]\r\nA\r\nb.ncp\r\nb.cnc\r\n[E]\r\n\r\n";
  const struct {
    std::size_t bytes;  // held when memory runs out
    JobListCode code;
    std::vector<std::string> rows;
  } cases[] = {
      {0, JobListCode::kReadError, {}},
      {list.find("a.cnc"), JobListCode::kReadError, {}},
      {list.find("[2]"), JobListCode::kReadError, {"M|a.ncp|a.cnc"}},
      {list.find("b.cnc") + 2, JobListCode::kReadError, {"M|a.ncp|a.cnc"}},
      {list.find("[E]") + 5, JobListCode::kOk, {"M|a.ncp|a.cnc", "A|b.ncp|b.cnc"}},  // the marker ends the reading
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    testing::FakeFileSystem fs;
    fs.readChunk = 3;
    fs.files[kPath] = list;
    fs.outOfMemoryAfterBytes[kPath] = c.bytes;
    JobTable table;
    EXPECT_EQ(ReadJobList(fs, kPath, table), c.code);
    EXPECT_EQ(Rows(table), c.rows);

    JobTable opened;
    testing::RecordingMessageSink messages;
    EXPECT_EQ(OpenJobList(opened, kPath, fs, messages), c.code);
    EXPECT_EQ(opened.JobCount(), c.code == JobListCode::kOk ? 2 : 0);
    EXPECT_EQ(messages.messages.size(), c.code == JobListCode::kOk ? 0u : 1u);
    if (c.code != JobListCode::kOk) {
      EXPECT_NE(messages.messages[0].find("(20)"), std::string::npos);
    }
  }

  testing::FakeFileSystem fs;
  fs.files[kPath] = list;
  JobTable table;
  ASSERT_EQ(ReadJobList(fs, kPath, table), JobListCode::kOk);
  table.SetListFile(kPath);
  table.SetModified(true);
  table.ToggleMark(1, kColumnFailed);
  fs.outOfMemoryAfterBytes[kPath] = list.size();
  testing::RecordingMessageSink messages;
  EXPECT_EQ(SaveJobList(table, fs, messages, LogFile(fs, "", [] { return std::string(); })), 12);
  EXPECT_EQ(messages.messages,
            (std::vector<std::string>{"12 / Beim Speichern der Tabelle ist ein Fehler aufgetreten !"}));
  EXPECT_EQ(fs.files[kPath], list);
  EXPECT_TRUE(table.Modified());
}

}  // namespace
}  // namespace morvatex
