// Where the lines of a text file start, so that a long program can be shown a
// few lines at a time, read from the file when they come into view, never
// held whole. Lines are split as the conversion reads a source
// (engine/LineList.h): a line ends at LF, a CR is dropped, Ctrl-Z ends the
// file, a byte-order mark at the start is skipped, bytes after the last line
// end form a last line. So line N here is line N of the trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"

namespace morvatex {

// One offset for every kLinesPerMark lines: a 3,000,000-line program keeps
// about 370 KiB, and a line is found by reading at most that many lines.
class LineIndex {
 public:
  static constexpr std::size_t kLinesPerMark = 64;
  std::size_t size() const { return lines_; }
  bool empty() const { return lines_ == 0; }
  // The offset where line `index` (0-based) is searched from: the start of
  // the line kLinesPerMark * (index / kLinesPerMark).
  std::uint64_t MarkBefore(std::size_t index) const { return marks_[index / kLinesPerMark]; }
  // Where the text ends: the file's end or its Ctrl-Z.
  std::uint64_t End() const { return end_; }

 private:
  friend class LineIndexer;
  std::vector<std::uint64_t> marks_;
  std::size_t lines_ = 0;
  std::uint64_t end_ = 0;
};

// Builds a LineIndex from the bytes of a file, fed in pieces as they come.
class LineIndexer {
 public:
  void Feed(std::string_view bytes);
  LineIndex Finish();

 private:
  void AddLine(std::uint64_t start);

  LineIndex index_;
  std::uint64_t at_ = 0;         // bytes fed so far
  std::uint64_t lineStart_ = 0;  // the start of the line in hand
  bool ended_ = false;           // Ctrl-Z was met
};

// Indexes the file at `path`; none when it cannot be read or `stopped` said
// so (asked after every piece read).
std::optional<LineIndex> IndexFile(FileSystem& fs, const std::string& path, const std::function<bool()>& stopped = {});

// Longer lines are cut to this many bytes when read: a stray binary file
// must not make one line of megabytes.
inline constexpr std::size_t kMostLineBytes = 4096;

// Reads lines `first` to `first + count - 1` (0-based, clamped to the index)
// of the file at `path` that `index` describes, without their line ends and
// CRs. Returns false when the file cannot be read; `lines` then holds what
// was read.
bool ReadIndexedLines(FileSystem& fs, const std::string& path, const LineIndex& index, std::size_t first,
                      std::size_t count, std::vector<std::string>& lines);

}  // namespace morvatex
