#include "base/BoundedRead.h"

#include <memory>
#include <new>

namespace morvatex {
namespace {

BoundedRead ReadInto(ReadableFile& file, std::size_t limit, std::string& contents) {
  char buffer[1 << 14];
  for (;;) {
    const std::ptrdiff_t n = file.Read(buffer, sizeof buffer);
    if (n < 0) return BoundedRead::kFailed;
    if (n == 0) return BoundedRead::kRead;
    if (contents.size() + static_cast<std::size_t>(n) > limit) return BoundedRead::kTooLarge;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

BoundedRead ReadFileAtMost(FileSystem& fs, const std::string& path, std::size_t limit, std::string& contents) {
  contents.clear();
  if (fs.StatusOf(path).size > limit) return BoundedRead::kTooLarge;
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return BoundedRead::kFailed;
  BoundedRead result = BoundedRead::kFailed;
  try {
    result = ReadInto(*file, limit, contents);
  } catch (const std::bad_alloc&) {
    result = BoundedRead::kFailed;
  }
  if (!file->Close() && result == BoundedRead::kRead) result = BoundedRead::kFailed;
  if (result != BoundedRead::kRead) std::string().swap(contents);
  return result;
}

bool ReadSideFile(FileSystem& fs, const std::string& path, std::string& contents, std::size_t limit) {
  contents.clear();
  if (path.empty() || fs.IsSpecialFile(path)) return false;
  return ReadFileAtMost(fs, path, limit, contents) == BoundedRead::kRead;
}

}  // namespace morvatex
