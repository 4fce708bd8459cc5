#include "batch/ProgramFiles.h"

#include <cstdlib>
#ifdef _WIN32
#include <filesystem>
#endif

#include "base/Cp1252Codec.h"
#include "batch/LogFile.h"
#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

constexpr std::string_view kUserSubfolder = "morvatex";
constexpr std::string_view kAppDataSubfolder = "Morvatex";

std::optional<std::string> Variable(const char* name) {
#ifdef _WIN32
  // The wide environment holds what the narrow one would have to guess.
  std::wstring wideName(name, name + std::char_traits<char>::length(name));
  const wchar_t* value = ::_wgetenv(wideName.c_str());
  if (!value) return std::nullopt;
  try {
    const std::u8string utf8 = std::filesystem::path(value).u8string();
    return std::string(utf8.begin(), utf8.end());
  } catch (const std::exception&) {
    return std::string("\xFF");  // not UTF-16: kept unreadable, so that it is refused, not guessed
  }
#else
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
#endif
}

struct UserFolder {
  std::string path;  // Windows-1252, ending with a separator; empty on failure
  std::string problem;
};

std::string WithSeparator(std::string folder, PathSyntax syntax) {
  if (LastSeparator(folder, syntax) + 1 != folder.size()) folder += FolderSeparator(syntax);
  return folder;
}

// The folder `subfolder` below the folder the variable `variable` names, or
// below HOME/`homeRelative` when the variable is unset, empty or relative.
// `homeVariable` is the name of HOME where the problem names it.
UserFolder MorvatexFolder(const std::optional<std::string>& value, std::string_view variable,
                          const std::optional<std::string>& home, std::string_view homeRelative, PathSyntax syntax,
                          std::string_view homeVariable = "HOME", std::string_view subfolder = kUserSubfolder) {
  std::string base;
  std::string_view from = variable;
  if (value && IsAbsolutePath(*value, syntax)) {
    base = *value;
  } else if (home && IsAbsolutePath(*home, syntax)) {
    base = WithSeparator(*home, syntax) + std::string(homeRelative);
    from = homeVariable;
  } else {
    return {{}, "Es gibt keinen Benutzerordner: " + std::string(homeVariable) + " nennt keinen absoluten Pfad."};
  }
  // Refused rather than changed: a mangled name would be another folder.
  const std::optional<std::string> folder = Utf8ToCp1252(base);
  if (!folder) {
    return {{},
            "Der Ordner in " + std::string(from) +
                std::string(Cp1252<u8" enthält Zeichen außerhalb des Zeichensatzes Windows-1252.">())};
  }
  return {WithSeparator(*folder, syntax) + std::string(subfolder) + FolderSeparator(syntax), {}};
}

}  // namespace

UserFolderEnvironment ReadUserFolderEnvironment() {
#ifdef _WIN32
  return {std::nullopt, std::nullopt, Variable("USERPROFILE"), Variable("APPDATA"), UserFolderRule::kWindowsAppData};
#else
  return {Variable("XDG_CONFIG_HOME"), Variable("XDG_STATE_HOME"), Variable("HOME")};
#endif
}

ProgramFiles LocateProgramFiles(std::string_view programPath, PathSyntax syntax, FileSystem& fs,
                                const UserFolderEnvironment& env) {
  ProgramFiles files;
  const std::string beside = SettingsPathFor(programPath, syntax);
  const std::string besideLog = LogPathFor(programPath, syntax);
  if (fs.FolderWritable(FolderPart(programPath, syntax))) {
    files.settingsPath = beside;
    files.logPath = besideLog;
    files.besideProgram = true;
    return files;
  }
  const std::string separator(1, FolderSeparator(syntax));
  UserFolder config, state;
  if (env.rule == UserFolderRule::kWindowsAppData) {
    // Settings and log together, where Windows programs keep theirs.
    config = state = MorvatexFolder(env.appData, "APPDATA", env.home, "AppData" + separator + "Roaming", syntax,
                                    "USERPROFILE", kAppDataSubfolder);
  } else {
    config = MorvatexFolder(env.xdgConfigHome, "XDG_CONFIG_HOME", env.home, ".config", syntax);
    state = MorvatexFolder(env.xdgStateHome, "XDG_STATE_HOME", env.home, ".local" + separator + "state", syntax);
  }
  files.problem = !config.problem.empty() ? config.problem : state.problem;
  if (!files.problem.empty()) {
    files.problem =
        std::string(Cp1252<u8"Der Programmordner ist schreibgeschützt. ">()) + files.problem +
        std::string(Cp1252<u8"\r\nEinstellungsdatei und Protokolldatei können deshalb nicht benutzt werden.">());
    return files;
  }
  files.settingsPath = config.path + FileNamePart(beside, syntax);
  files.logPath = state.path + FileNamePart(besideLog, syntax);
  return files;
}

void MakeUserFolders(const ProgramFiles& files, PathSyntax syntax, FileSystem& fs) {
  if (files.besideProgram) return;
  for (const std::string* path : {&files.settingsPath, &files.logPath})
    if (!path->empty()) fs.MakeFolders(FolderPart(*path, syntax));
}

}  // namespace morvatex
