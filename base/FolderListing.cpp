// RealFileSystem's look into folders: one implementation for both systems,
// through std::filesystem and the native path forms of base/NativeFiles.h.
#include <filesystem>
#include <system_error>

#include "base/Cp1252Codec.h"
#include "base/FileSystem.h"
#include "base/NativeFiles.h"

namespace morvatex {
namespace {

// A name as the program keeps it; none when Windows-1252 cannot hold it.
std::optional<std::string> NameOf(const std::filesystem::path& name) {
#ifdef _WIN32
  const std::wstring wide = name.native();
  return Utf16ToCp1252(std::u16string(wide.begin(), wide.end()));
#else
  return Utf8ToCp1252(name.native());
#endif
}

}  // namespace

FileStatus RealFileSystem::StatusOf(const std::string& path) {
  FileStatus status;
  std::error_code error;
  const std::filesystem::path native = os::FsPath(path);
  const std::filesystem::file_status kind = std::filesystem::status(native, error);
  if (error || !std::filesystem::exists(kind)) return status;
  status.isFolder = std::filesystem::is_directory(kind);
  if (std::filesystem::is_regular_file(kind)) {
    const std::uintmax_t size = std::filesystem::file_size(native, error);
    if (error) return status;
    status.size = size;
  }
  const auto modified = std::filesystem::last_write_time(native, error);
  if (error) return status;
  status.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
  status.exists = true;
  return status;
}

bool RealFileSystem::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::error_code error;
  std::filesystem::directory_iterator it(os::FsPath(folder.empty() ? std::string(".") : folder), error);
  if (error) return false;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) {
      entries.clear();
      return false;
    }
    const std::optional<std::string> name = NameOf(it->path().filename());
    if (!name) continue;
    std::error_code kindError;
    entries.push_back({*name, it->is_directory(kindError)});
  }
  if (error) {
    entries.clear();
    return false;
  }
  return true;
}

}  // namespace morvatex
