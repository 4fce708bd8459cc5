#include "settings/DialectChoiceFile.h"

#include "base/BoundedRead.h"

namespace morvatex {

std::string DialectChoiceFilePath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".sprache";
}

IselDialect LoadDialectChoice(FileSystem& fs, const std::string& path) {
  std::string contents;
  if (!ReadSideFile(fs, path, contents)) return IselDialect::kOriginal;
  std::string_view text = contents;
  // A hand-edited file may end in blanks or a line end of another kind.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  return ParseDialectName(text).value_or(IselDialect::kOriginal);
}

bool SaveDialectChoice(FileSystem& fs, const std::string& path, IselDialect dialect) {
  if (path.empty()) return false;
  return fs.ReplaceFile(path, std::string(DialectName(dialect)) + "\r\n");
}

std::optional<IselDialect> ParseDialectName(std::string_view text) {
  if (text == "original") return IselDialect::kOriginal;
  if (text == "erweitert") return IselDialect::kExtended;
  return std::nullopt;
}

std::string_view DialectName(IselDialect dialect) {
  return dialect == IselDialect::kExtended ? "erweitert" : "original";
}

}  // namespace morvatex
