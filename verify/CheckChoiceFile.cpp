#include "verify/CheckChoiceFile.h"

#include <string_view>

#include "base/BoundedRead.h"
#include "verify/Verification.h"

namespace morvatex {

std::string CheckChoiceFilePath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".pruefung";
}

std::optional<ControlModel> LoadCheckChoice(FileSystem& fs, const std::string& path) {
  std::string contents;
  if (!ReadSideFile(fs, path, contents)) return std::nullopt;
  std::string_view text = contents;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  ControlModel model{};
  if (!ParseControlModel(text, model)) return std::nullopt;
  return model;
}

bool SaveCheckChoice(FileSystem& fs, const std::string& path, std::optional<ControlModel> model) {
  if (path.empty()) return false;
  if (!model) return fs.RemoveFile(path) || !fs.IdentityOf(path).exists;
  return fs.ReplaceFile(path, std::string(*model == ControlModel::kRs274 ? "rs274" : "eingestellt") + "\r\n");
}

}  // namespace morvatex
