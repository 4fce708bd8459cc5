#include "base/ProgramPath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#endif

#include "base/Cp1252Codec.h"
#include "base/PathSyntax.h"

namespace morvatex {

std::optional<std::string> RunningProgramPath() {
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::nullopt;
  return Utf16ToCp1252(std::u16string(buffer.begin(), buffer.begin() + n));
#else
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return Utf8ToCp1252(path.string());
#endif
}

std::string FullPath(const std::string& path) {
  const PathSyntax syntax = NativePathSyntax();
  if (path.empty() || IsAbsolutePath(path, syntax)) return path;
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return path;
#ifdef _WIN32
  const std::optional<std::string> folder = Utf16ToCp1252(current.u16string());
#else
  const std::optional<std::string> folder = Utf8ToCp1252(current.string());
#endif
  if (!folder || folder->empty()) return path;
  const char separator = FolderSeparator(syntax);
  return folder->back() == separator ? *folder + path : *folder + separator + path;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide) {
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
      const std::wstring_view argument(wide[i]);
      arguments.push_back(Utf16ToUtf8(std::u16string(argument.begin(), argument.end())).value_or("\xFF"));
    }
    LocalFree(wide);
    return arguments;
  }
#endif
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace morvatex
