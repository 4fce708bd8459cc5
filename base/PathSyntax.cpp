#include "base/PathSyntax.h"

namespace morvatex {

PathSyntax NativePathSyntax() {
#ifdef _WIN32
  return kWindowsPathSyntax;
#else
  return kPosixPathSyntax;
#endif
}

char FolderSeparator(PathSyntax syntax) { return syntax.separators.empty() ? '/' : syntax.separators.front(); }

std::size_t LastSeparator(std::string_view path, PathSyntax syntax) { return path.find_last_of(syntax.separators); }

std::string FolderPart(std::string_view path, PathSyntax syntax) {
  const std::size_t last = LastSeparator(path, syntax);
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string FileNamePart(std::string_view path, PathSyntax syntax) {
  const std::size_t last = LastSeparator(path, syntax);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool IsAbsolutePath(std::string_view path, PathSyntax syntax) {
  if (syntax.separators.find(':') == std::string_view::npos) return path.starts_with('/');
  const bool driveRoot = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  return driveRoot || path.starts_with("\\\\");
}

std::string ChangeFileExt(std::string_view path, std::string_view extension, PathSyntax syntax) {
  const std::size_t last = LastSeparator(path, syntax);
  const std::size_t nameStart = last == std::string_view::npos ? 0 : last + 1;
  const std::size_t dot = path.rfind('.');
  const std::size_t cut = (dot != std::string_view::npos && dot >= nameStart) ? dot : path.size();
  std::string result(path.substr(0, cut));
  result.append(extension);
  return result;
}

std::string WithoutTrailingSeparators(std::string_view folder, PathSyntax syntax) {
  const bool windows = syntax.separators.find('\\') != std::string_view::npos;
  const auto separator = [windows](char c) { return c == '/' || (windows && c == '\\'); };
  std::size_t end = folder.size();
  while (end > 0 && separator(folder[end - 1])) --end;
  if (end == folder.size()) return std::string(folder);
  // A root keeps its separator: without it "C:" would name the drive's
  // current folder, and "" the program's.
  if (end == 0 || (windows && end == 2 && folder[1] == ':')) ++end;
  return std::string(folder.substr(0, end));
}

}  // namespace morvatex
