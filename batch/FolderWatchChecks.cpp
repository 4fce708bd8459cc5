#include "batch/FolderWatchChecks.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "base/BoundedRead.h"
#include "verify/Verification.h"

namespace morvatex {
namespace {

// In place of the model: the file's conversion did not carry every line over.
constexpr std::string_view kIncompleteWord = "unvollstaendig";

// Reads the number that `text` starts with, up to the next space, and
// drops it with the space; false for anything else.
template <typename Number>
bool TakeNumber(std::string_view& text, Number& number) {
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos || space == 0) return false;
  const char* end = text.data() + space;
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || stop != end) return false;
  text.remove_prefix(space + 1);
  return true;
}

}  // namespace

std::string FailedCheckListPath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".beanstandet";
}

FailedCheckList LoadFailedChecks(FileSystem& fs, const std::string& path) {
  FailedCheckList files;
  std::string contents;
  if (!ReadSideFile(fs, path, contents, kLongestFailedCheckList)) return files;
  std::string_view text(contents);
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    FailedCheck entry{{true, false, 0, 0}};
    if (!TakeNumber(line, entry.status.size) || !TakeNumber(line, entry.status.modified)) continue;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    entry.incomplete = line.substr(0, space) == kIncompleteWord;
    if (!entry.incomplete && !ParseControlModel(line.substr(0, space), entry.model)) continue;
    line.remove_prefix(space + 1);
    if (!line.empty()) files[std::string(line)] = entry;
  }
  return files;
}

bool SaveFailedChecks(FileSystem& fs, const std::string& path, const FailedCheckList& files) {
  if (path.empty()) return false;
  std::string text;
  for (const auto& [file, entry] : files) {
    if (file.find_first_of("\r\n") != std::string::npos) continue;
    const std::string_view model = entry.incomplete                      ? kIncompleteWord
                                   : entry.model == ControlModel::kRs274 ? "rs274"
                                                                         : "eingestellt";
    std::string line = std::to_string(entry.status.size) + " " + std::to_string(entry.status.modified) + " " +
                       std::string(model) + " " + file + "\r\n";
    if (text.size() + line.size() > kLongestFailedCheckList) break;
    text += line;
  }
  if (text.empty()) return fs.RemoveFile(path) || !fs.StatusOf(path).exists;
  return fs.ReplaceFile(path, text);
}

}  // namespace morvatex
