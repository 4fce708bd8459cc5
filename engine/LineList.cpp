#include "engine/LineList.h"

#include <cstring>

namespace morvatex {

bool LineList::AnyLineContains(std::string_view word) const {
  for (std::size_t i = 0; i < size(); ++i) {
    if ((*this)[i].find(word) != std::string_view::npos) return true;
  }
  return false;
}

LineSplitter::Fed LineSplitter::Feed(std::string_view bytes) {
  if (ended_) return Fed::kEndOfFile;
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
  if (lineOpen_) lines_.CloseLine();
  lineOpen_ = false;
}

}  // namespace morvatex
