// The desktop program's watched folders, remembered in a small text file
// beside the settings file: its path with ".ueberwacht" appended, so it goes
// wherever the settings file goes and the settings record stays as it is.
// Windows-1252 with CR LF; one block per folder:
//   [Ordner]
//   Pfad=D:\CNC\Eingang
//   Muster=*.ncp
//   Unterordner=0
//   Archiv=
//   Abfragen=0
//   Automatisch=1
// Unknown lines are skipped, so a later version's file still reads.
#pragma once

#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "batch/FolderWatch.h"

namespace morvatex {

struct WatchedFolderEntry {
  WatchedFolder folder;      // folder, pattern, sub-folders, archive
  bool polling = false;      // looked at at intervals instead of waiting for notices
  bool autoConvert = false;  // "Automatisch konvertieren"
  bool operator==(const WatchedFolderEntry& other) const {
    return folder.folder == other.folder.folder && folder.pattern == other.folder.pattern &&
           folder.recursive == other.folder.recursive && folder.archive == other.folder.archive &&
           polling == other.polling && autoConvert == other.autoConvert;
  }
};

// The file beside `settingsFile`; empty for an empty settings path.
std::string WatchedFolderListPath(const std::string& settingsFile);

// The remembered folders; none when the file is missing, is no regular file
// (never waited on) or cannot be read. Blocks without a folder are skipped.
std::vector<WatchedFolderEntry> LoadWatchedFolders(FileSystem& fs, const std::string& path);

// Writes the list (replacing the file in one step); an empty list removes
// the file, so that nothing is left while no folder is watched. False when
// that failed or `path` is empty.
bool SaveWatchedFolders(FileSystem& fs, const std::string& path, const std::vector<WatchedFolderEntry>& folders);

}  // namespace morvatex
