#include "batch/JobTable.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

// A row as one text, cells separated by "|", so a test can state a table at
// a glance.
std::string Join(const JobTable::Row& row) {
  std::string text;
  for (std::size_t c = 0; c < row.size(); ++c) text += (c ? "|" : "") + row[c];
  return text;
}

std::vector<std::string> Rows(const JobTable& table) {
  std::vector<std::string> rows;
  for (int r = 0; r < table.RowCount(); ++r) {
    JobTable::Row row;
    for (int c = 0; c < kJobColumnCount; ++c) row[static_cast<std::size_t>(c)] = table.Cell(r, c);
    rows.push_back(Join(row));
  }
  return rows;
}

const std::string kEmptyRow = "|||||";

JobTable TableWith(std::initializer_list<std::string> sources) {
  JobTable table;
  for (const std::string& source : sources) {
    const int row = table.AppendJob();
    table.SetCell(row, kColumnSource, source);
    table.SetCell(row, kColumnTarget, source + ".cnc");
  }
  return table;
}

TEST(JobTable, AppendedJobsAreNumberedMarkedAndFollowedByAnEmptyRow) {
  EXPECT_EQ(Rows(JobTable()), (std::vector<std::string>{kEmptyRow, kEmptyRow}));
  JobTable table = TableWith({"a", "b", "a"});
  EXPECT_EQ(Rows(table),
            (std::vector<std::string>{kEmptyRow, "1|M|||a|a.cnc", "2|M|||b|b.cnc", "3|M|||a|a.cnc", kEmptyRow}));
  EXPECT_EQ(table.RowCount(), 5);
  // Appending alone is no change of the user's: the caller decides.
  EXPECT_FALSE(table.Modified());
}

TEST(JobTable, SettingUpARowKeepsItsPathsUnlessItIsTheLastRow) {
  JobTable table = TableWith({"a", "b"});
  table.SetCell(1, kColumnMarked, "");
  table.SetCell(1, kColumnConverted, "A");
  table.SetCell(1, kColumnFailed, "E");
  table.SetUpRow(1);
  EXPECT_EQ(Rows(table)[1], "1|M|||a|a.cnc");

  table.SetCell(3, kColumnSource, "stale");
  table.SetUpRow(3);
  EXPECT_EQ(Rows(table)[3], kEmptyRow);
}

TEST(JobTable, RemovingAMiddleRowMovesTheRowsBelowUpAndKeepsTheNumbers) {
  JobTable table = TableWith({"a", "b", "c"});
  table.SetCell(3, kColumnFailed, "E");
  table.RemoveJob(2);
  EXPECT_EQ(Rows(table), (std::vector<std::string>{kEmptyRow, "1|M|||a|a.cnc", "2|M||E|c|c.cnc", kEmptyRow}));
  EXPECT_TRUE(table.Modified());
}

TEST(JobTable, RemovingTheLastJobMovesThePlaceholderUpAndOtherRowsCannotBeRemoved) {
  JobTable table = TableWith({"a", "b"});
  for (int row : {0, 3, 7}) table.RemoveJob(row);
  EXPECT_EQ(table.RowCount(), 4);
  EXPECT_FALSE(table.Modified());
  table.RemoveJob(2);
  EXPECT_EQ(Rows(table), (std::vector<std::string>{kEmptyRow, "1|M|||a|a.cnc", kEmptyRow}));
  table.RemoveJob(1);
  EXPECT_EQ(Rows(table), (std::vector<std::string>{kEmptyRow, kEmptyRow}));
}

TEST(JobTable, EmptyingForgetsTheFileButNotTheChangeFlag) {
  JobTable table = TableWith({"a", "b"});
  table.SetListFile("C:\\jobs.mvx");
  table.SetModified(true);
  table.ClearJobs();
  EXPECT_EQ(Rows(table), (std::vector<std::string>{kEmptyRow, kEmptyRow}));
  EXPECT_EQ(table.ListFile(), "");
  EXPECT_TRUE(table.Modified());
}

TEST(JobTable, SpaceTogglesTheMarkOfItsColumnAndAlwaysCountsAsAChange) {
  JobTable table = TableWith({"a"});
  EXPECT_TRUE(table.ToggleMark(1, kColumnConverted));
  EXPECT_EQ(table.Cell(1, kColumnConverted), "A");
  EXPECT_TRUE(table.ToggleMark(1, kColumnConverted));
  EXPECT_EQ(table.Cell(1, kColumnConverted), "");
  EXPECT_TRUE(table.Modified());

  table.ToggleMark(1, kColumnMarked);
  EXPECT_EQ(table.Cell(1, kColumnMarked), "");
  table.SetCell(1, kColumnFailed, "e");  // anything but exactly "E" becomes "E"
  table.ToggleMark(1, kColumnFailed);
  EXPECT_EQ(table.Cell(1, kColumnFailed), "E");

  table.SetModified(false);
  const std::vector<std::string> before = Rows(table);
  for (int column : {kColumnNumber, kColumnSource, kColumnTarget}) EXPECT_TRUE(table.ToggleMark(1, column));
  EXPECT_EQ(Rows(table), before);
  EXPECT_TRUE(table.Modified());
}

