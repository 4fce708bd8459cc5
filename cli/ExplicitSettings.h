// The settings file named with --settings. Unlike the default file beside
// the program (missing or damaged: a new configuration, as in the desktop
// program), a file the user names must hold a settings record, or nothing is
// converted.
#pragma once

#include <string>

#include "base/FileSystem.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// Loads the record of the file at `path` (Windows-1252; `shownPath` is the
// same path as the user gave it, for the message) into `settings`. The file
// is looked at before it is opened, so that a FIFO or a device is refused
// instead of waited on. Returns what is wrong with it (UTF-8, one line) or an
// empty text when the record was loaded; files longer than a record are
// accepted, as the desktop program accepts them.
std::string LoadExplicitSettings(const std::string& path, const std::string& shownPath, FileSystem& fs,
                                 SettingsRecord& settings);

}  // namespace morvatex
