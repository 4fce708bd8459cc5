// Whether the desktop program checks its outputs ("Ausgabe prüfen"), and by
// which control model, remembered in a small text file beside the settings
// file: the settings file's path with ".pruefung" appended, as the preview
// keeps its rapid rate. The file holds "rs274" or "eingestellt" and CR LF;
// without it (or with anything else in it) nothing is checked, so that
// runs, logs and messages stay as they were until a user turns it on.
#pragma once

#include <optional>
#include <string>

#include "base/FileSystem.h"
#include "verify/TracedMove.h"

namespace morvatex {

// The file beside `settingsFile`; empty for an empty settings path.
std::string CheckChoiceFilePath(const std::string& settingsFile);

// The remembered model; none when the file is missing, no regular file (it
// is never waited on), unreadable or holds no model's name.
std::optional<ControlModel> LoadCheckChoice(FileSystem& fs, const std::string& path);

// Remembers `model`; no model removes the file. False when that failed or
// `path` is empty.
bool SaveCheckChoice(FileSystem& fs, const std::string& path, std::optional<ControlModel> model);

}  // namespace morvatex
