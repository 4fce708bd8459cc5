#include "engine/LineList.h"

#include <cstring>

namespace morvatex {

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

}  // namespace morvatex
