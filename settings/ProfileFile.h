// Machine profile files (".Prof"): exactly the 1960-byte machine-profile
// block of the settings record, nothing else.
#pragma once

#include <string>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// Reads the first block of the file straight into the profile block of
// `live`. The load has failed when the file cannot be opened or holds fewer
// than 1960 bytes (the block is then untouched), or when the block read has
// another `ProfilVersion` than 6. On failure ApplyNewConfiguration resets the
// block and shows its two warnings; false is returned and the caller reports
// the open error. Fields outside the block are never touched, and the
// factors are taken as read.
bool LoadProfileFile(SettingsRecord& live, const std::string& path, FileSystem& fs, MessageSink& messages);

// Writes `profile` as the whole profile file. The old file is replaced only
// by a complete new one, so a failed save leaves it as it was. On failure
// shows "Beim speichern der Datei" / path / "ist ein Fehler aufgetreten !!"
// and returns false.
bool SaveProfileFile(const MachineProfile& profile, const std::string& path, FileSystem& fs, MessageSink& messages);

}  // namespace morvatex
