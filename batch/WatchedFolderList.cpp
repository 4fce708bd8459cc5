#include "batch/WatchedFolderList.h"

#include <string_view>

#include "base/BoundedRead.h"

namespace morvatex {
namespace {

constexpr std::string_view kBlock = "[Ordner]";

bool Flag(std::string_view value) { return value == "1"; }

}  // namespace

std::string WatchedFolderListPath(const std::string& settingsFile) {
  return settingsFile.empty() ? std::string() : settingsFile + ".ueberwacht";
}

std::vector<WatchedFolderEntry> LoadWatchedFolders(FileSystem& fs, const std::string& path) {
  std::vector<WatchedFolderEntry> folders;
  std::string contents;
  if (!ReadSideFile(fs, path, contents)) return folders;
  std::vector<WatchedFolderEntry> read;
  std::size_t at = 0;
  while (at < contents.size()) {
    std::size_t end = contents.find('\n', at);
    if (end == std::string::npos) end = contents.size();
    std::string_view line(contents.data() + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == kBlock) {
      read.emplace_back();
      continue;
    }
    const std::size_t equals = line.find('=');
    if (read.empty() || equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    WatchedFolderEntry& entry = read.back();
    if (key == "Pfad") entry.folder.folder = value;
    if (key == "Muster") entry.folder.pattern = value;
    if (key == "Unterordner") entry.folder.recursive = Flag(value);
    if (key == "Archiv") entry.folder.archive = value;
    if (key == "Abfragen") entry.polling = Flag(value);
    if (key == "Automatisch") entry.autoConvert = Flag(value);
  }
  for (WatchedFolderEntry& entry : read) {
    if (!entry.folder.folder.empty()) folders.push_back(std::move(entry));
  }
  return folders;
}

bool SaveWatchedFolders(FileSystem& fs, const std::string& path, const std::vector<WatchedFolderEntry>& folders) {
  if (path.empty()) return false;
  if (folders.empty()) return fs.RemoveFile(path) || !fs.StatusOf(path).exists;
  std::string text;
  for (const WatchedFolderEntry& entry : folders) {
    text += std::string(kBlock) + "\r\n";
    text += "Pfad=" + entry.folder.folder + "\r\n";
    text += "Muster=" + entry.folder.pattern + "\r\n";
    text += std::string("Unterordner=") + (entry.folder.recursive ? "1" : "0") + "\r\n";
    text += "Archiv=" + entry.folder.archive + "\r\n";
    text += std::string("Abfragen=") + (entry.polling ? "1" : "0") + "\r\n";
    text += std::string("Automatisch=") + (entry.autoConvert ? "1" : "0") + "\r\n";
  }
  return fs.ReplaceFile(path, text);
}

}  // namespace morvatex
