#include "settings/ProfileFile.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsTexts.h"

namespace morvatex {

bool LadeProfil(Einstellungen& live, const std::string& path, FileSystem& fs, MessageSink& messages) {
  const bool loaded =
      ReadFirstBlock(path, fs, &live.Profil, sizeof live.Profil) && live.Profil.ProfilVersion == kProfileFormat;
  if (!loaded) NeueKonfiguration(live, messages);
  return loaded;
}

bool SpeichereProfil(const Maschinenprofil& profile, const std::string& path, FileSystem& fs,
                     MessageSink& messages) {
  if (fs.ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(&profile), sizeof profile))) return true;
  messages.ShowMessage(SpeicherFehlerText(path));
  return false;
}

}  // namespace morvatex
