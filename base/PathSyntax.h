// Splitting and joining paths held as Windows-1252 text.
//
// The separators are the platform's: backslash and drive colon on Windows,
// slash elsewhere. Every function takes the separator set explicitly so the
// Windows rules can be tested on any platform; NativePathSyntax() gives the
// set of the running platform.
#pragma once

#include <string>
#include <string_view>

namespace morvatex {

struct PathSyntax {
  // Characters that end a folder name, for example "\\:" or "/".
  std::string_view separators;
};

inline constexpr PathSyntax kWindowsPathSyntax{"\\:"};
inline constexpr PathSyntax kPosixPathSyntax{"/"};

// The separator set of the platform the program runs on.
PathSyntax NativePathSyntax();

// The character a path builder puts between a folder and a name: the first
// character of the separator set ("\\" on Windows, "/" elsewhere).
char FolderSeparator(PathSyntax syntax);

// Index of the last separator in `path`, or npos when there is none.
std::size_t LastSeparator(std::string_view path, PathSyntax syntax);

// Everything up to and including the last separator; empty without one.
std::string FolderPart(std::string_view path, PathSyntax syntax);

// Everything after the last separator; the whole path without one.
std::string FileNamePart(std::string_view path, PathSyntax syntax);

// True for a path that names its place without a current folder: "/..." on
// POSIX; "C:\..." or a network path "\\server\..." on Windows.
bool IsAbsolutePath(std::string_view path, PathSyntax syntax);

// `folder` without separators at its end ("ziel/" is "ziel"), except for
// the one that makes a root: "/", and on Windows "\\" and "C:\\". A slash
// counts as a separator on Windows too.
std::string WithoutTrailingSeparators(std::string_view folder, PathSyntax syntax);

// Replaces the extension of `path` by `extension` (which brings its own dot).
// The extension is the part from the last dot that comes after the last
// separator; a file name without a dot gets `extension` appended.
std::string ChangeFileExt(std::string_view path, std::string_view extension, PathSyntax syntax);

}  // namespace morvatex
