#include "settings/ProfileFile.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsTexts.h"

namespace morvatex {

bool LoadProfileFile(SettingsRecord& live, const std::string& path, FileSystem& fs, MessageSink& messages) {
  const bool loaded =
      ReadFirstBlock(path, fs, &live.Profil, sizeof live.Profil) && live.Profil.ProfilVersion == kProfileFormat;
  if (!loaded) ApplyNewConfiguration(live, messages);
  return loaded;
}

bool SaveProfileFile(const MachineProfile& profile, const std::string& path, FileSystem& fs, MessageSink& messages) {
  if (fs.ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(&profile), sizeof profile))) return true;
  messages.ShowMessage(SaveErrorText(path));
  return false;
}

}  // namespace morvatex
