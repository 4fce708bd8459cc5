#include "engine/LineList.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace morvatex {

LineList::LineList(const LineList& other) { *this = other; }

LineList& LineList::operator=(const LineList& other) {
  if (this == &other) return *this;
  clear();
  AppendToOpenLine(std::string_view(other.text_.get(), other.textSize_));
  ends_ = other.ends_;
  return *this;
}

LineList& LineList::operator=(LineList&& other) noexcept {
  if (this == &other) return *this;
  text_ = std::move(other.text_);
  textSize_ = std::exchange(other.textSize_, 0);
  textCapacity_ = std::exchange(other.textCapacity_, 0);
  ends_ = std::move(other.ends_);
  other.ends_ = {};
  return *this;
}

bool LineList::AppendToOpenLine(std::string_view bytes) {
  if (bytes.size() > kMaxTextSize - textSize_) return false;
  if (bytes.empty()) return true;
  if (bytes.size() > textCapacity_ - textSize_) {
    const std::size_t capacity = std::max({textSize_ + bytes.size(), textCapacity_ * 2, std::size_t{256}});
    char* grown = static_cast<char*>(std::realloc(text_.get(), capacity));
    if (grown == nullptr) throw std::bad_alloc();
    static_cast<void>(text_.release());
    text_.reset(grown);
    textCapacity_ = capacity;
  }
  std::memcpy(text_.get() + textSize_, bytes.data(), bytes.size());
  textSize_ += bytes.size();
  return true;
}

void LineList::DropClosedLines() {
  const std::size_t closed = ends_.empty() ? 0 : ends_.back();
  if (closed > 0) std::memmove(text_.get(), text_.get() + closed, textSize_ - closed);
  textSize_ -= closed;
  ends_.clear();
}

bool LineList::AnyLineContains(std::string_view word) const {
  for (std::size_t i = 0; i < size(); ++i) {
    if ((*this)[i].find(word) != std::string_view::npos) return true;
  }
  return false;
}

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

LineSplitter::Fed LineSplitter::Feed(std::string_view bytes) {
  if (ended_) return Fed::kEndOfFile;
  if (!startDecided_) {
    // The mark may arrive split over several pieces.
    while (!bytes.empty() && markBytes_ < kByteOrderMark.size() && bytes.front() == kByteOrderMark[markBytes_]) {
      ++markBytes_;
      bytes.remove_prefix(1);
    }
    if (markBytes_ == kByteOrderMark.size()) {
      startDecided_ = true;
    } else if (!bytes.empty()) {
      startDecided_ = true;  // no mark: the bytes taken for one are text
      const Fed fed = FeedText(kByteOrderMark.substr(0, markBytes_));
      if (fed != Fed::kMore) return fed;
    }
  }
  return FeedText(bytes);
}

LineSplitter::Fed LineSplitter::FeedText(std::string_view bytes) {
  while (!bytes.empty()) {
    // Copy the run of ordinary bytes up to the next special one in one go.
    std::size_t run = 0;
    while (run < bytes.size() && bytes[run] != '\n' && bytes[run] != '\r' && bytes[run] != '\x1A') ++run;
    if (run > 0) {
      if (!lines_.AppendToOpenLine(bytes.substr(0, run))) return Fed::kTooLarge;
      lineOpen_ = true;
    }
    if (run == bytes.size()) break;
    const char special = bytes[run];
    bytes.remove_prefix(run + 1);
    if (special == '\n') {
      lines_.CloseLine();
      lineOpen_ = false;
    } else if (special == '\r') {
      lineOpen_ = true;  // dropped, but the line exists
    } else {
      ended_ = true;
      return Fed::kEndOfFile;
    }
  }
  return Fed::kMore;
}

void LineSplitter::Finish() {
  if (!startDecided_) {
    startDecided_ = true;  // a file shorter than the mark: its bytes are text
    FeedText(kByteOrderMark.substr(0, markBytes_));
  }
  if (lineOpen_) lines_.CloseLine();
  lineOpen_ = false;
}

SourceReading ReadSourceLines(ReadableFile& file, LineList& lines,
                              const std::function<bool(std::size_t bytesRead)>& stop) {
  LineSplitter splitter(lines);
  constexpr std::size_t kPiece = 1 << 16;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);  // no clearing: Read fills it
  std::size_t bytes = 0;
  for (;;) {
    const std::ptrdiff_t n = file.Read(buffer.get(), kPiece);
    if (n > 0) bytes += static_cast<std::size_t>(n);
    if (stop && stop(bytes)) return SourceReading::kStopped;  // also a read that the stop interrupted
    if (n < 0) return SourceReading::kReadFailed;
    if (n == 0) {
      splitter.Finish();
      return SourceReading::kComplete;
    }
    switch (splitter.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(n)))) {
      case LineSplitter::Fed::kMore: break;
      case LineSplitter::Fed::kEndOfFile: splitter.Finish(); return SourceReading::kComplete;
      case LineSplitter::Fed::kTooLarge: return SourceReading::kTooLarge;
    }
  }
}

}  // namespace morvatex
