// The source program as a list of lines, held compactly: all line texts in
// one buffer plus one 32-bit end offset per line, so that memory stays
// within a small multiple of the file's size even for files of empty lines.
// The texts of all lines together are limited to 4 GiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FileSystem.h"

namespace morvatex {

class LineList {
 public:
  LineList() = default;
  LineList(const LineList& other);
  LineList(LineList&& other) noexcept { *this = std::move(other); }
  LineList& operator=(const LineList& other);
  // The moved-from list is empty and holds no storage.
  LineList& operator=(LineList&& other) noexcept;

  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  // Line `index` (0-based, below size()) without its line end.
  std::string_view operator[](std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_.get() + begin, ends_[index] - begin);
  }
  // The last line, or an empty text when there is none.
  std::string_view back() const { return empty() ? std::string_view() : (*this)[size() - 1]; }

  // The most text bytes the list can hold.
  static constexpr std::size_t kMaxTextSize = std::numeric_limits<std::uint32_t>::max();

  void clear() {
    textSize_ = 0;
    ends_.clear();
  }
  // Forgets the complete lines and keeps the bytes of the one being built,
  // so that a source can be walked through a piece at a time.
  void DropClosedLines();
  // Adds bytes to the line being built; false (and nothing added) when the
  // list would grow beyond kMaxTextSize. Throws std::bad_alloc when memory
  // runs out.
  bool AppendToOpenLine(std::string_view bytes);
  // Ends the line being built (possibly empty) and starts the next.
  void CloseLine() { ends_.push_back(static_cast<std::uint32_t>(textSize_)); }
  void push_back(std::string_view line) {
    AppendToOpenLine(line);
    CloseLine();
  }

  // True when some line contains `word`.
  bool AnyLineContains(std::string_view word) const;

 private:
  // The text grows with realloc, which for a large buffer maps its pages
  // anew instead of copying them: a long file is not held twice while it is
  // read.
  struct FreeText {
    void operator()(char* text) const { std::free(text); }
  };
  std::unique_ptr<char, FreeText> text_;
  std::size_t textSize_ = 0, textCapacity_ = 0;
  std::vector<std::uint32_t> ends_;
};

// Splits a byte stream into lines as a text file reader does: a line ends at
// LF or CR LF and its line end is not kept, a CR not followed by LF is
// dropped, and the byte 26 (Ctrl-Z) ends the file. Bytes after the last line
// end form a last line. A UTF-8 byte-order mark at the very start (editors
// put one there) is skipped; it would otherwise hide the first command.
class LineSplitter {
 public:
  explicit LineSplitter(LineList& lines) : lines_(lines) {}
  enum class Fed {
    kMore,       // ready for the next bytes
    kEndOfFile,  // Ctrl-Z was met; everything after it is ignored
    kTooLarge,   // the list cannot hold more text
  };
  // Feeds the next bytes of the file.
  Fed Feed(std::string_view bytes);
  // Ends the file: an open last line is added to the list.
  void Finish();

 private:
  Fed FeedText(std::string_view bytes);

  LineList& lines_;
  bool lineOpen_ = false;  // bytes were met since the last line end
  bool ended_ = false;
  // Bytes of the byte-order mark met so far at the start of the stream, and
  // whether the start has been decided (mark skipped, or none there).
  std::size_t markBytes_ = 0;
  bool startDecided_ = false;
};

enum class SourceReading {
  kComplete,    // to the end of the file or to Ctrl-Z
  kStopped,     // `stop` said so
  kReadFailed,  // the lines read so far stay
  kTooLarge,    // beyond what the list can hold
};

// Reads `file` into `lines` as a source program is read: in pieces, each
// fed to a LineSplitter as it comes, so that the file is never held twice.
// After every piece `stop` hears how many bytes came so far and may end the
// reading, also when the read itself was given up for a stop. The file is
// not closed.
SourceReading ReadSourceLines(ReadableFile& file, LineList& lines,
                              const std::function<bool(std::size_t bytesRead)>& stop);

}  // namespace morvatex
