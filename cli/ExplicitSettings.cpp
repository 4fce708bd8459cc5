#include "cli/ExplicitSettings.h"

#include <cerrno>
#include <string>
#include <string_view>

#include <sys/stat.h>

#include "base/Cp1252Codec.h"
#include "base/MessageSink.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFormat.h"

namespace morvatex {
namespace {

// The warnings of a new configuration are not shown: the file is refused.
class DiscardingSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view) override {}
};

}  // namespace

std::string LoadExplicitSettings(const std::string& path, const std::string& shownPath, FileSystem& fs,
                                 SettingsRecord& settings) {
#ifdef _WIN32
  // The wide call, so that every name is found; pipes and devices, which
  // stat does not tell from files, are refused before it.
  if (fs.IsSpecialFile(path)) return "settings file is not a regular file: " + shownPath;
  struct _stat64 st {};
  const std::u16string wide = Cp1252ToUtf16(path);
  if (::_wstat64(std::wstring(wide.begin(), wide.end()).c_str(), &st) != 0) {
    return (errno == ENOENT ? "settings file not found: " : "settings file cannot be read: ") + shownPath;
  }
  if (!(st.st_mode & _S_IFREG)) return "settings file is not a regular file: " + shownPath;
#else
  struct stat st {};
  if (::stat(Cp1252ToUtf8(path).c_str(), &st) != 0) {
    return (errno == ENOENT ? "settings file not found: " : "settings file cannot be read: ") + shownPath;
  }
  if (!S_ISREG(st.st_mode)) return "settings file is not a regular file: " + shownPath;
#endif
  if (st.st_size < static_cast<off_t>(kSettingsRecordSize)) {
    return "settings file too short (" + std::to_string(st.st_size) + " bytes, a settings record has " +
           std::to_string(kSettingsRecordSize) + "): " + shownPath;
  }
  DiscardingSink discard;
  if (LoadSettingsFile(settings, path, fs, discard) != LoadResult::kLoaded) {
    return "settings file cannot be read or is of another version: " + shownPath;
  }
  return {};
}

}  // namespace morvatex
