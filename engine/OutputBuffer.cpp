#include "engine/OutputBuffer.h"

#include <algorithm>

#include "engine/OutcomeCodes.h"

namespace morvatex {

void OutputBuffer::Start(WritableFile& file, std::size_t capacity) {
  file_ = &file;
  capacity_ = capacity;
  text_.clear();
  handedOver_ = 0;
  marks_.clear();
  failed_ = Outcome::kSuccess;
  // The text grows past the capacity by one piece at most.
  if (capacity_ > 0) text_.reserve(capacity_ + capacity_ / 8);
}

Outcome OutputBuffer::EndPiece(Outcome failure) {
  if (failed_ != Outcome::kSuccess) {
    text_.clear();
    return failed_;
  }
  if (capacity_ == 0) {
    const bool written = file_->Write(text_);
    handedOver_ += text_.size();
    text_.clear();
    return written ? Outcome::kSuccess : failure;
  }
  if (!marks_.empty() && marks_.back().failure == failure) {
    marks_.back().end = text_.size();
  } else {
    marks_.push_back({text_.size(), failure});
  }
  return text_.size() < capacity_ ? Outcome::kSuccess : Flush();
}

Outcome OutputBuffer::Flush() {
  if (failed_ != Outcome::kSuccess || marks_.empty()) return failed_;
  const std::size_t reached = file_->WriteCounted(text_);
  if (reached < text_.size()) {
    // The first piece that ends beyond the bytes that arrived.
    const auto first = std::upper_bound(marks_.begin(), marks_.end(), reached,
                                        [](std::size_t at, const Mark& mark) { return at < mark.end; });
    failed_ = first->failure;
  }
  handedOver_ += text_.size();
  text_.clear();
  marks_.clear();
  return failed_;
}

}  // namespace morvatex
