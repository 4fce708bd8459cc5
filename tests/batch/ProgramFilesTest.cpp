#include "batch/ProgramFiles.h"

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
