// The Isel language the programs are read in ("Isel-Sprache" of the settings
// dialog; the converter's default for --isel), remembered in a small text
// file beside the settings file: the settings file's path with ".sprache"
// appended, as the output check keeps its model. The file holds "original"
// or "erweitert" and CR LF. Without it, or with anything else in it, the
// programs are read in the original language, so that every conversion
// stays as it was until a user chooses otherwise. Never in the settings
// record, whose layout is fixed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "settings/IselDialect.h"

namespace morvatex {

// The file beside `settingsFile`; empty for an empty settings path.
std::string DialectChoiceFilePath(const std::string& settingsFile);

// The remembered language; the original one when the file is missing, no
// regular file (it is never waited on), unreadable or names no language.
IselDialect LoadDialectChoice(FileSystem& fs, const std::string& path);

// Remembers `dialect`, replacing the file in one step. False when that
// failed or `path` is empty.
bool SaveDialectChoice(FileSystem& fs, const std::string& path, IselDialect dialect);

// The language named `text` as the file and --isel name it ("original",
// "erweitert", in lower case); none for any other text.
std::optional<IselDialect> ParseDialectName(std::string_view text);

// The name of `dialect` as ParseDialectName reads it.
std::string_view DialectName(IselDialect dialect);

}  // namespace morvatex
