#include "batch/ProgramFiles.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"

namespace morvatex {
namespace {

using testing::FakeFileSystem;

struct Case {
  const char* name;
  bool folderWritable;
  UserFolderEnvironment env;
  const char* settings;  // expected paths; both empty when there is no place
  const char* log;
  const char* problemPart;  // a piece of the problem text, or ""
};

const std::optional<std::string> kUnset;

TEST(ProgramFiles, BesideAWritableProgramElseInTheUsersFolders) {
  const Case cases[] = {
      {"writable folder keeps them beside",
       true,
       {"/x", "/y", "/home/u"},
       "/opt/m/bin/morvatex.set",
       "/opt/m/bin/morvatex.log",
       ""},
      {"XDG folders when absolute",
       false,
       {"/cfg", "/st/", "/home/u"},
       "/cfg/morvatex/morvatex.set",
       "/st/morvatex/morvatex.log",
       ""},
      {"unset falls back to HOME",
       false,
       {kUnset, kUnset, "/home/u"},
       "/home/u/.config/morvatex/morvatex.set",
       "/home/u/.local/state/morvatex/morvatex.log",
       ""},
      {"empty and relative are ignored",
       false,
       {"", "rel/state", "/home/u/"},
       "/home/u/.config/morvatex/morvatex.set",
       "/home/u/.local/state/morvatex/morvatex.log",
       ""},
      {"no HOME, but both XDG folders",
       false,
       {"/cfg", "/st", kUnset},
       "/cfg/morvatex/morvatex.set",
       "/st/morvatex/morvatex.log",
       ""},
      {"no usable HOME for the state folder", false, {"/cfg", kUnset, "home"}, "", "", "HOME"},
      {"no HOME at all", false, {kUnset, kUnset, kUnset}, "", "", "HOME"},
      {"Latin-1 letters are kept",
       false,
       {"/h\xC3\xA4user", kUnset, "/home/u"},
       "/h\xE4user/morvatex/morvatex.set",
       "/home/u/.local/state/morvatex/morvatex.log",
       ""},
      {"outside Windows-1252 is refused",
       false,
       {"/\xE2\x82\xAC/\xE2\x98\x83", kUnset, "/home/u"},
       "",
       "",
       "XDG_CONFIG_HOME"},
      {"invalid UTF-8 is refused", false, {kUnset, kUnset, "/home/\xFF"}, "", "", "HOME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    if (!c.folderWritable) fs.readOnlyFolders.insert("/opt/m/bin/");
    const ProgramFiles files = LocateProgramFiles("/opt/m/bin/morvatex", kPosixPathSyntax, fs, c.env);
    EXPECT_EQ(files.settingsPath, c.settings);
    EXPECT_EQ(files.logPath, c.log);
    EXPECT_EQ(files.besideProgram, c.folderWritable);
    EXPECT_NE(files.problem.find(c.problemPart), std::string::npos) << files.problem;
    EXPECT_EQ(files.problem.empty(), *c.problemPart == '\0');
    EXPECT_TRUE(fs.calls.empty());  // deciding touches nothing
  }
}

TEST(ProgramFiles, WindowsPathsUseTheirOwnSeparatorsAndAbsoluteForms) {
  FakeFileSystem fs;
  fs.readOnlyFolders.insert("C:\\Programme\\Morvatex\\");
  const char* program = "C:\\Programme\\Morvatex\\morvatex.exe";
  ProgramFiles files = LocateProgramFiles(program, kWindowsPathSyntax, fs, {"\\\\srv\\cfg", "D:state", "C:\\Users\\u"});
  EXPECT_EQ(files.settingsPath, "\\\\srv\\cfg\\morvatex\\morvatex.set");
  EXPECT_EQ(files.logPath, "C:\\Users\\u\\.local\\state\\morvatex\\morvatex.log");  // D:state is relative
  fs.readOnlyFolders.clear();
  files = LocateProgramFiles(program, kWindowsPathSyntax, fs, {});
  EXPECT_EQ(files.settingsPath, "C:\\Programme\\Morvatex\\morvatex.set");
}

// Installed on Windows (a folder the user may not write, as "Program Files"
// is), both files go to Morvatex in the roaming application data.
TEST(ProgramFiles, InstalledOnWindowsTheyLiveInTheApplicationData) {
  const auto windows = [](std::optional<std::string> appData, std::optional<std::string> profile) {
    UserFolderEnvironment env{"C:\\xdg", "C:\\xdg", std::move(profile), std::move(appData)};
    env.rule = UserFolderRule::kWindowsAppData;
    return env;
  };
  const Case cases[] = {
      {"writable folder keeps them beside", true, windows("C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u"),
       "C:\\Programme\\Morvatex\\morvatex.set", "C:\\Programme\\Morvatex\\morvatex.log", ""},
      {"APPDATA, not the XDG folders", false, windows("C:\\Users\\u\\AppData\\Roaming\\", "C:\\Users\\u"),
       "C:\\Users\\u\\AppData\\Roaming\\Morvatex\\morvatex.set",
       "C:\\Users\\u\\AppData\\Roaming\\Morvatex\\morvatex.log", ""},
      {"a network profile", false, windows("\\\\srv\\profile\\u", kUnset),
       "\\\\srv\\profile\\u\\Morvatex\\morvatex.set", "\\\\srv\\profile\\u\\Morvatex\\morvatex.log", ""},
      {"unset or relative APPDATA falls back to the profile", false, windows("Roaming", "D:\\Profile\\J\xC3\xBCrgen"),
       "D:\\Profile\\J\xFCrgen\\AppData\\Roaming\\Morvatex\\morvatex.set",
       "D:\\Profile\\J\xFCrgen\\AppData\\Roaming\\Morvatex\\morvatex.log", ""},
      {"no profile either", false, windows(kUnset, "C:profil"), "", "", "USERPROFILE"},
      {"outside Windows-1252 is refused", false, windows("C:\\\u0141\u00F3d\u017A", "C:\\Users\\u"), "", "", "APPDATA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    if (!c.folderWritable) fs.readOnlyFolders.insert("C:\\Programme\\Morvatex\\");
    const ProgramFiles files =
        LocateProgramFiles("C:\\Programme\\Morvatex\\morvatex.exe", kWindowsPathSyntax, fs, c.env);
    EXPECT_EQ(files.settingsPath, c.settings);
    EXPECT_EQ(files.logPath, c.log);
    EXPECT_EQ(files.besideProgram, c.folderWritable);
    EXPECT_NE(files.problem.find(c.problemPart), std::string::npos) << files.problem;
    EXPECT_EQ(files.problem.empty(), *c.problemPart == '\0');
  }
}

#ifdef _WIN32
// The wide environment, so that a profile folder outside the ANSI code page
// is read as it is.
TEST(ProgramFiles, WindowsReadsApplicationDataAndProfileFromTheWideEnvironment) {
  const wchar_t* old = ::_wgetenv(L"APPDATA");
  const std::wstring kept = old ? old : L"";
  ASSERT_EQ(::_wputenv_s(L"APPDATA", L"C:\\Users\\J\u00FCrgen\\AppData\\Roaming"), 0);
  const UserFolderEnvironment env = ReadUserFolderEnvironment();
  ::_wputenv_s(L"APPDATA", kept.c_str());
  EXPECT_EQ(env.rule, UserFolderRule::kWindowsAppData);
  EXPECT_EQ(env.appData, "C:\\Users\\J\xC3\xBCrgen\\AppData\\Roaming");
  EXPECT_FALSE(env.xdgConfigHome);
  EXPECT_TRUE(env.home);
}
#endif

TEST(ProgramFiles, OnlyTheUsersFoldersAreMade) {
  FakeFileSystem fs;
  MakeUserFolders({"/c/morvatex/morvatex.set", "/s/morvatex/morvatex.log", false, ""}, kPosixPathSyntax, fs);
  EXPECT_EQ(fs.calls, (std::vector<std::string>{"mkdir /c/morvatex/", "mkdir /s/morvatex/"}));
  fs.calls.clear();
  MakeUserFolders({"/p/morvatex.set", "/p/morvatex.log", true, ""}, kPosixPathSyntax, fs);
  MakeUserFolders({}, kPosixPathSyntax, fs);  // no place at all
  EXPECT_TRUE(fs.calls.empty());
}

}  // namespace
}  // namespace morvatex
