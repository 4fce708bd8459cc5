// The desktop program's wording of what a watched folder passed over or
// could not do (batch/FolderWatch.h), for its message field.
#pragma once

#include <string>

#include "batch/FolderWatch.h"

namespace morvatex {

// One line (Windows-1252, without line end) naming the file or folder and
// saying why; `archive` is the folder's archive.
std::string DesktopWatchNoteText(const WatchNote& note, const std::string& archive);

}  // namespace morvatex
