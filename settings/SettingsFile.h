// The settings file: one whole settings record, loaded at start-up and
// written back whenever a setting changes.
#pragma once

#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "base/MessageSink.h"
#include "base/PathSyntax.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// The settings file of a program file: its path with the extension replaced
// by ".set" (C:\CNC\prog.exe gives C:\CNC\prog.set).
std::string SettingsPathFor(std::string_view programPath, PathSyntax syntax);

enum class LoadResult {
  kLoaded,            // the file held a valid record
  kNewConfiguration,  // missing, short, unreadable or of another version
};

// Reads the first record of the settings file into `live`. A valid record is
// taken as it is, with a zero or NaN output factor silently repaired to 1.0.
// Otherwise the fields outside the profile block are reset and
// ApplyNewConfiguration fills the block and shows its two warnings. Bytes that
// no step sets (gaps, characters behind a length) keep what they held.
// Writes nothing to disk.
LoadResult LoadSettingsFile(SettingsRecord& live, const std::string& settingsPath, FileSystem& fs,
                            MessageSink& messages);

// Writes `live` as the whole settings file. The old file is replaced only by
// a complete new one; a FIFO or a device there is never written or replaced.
// On failure shows "Beim speichern der Datei" / path / "ist ein Fehler
// aufgetreten !!" and returns false; `live` is unchanged. `errorNumber`,
// when given, gets FileSystem::ReplaceFileErrorNumber's answer.
bool SaveSettingsFile(const SettingsRecord& live, const std::string& settingsPath, FileSystem& fs,
                      MessageSink& messages, int* errorNumber = nullptr);

// Stores the new-configuration values into the machine-profile block of
// `live` (nothing outside the block), then shows the two warnings.
void ApplyNewConfiguration(SettingsRecord& live, MessageSink& messages);

// The reset of the fields outside the profile block that a load does before
// a new configuration: version 4, output switches CNC on, DXF off, polylines,
// empty folders, folder rule 0. Other bytes stay as they are.
void SetRecordDefaults(SettingsRecord& live);

// The values of a new configuration for the profile block alone, without the
// warnings (the first step of ApplyNewConfiguration).
void SetNewProfileValues(MachineProfile& profile);

// Reads the first `size` bytes of the file into `block`; false, with
// `block` untouched, when the file is missing, unreadable or shorter, or a
// FIFO or a device (which is not waited on).
bool ReadFirstBlock(const std::string& path, FileSystem& fs, void* block, std::size_t size);

// Sets a factor that is zero or not a number to 1.0; others stay as they are.
void RepairFactor(double& factor);

}  // namespace morvatex