TEST(JobTable, DeletingConvertedRowsRemovesEveryRowWithAWhateverElse) {
  JobTable table = TableWith({"a", "b", "c", "d", "e"});
  table.SetCell(1, kColumnConverted, "A");
  table.SetCell(1, kColumnFailed, "E");
  table.SetCell(2, kColumnFailed, "E");  // only "M" and "E": stays
  table.SetCell(3, kColumnConverted, "A");
  table.SetCell(4, kColumnConverted, "A");
  table.SetCell(5, kColumnConverted, "a");  // not exactly "A": stays
  EXPECT_EQ(table.RemoveConvertedJobs(), 3);
  EXPECT_EQ(Rows(table), (std::vector<std::string>{kEmptyRow, "1|M||E|b|b.cnc", "2|M|a||e|e.cnc", kEmptyRow}));
  EXPECT_TRUE(table.Modified());

  JobTable unconverted = TableWith({"a"});
  EXPECT_EQ(unconverted.RemoveConvertedJobs(), 0);
  EXPECT_FALSE(unconverted.Modified());
}

// Rebuilds the table from the notifications alone; a change the model does
// not report leaves the copy behind.
class MirrorObserver final : public JobTableObserver {
 public:
  explicit MirrorObserver(const JobTable& table) : table_(table) {
    for (int r = 0; r < table.RowCount(); ++r)
      for (int c = 0; c < kJobColumnCount; ++c) CellAt(r, c) = table.Cell(r, c);
  }
  void RowCountChanging(int oldCount, int newCount) override {
    EXPECT_EQ(table_.RowCount(), oldCount);
    EXPECT_EQ(pending_, -1);
    pending_ = newCount;
  }
  void RowCountChanged(int, int newCount) override {
    EXPECT_EQ(pending_, newCount);
    EXPECT_EQ(table_.RowCount(), newCount);
    pending_ = -1;
    rows_.resize(static_cast<std::size_t>(newCount));
  }
  void CellChanged(int row, int column) override {
    EXPECT_EQ(pending_, -1);
    rows_.at(static_cast<std::size_t>(row))[static_cast<std::size_t>(column)] = table_.Cell(row, column);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const JobTable::Row& row : rows_) texts.push_back(Join(row));
    return texts;
  }

 private:
  std::string& CellAt(int row, int column) {
    if (rows_.size() <= static_cast<std::size_t>(row)) rows_.resize(static_cast<std::size_t>(row) + 1);
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }

  const JobTable& table_;
  std::vector<JobTable::Row> rows_;
  int pending_ = -1;
};

TEST(JobTable, TellsItsObserverAboutEveryChange) {
  JobTable table = TableWith({"a", "b"});
  MirrorObserver mirror(table);
  table.SetObserver(&mirror);
  table.WriteHeaderRow();
  EXPECT_EQ(mirror.Texts()[0], "|Markiert|Abgearbeitet|Fehler|Quelldatei|Zieldatei");
  table.SetCell(table.AppendJob(), kColumnSource, "c");
  table.ToggleMark(2, kColumnConverted);
  table.RemoveJob(1);
  table.RemoveConvertedJobs();
  table.ResetAllMarks();
  EXPECT_EQ(mirror.Texts(), Rows(table));
  table.ClearJobs();
  EXPECT_EQ(mirror.Texts(), Rows(table));
  table.SetObserver(nullptr);
}

TEST(JobTable, DetailsNameTheRowTheFileNameAndBothPaths) {
  JobTable table;
  int row = table.AppendJob();
  table.SetCell(row, kColumnSource, "C:\\CNC\\NCP\\Teil.NCP");
  table.SetCell(row, kColumnTarget, "C:\\CNC\\NCP\\Teil.cnc");
  EXPECT_EQ(JobRowDetails(table, 1, kWindowsPathSyntax),
            (std::array<std::string, 4>{"1: Teil.NCP", "", "C:\\CNC\\NCP\\Teil.NCP", "C:\\CNC\\NCP\\Teil.cnc"}));
  table.SetCell(row, kColumnSource, "/cnc/ncp/Teil:1.ncp");
  EXPECT_EQ(JobRowDetails(table, 1, kPosixPathSyntax)[0], "1: Teil:1.ncp");
  EXPECT_EQ(JobRowDetails(table, 1, kWindowsPathSyntax)[0], "1: 1.ncp");
  EXPECT_EQ(JobRowDetails(table, 2, kPosixPathSyntax), (std::array<std::string, 4>{"2: ", "", "", ""}));
}

}  // namespace
}  // namespace morvatex
