// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace morvatex::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // `name` (UTF-8, folders parted by "/") below the folder, as the UTF-8
  // string of its native path: with backslashes on Windows.
  std::string Sub(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The path a UTF-8 string names. On Windows, std::filesystem::path reads a
// narrow string in the ANSI code page, which loses what it cannot show.
std::filesystem::path NativePath(const std::string& utf8);

// Whether this process may make symbolic links in `folder`: Windows lets
// only administrators and developer mode make them.
bool SymbolicLinksWork(const std::filesystem::path& folder);

// Whole-file helpers for tests on the real disk; paths in UTF-8.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace morvatex::testing
