// RealFileSystem's look into folders: one implementation for both systems,
// through std::filesystem and the native path forms of base/NativeFiles.h.
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

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

// The name for a message when Windows-1252 cannot hold it: each character
// it lacks, and each byte that is no character at all, as "?".
std::string ShownName(const std::filesystem::path& name) {
  std::string shown;
#ifdef _WIN32
  const std::wstring& wide = name.native();
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    const std::optional<unsigned char> byte = CodePointToCp1252(c);
    shown += byte ? static_cast<char>(*byte) : '?';
  }
#else
  const std::string& bytes = name.native();
  for (std::size_t i = 0; i < bytes.size();) {
    // The longest run that is one valid UTF-8 character.
    std::size_t length = 1;
    std::optional<std::string> one;
    for (; length <= 4 && i + length <= bytes.size(); ++length) {
      one = Utf8ToCp1252(std::string_view(bytes).substr(i, length));
      if (one || Utf8ToUtf16(std::string_view(bytes).substr(i, length))) break;
    }
    shown += one ? *one : "?";
    i += length <= 4 && i + length <= bytes.size() ? length : 1;
  }
#endif
  return shown;
}

// A symbolic link, or on Windows any reparse point (a junction too, which
// the standard library does not call a link).
bool IsLink(const std::filesystem::directory_entry& entry) {
#ifdef _WIN32
  const DWORD attributes = ::GetFileAttributesW(entry.path().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
  std::error_code error;
  return entry.is_symlink(error);
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
    std::error_code kindError;
    const bool isFolder = it->is_directory(kindError);
    entries.push_back({name ? *name : ShownName(it->path().filename()), isFolder, IsLink(*it), !name});
  }
  if (error) {
    entries.clear();
    return false;
  }
  return true;
}

}  // namespace morvatex
