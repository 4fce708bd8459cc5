#include "base/ProgramPath.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/Cp1252Codec.h"

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

}  // namespace morvatex
