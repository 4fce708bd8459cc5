#include "batch/JobListFile.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"

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
  EXPECT_EQ(ReadJobList(fs, kPath, table), 0);
  EXPECT_EQ(Rows(table),
            (std::vector<std::string>{"ME|C:\\a.ncp|C:\\K\xFChler\\a.cnc", "|b.ncp|b.cnc", "MAE|c.ncp|c.cnc"}));
  EXPECT_EQ(table.Cell(3, kColumnNumber), "3");
  EXPECT_EQ(JobListText(table), list);
  EXPECT_EQ(JobListText(JobTable()), "[E]\r\n\r\n");
}

TEST(JobListFile, ReadingStopsAtTheMarkerOrTheFirstFault) {
  struct Case {
    const char* file;  // null: there is no file
    int code;
    std::vector<std::string> rows;  // in the table when reading stopped
    std::size_t readFailsAt = std::string::npos;
  };
  const std::string two = "[1]\r\nM\r\na.ncp\r\na.cnc\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n[E]\r\n[3]";
  const Case cases[] = {
      {"", 0, {}},
      {"[7] rest\r\nxMAEm\r\na.ncp\r\na.cnc\r\n", 0, {"MAE|a.ncp|a.cnc"}},
      {"[1]\nmae\nLF.ncp\nb.cnc", 0, {"|LF.ncp|b.cnc"}},  // LF ends, no marker, no last line end
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n[E]\r\n[2]\r\nM\r\nb.ncp\r\nb.cnc\r\n", 0, {"M|a.ncp|a.cnc"}},
      {"[E] \r\nM\r\na.ncp\r\na.cnc\r\n", 0, {"M|a.ncp|a.cnc"}},  // not the marker
      {nullptr, 10, {}},
      {two.c_str(), 20, {"M|a.ncp|a.cnc"}, two.find("b.ncp")},
      {two.c_str(), 0, {"M|a.ncp|a.cnc", "M|b.ncp|b.cnc"}, two.find("[3]")},  // fails after the marker
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n\r\n", 31, {"M|a.ncp|a.cnc"}},
      {"1]\r\nM\r\na.ncp\r\na.cnc\r\n", 30, {}},
      {"[1\r\nM\r\na.ncp\r\na.cnc\r\n", 31, {}},
      {"1\r\nM\r\na.ncp\r\na.cnc\r\n", 31, {}},
      {"[1]\r\nM\r\n\r\na.cnc\r\n", 40, {}},
      {"[1]\r\nM\r\na.ncp\r\n", 40, {}},  // ends inside an entry
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

}  // namespace
}  // namespace morvatex
