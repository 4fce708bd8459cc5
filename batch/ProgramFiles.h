// Where the settings file and the log of the desktop program live. A program
// run from a folder it may write to (its build folder, a copy on a USB stick)
// keeps them beside itself, named after the program file. An installed
// program cannot write its folder, so they go to the user's folders instead:
// the settings under $XDG_CONFIG_HOME/morvatex/, the log under
// $XDG_STATE_HOME/morvatex/, with the same file names; on Windows both under
// %APPDATA%\Morvatex\.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "base/PathSyntax.h"

namespace morvatex {

// Which convention names the user's folders.
enum class UserFolderRule {
  kXdg,             // XDG_CONFIG_HOME and XDG_STATE_HOME, else below HOME
  kWindowsAppData,  // APPDATA, else USERPROFILE\AppData\Roaming
};

// The environment values that name the user's folders, as the system gives
// them (UTF-8); nothing for a variable that is not set.
struct UserFolderEnvironment {
  std::optional<std::string> xdgConfigHome;
  std::optional<std::string> xdgStateHome;
  std::optional<std::string> home;  // USERPROFILE on Windows
  std::optional<std::string> appData{};
  UserFolderRule rule = UserFolderRule::kXdg;
};

// Reads XDG_CONFIG_HOME, XDG_STATE_HOME and HOME; on Windows APPDATA and
// USERPROFILE, with the Windows rule.
UserFolderEnvironment ReadUserFolderEnvironment();

struct ProgramFiles {
  // Windows-1252 paths; both empty when there is no usable place.
  std::string settingsPath;
  std::string logPath;
  // The files lie beside the program (its folder is writable).
  bool besideProgram = false;
  // Why there is no place, as a message for the user (Windows-1252); empty
  // when the paths are set.
  std::string problem;
};

// The settings and log paths of the program file `programPath` (Windows-1252).
// When `fs` says its folder is writable: the program path with ".set" and
// ".log". Otherwise the same file names in "morvatex" below the user's
// config and state folders: the XDG variable when it holds an absolute path,
// else (unset, empty or relative, which the XDG rules say to ignore)
// HOME/.config and HOME/.local/state. With the Windows rule both go to
// "Morvatex" below APPDATA when it holds an absolute path, else below
// USERPROFILE\AppData\Roaming. Without an absolute HOME (USERPROFILE), or
// with a folder that Windows-1252 cannot write, there is no place: the problem
// says which variable is at fault. Touches nothing on disk.
ProgramFiles LocateProgramFiles(std::string_view programPath, PathSyntax syntax, FileSystem& fs,
                                const UserFolderEnvironment& env);

// Creates the folders of the settings file and the log when they are the
// user's folders (beside the program they exist). Failures show later, when
// the files are written.
void MakeUserFolders(const ProgramFiles& files, PathSyntax syntax, FileSystem& fs);

}  // namespace morvatex
