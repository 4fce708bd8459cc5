// The job table: a grid of text cells in which every row between the header
// and an always-empty last row is one conversion job.
//
// Row 0 is the header, rows 1..n are the n jobs and row n + 1 is the empty
// placeholder row, so a table always has n + 2 rows. Every job row has six
// cells: its number, the marks "M" (marked for conversion), "A" (converted)
// and "E" (last conversion failed), the source path and the target path.
// Texts are Windows-1252. The main window shows this model in its grid; the
// model knows nothing about windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/PathSyntax.h"

namespace morvatex {

class FileSystem;

enum JobColumn : int {
  kColumnNumber = 0,
  kColumnMarked = 1,
  kColumnConverted = 2,
  kColumnFailed = 3,
  kColumnSource = 4,
  kColumnTarget = 5,
};
inline constexpr int kJobColumnCount = 6;

inline constexpr std::string_view kMarkMarked = "M";
inline constexpr std::string_view kMarkConverted = "A";
inline constexpr std::string_view kMarkFailed = "E";

// Told about every change, so that a view can follow the model. Row counts
// change only at the end of the table.
class JobTableObserver {
 public:
  virtual ~JobTableObserver() = default;
  // Called before and after the row count changes from `oldCount` to `newCount`.
  virtual void RowCountChanging(int oldCount, int newCount) = 0;
  virtual void RowCountChanged(int oldCount, int newCount) = 0;
  // Called after the text of one cell has changed.
  virtual void CellChanged(int row, int column) = 0;
};

class JobTable {
 public:
  using Row = std::array<std::string, kJobColumnCount>;

  // An empty table: the header row (texts still empty) and the placeholder.
  JobTable();

  // The observer is told about every later change; null detaches it.
  void SetObserver(JobTableObserver* observer) { observer_ = observer; }

  int RowCount() const { return rowCount_; }
  int JobCount() const { return RowCount() - 2; }
  // Index of the empty last row.
  int PlaceholderRow() const { return RowCount() - 1; }
  // True for rows 1..n, the rows that hold jobs.
  bool IsJobRow(int row) const { return row >= 1 && row < PlaceholderRow(); }

  // The text of a cell; empty for a row or column outside the table.
  const std::string& Cell(int row, int column) const;
  // Sets the text of a cell inside the table; other positions are ignored.
  void SetCell(int row, int column, std::string_view text);
  // Rows added at the end are empty; rows beyond the count are dropped.
  // A count below 2 is taken as 2 (header and placeholder always exist).
  void SetRowCount(int count);

  // Writes the header texts into row 0 (column 0 stays empty).
  void WriteHeaderRow();

  // Sets up `row` as a fresh job: its number in column 0, "M", no "A", no
  // "E". When `row` is the last row it becomes the empty placeholder instead
  // (columns 0, 1, 4 and 5 emptied as well). Columns 4 and 5 of any other
  // row are left as they are.
  void SetUpRow(int row);

  // Appends a job before the placeholder: a new placeholder row at the end,
  // the former placeholder set up as job row n with "M". Returns the index
  // of the new job row, whose source and target cells are still empty.
  int AppendJob();

  // Removes job row `row`: the rows below move up by one (each keeping its
  // own number in column 0) and the table shrinks by one row. Sets
  // modified. Does nothing for the header or the placeholder row.
  void RemoveJob(int row);

  // Leaves the header and one empty placeholder row and forgets the job list
  // file. modified stays as it is.
  void ClearJobs();

  // The Space key on cell (row, column): on a job row sets modified
  // and, in the columns 1 to 3, toggles that column's mark (a cell holding
  // exactly the mark becomes empty, anything else becomes the mark). Other
  // columns change no cell. Returns false (and changes nothing) when `row`
  // is not a job row.
  bool ToggleMark(int row, int column);

  // Marks every job for conversion again: "M", no "A", no "E". Leaves
  // modified as it is.
  void ResetAllMarks();

  // Removes every job row whose "A" mark is set, whatever its other marks.
  // Returns the number of rows removed (modified is set when it is
  // not 0).
  int RemoveConvertedJobs();

  // The job rows whose mark cell is exactly "M": those a batch run converts.
  int MarkedJobCount() const;

  // The table has changes that are not saved in its job list file.
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  // The job list file the table was last opened from or saved to; empty
  // for a new table.
  const std::string& ListFile() const { return listFile_; }
  void SetListFile(std::string path) { listFile_ = std::move(path); }

 private:
  // A list of a million jobs is held at a small multiple of its file's
  // size: a mark cell (columns 1 to 3) holds "" or a mark letter nearly
  // always, kept as a one-byte code; any other text of one stays in
  // otherMarks_. Rows live in a deque, so growing never copies them all.
  enum MarkCode : std::uint8_t { kMarkEmpty, kMarkM, kMarkA, kMarkE, kMarkOther };
  struct StoredRow {
    std::string number;
    std::string source;
    std::string target;
    std::array<MarkCode, 3> marks{};
  };
  static std::size_t OtherMarkKey(int row, int column) {
    return static_cast<std::size_t>(row) * kJobColumnCount + static_cast<std::size_t>(column);
  }

  void Store(int row, int column, std::string_view text);

  std::deque<StoredRow> rows_;
  int rowCount_ = 0;                               // rows_.size() except while the count changes
  std::map<std::size_t, std::string> otherMarks_;  // by OtherMarkKey
  JobTableObserver* observer_ = nullptr;
  bool modified_ = false;
  std::string listFile_;
};

// The four lines that describe job row `row` in the message field: the row
// number, ": " and the source's file name; an empty line; the source path;
// the target path. The placeholder row gives its number, ": " and three
// empty lines.
std::array<std::string, 4> JobRowDetails(const JobTable& table, int row, PathSyntax syntax);

// For each of `sources`, whether a job row already holds it as its source:
// the same text, or the same existing file under another spelling of its
// folder (links, "..", letter case where the system ignores it). Only rows
// whose file name matches, letter case folded, are looked up on disk, so a
// large table costs no look-up per row.
std::vector<bool> SourcesInTable(const JobTable& table, const std::vector<std::string>& sources, FileSystem& fs,
                                 PathSyntax syntax);

}  // namespace morvatex
