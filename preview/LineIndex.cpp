#include "preview/LineIndex.h"

#include <algorithm>
#include <cstring>

namespace morvatex {
namespace {

constexpr std::size_t kPiece = 1 << 16;
constexpr char kEndOfFile = 26;  // Ctrl-Z
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void LineIndexer::AddLine(std::uint64_t start) {
  if (index_.lines_ % LineIndex::kLinesPerMark == 0) index_.marks_.push_back(start);
  ++index_.lines_;
}

void LineIndexer::Feed(std::string_view bytes) {
  if (ended_) return;
  const std::uint64_t base = at_;
  if (const void* stop = std::memchr(bytes.data(), kEndOfFile, bytes.size())) {
    bytes = bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(stop) - bytes.data()));
    ended_ = true;
  }
  // The mark is skipped only as the very first bytes; pieces are far longer.
  if (base == 0 && bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) lineStart_ = kByteOrderMark.size();
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  for (const char* p = begin; p < end;) {
    const auto* feed = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!feed) break;
    AddLine(lineStart_);
    lineStart_ = base + static_cast<std::uint64_t>(feed - begin) + 1;
    p = feed + 1;
  }
  at_ = base + bytes.size();
}

LineIndex LineIndexer::Finish() {
  if (at_ > lineStart_) AddLine(lineStart_);
  index_.end_ = at_;
  return std::move(index_);
}

std::optional<LineIndex> IndexFile(FileSystem& fs, const std::string& path, const std::function<bool()>& stopped) {
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return std::nullopt;
  LineIndexer indexer;
  std::string piece(kPiece, '\0');
  for (;;) {
    if (stopped && stopped()) return std::nullopt;
    const std::ptrdiff_t n = file->Read(piece.data(), piece.size());
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    indexer.Feed(std::string_view(piece.data(), static_cast<std::size_t>(n)));
  }
  file->Close();
  return indexer.Finish();
}

bool ReadIndexedLines(FileSystem& fs, const std::string& path, const LineIndex& index, std::size_t first,
                      std::size_t count, std::vector<std::string>& lines) {
  lines.clear();
  if (first >= index.size()) return true;
  count = std::min(count, index.size() - first);
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  std::uint64_t at = index.MarkBefore(first);
  if (!file || !file->Skip(at)) return false;
  // Lines before `first` since the mark are passed over.
  std::size_t skip = first % LineIndex::kLinesPerMark;
  std::string line;
  std::string piece(kPiece, '\0');
  while (lines.size() < count && at < index.End()) {
    const std::ptrdiff_t n = file->Read(piece.data(), piece.size());
    if (n <= 0) return n == 0 && lines.size() == count;
    const std::size_t usable =
        static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), index.End() - at));
    at += usable;
    for (std::size_t i = 0; i < usable && lines.size() < count; ++i) {
      const char c = piece[i];
      if (c == '\n') {
        if (skip > 0) {
          --skip;
        } else {
          lines.push_back(std::move(line));
        }
        line.clear();
      } else if (c != '\r' && skip == 0 && line.size() < kMostLineBytes) {
        line += c;
      }
    }
  }
  if (lines.size() < count && skip == 0 && at >= index.End())
    lines.push_back(std::move(line));  // the last line, without an end
  file->Close();
  return lines.size() == count;
}

}  // namespace morvatex
