#include "preview/RapidRateFile.h"

#include <algorithm>
#include <string_view>

#include "engine/IntegerReader.h"

namespace morvatex {

std::string RapidRateFilePath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".vorschau";
}

int LoadRapidRate(FileSystem& fs, const std::string& path) {
  std::string contents;
  // A FIFO or a device there would be waited on for ever.
  if (path.empty() || fs.IsSpecialFile(path) || !ReadWholeFile(fs, path, contents)) return kDefaultRapidRate;
  std::string_view text = contents;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  const IntegerRead read = ReadInteger(text);
  if (!read.ok || read.value < kMinRapidRate || read.value > kMaxRapidRate) return kDefaultRapidRate;
  return read.value;
}

bool SaveRapidRate(FileSystem& fs, const std::string& path, int rate) {
  if (path.empty()) return false;
  return fs.ReplaceFile(path, std::to_string(std::clamp(rate, kMinRapidRate, kMaxRapidRate)) + "\r\n");
}

}  // namespace morvatex
