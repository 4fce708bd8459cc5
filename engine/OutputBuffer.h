// Collects the bytes of one output file and hands them to the file in large
// writes: one system call per line would cost more than the conversion.
//
// The writers add their text piece by piece (a line, an entity), each with
// the outcome code that its failed write gives. When a write fails, the code
// is that of the earliest piece whose bytes did not all reach the file, and
// every later piece gives the same code: what follows a hole in the file is
// worth nothing. With a capacity of 0 every piece is written at once, on its
// own, as one write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "engine/OutcomeCodes.h"

namespace morvatex {

class OutputBuffer {
 public:
  // The capacity of a new buffer: large writes, memory that stays small
  // beside the source held in memory.
  static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 20;

  // Starts collecting for `file` (not owned; it must outlive the use), and
  // writes once `capacity` bytes are collected.
  void Start(WritableFile& file, std::size_t capacity = kDefaultCapacity);

  // The text collected so far. A writer appends a piece here, then calls
  // EndPiece; nothing else may change it.
  std::string& Text() { return text_; }

  // Ends the piece appended since the last piece ended; `failure` is the
  // outcome code if its bytes do not reach the file. Returns 0, or the code
  // of a write that failed now or earlier (see above).
  Outcome EndPiece(Outcome failure);

  // Appends `bytes` as a piece of its own.
  Outcome Write(std::string_view bytes, Outcome failure) {
    text_.append(bytes);
    return EndPiece(failure);
  }

  // Hands everything collected to the file: 0, or the code of the earliest
  // piece that did not reach it.
  Outcome Flush();

  // True when the bytes of the file from offset `begin` up to `end` are all
  // collected here, not yet handed to the file (and no write failed).
  bool Holds(std::uint64_t begin, std::uint64_t end) const {
    return failed_ == Outcome::kSuccess && begin >= handedOver_ && begin <= end && end <= handedOver_ + text_.size();
  }

  // Overwrites collected bytes from file offset `offset` on, which Holds
  // must confirm; a piece keeps its outcome code.
  void Overwrite(std::uint64_t offset, std::string_view bytes) {
    text_.replace(static_cast<std::size_t>(offset - handedOver_), bytes.size(), bytes);
  }

 private:
  struct Mark {
    std::size_t end;  // offset in text_ just after the piece
    Outcome failure;
  };
  WritableFile* file_ = nullptr;
  std::size_t capacity_ = 0;
  std::string text_;
  std::uint64_t handedOver_ = 0;        // bytes given to the file before those in text_
  std::vector<Mark> marks_;             // the pieces in text_; neighbours with one code share a mark
  Outcome failed_ = Outcome::kSuccess;  // the code of a collected write that failed
};

}  // namespace morvatex
