#include "base/PathSyntax.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

TEST(PathSyntax, SplitsAtTheLastBackslashOrColonOnWindows) {
  EXPECT_EQ(FolderPart("C:\\cnc\\teil.cnc.dxf", kWindowsPathSyntax), "C:\\cnc\\");
  EXPECT_EQ(FolderPart("C:teil.cnc", kWindowsPathSyntax), "C:");
  EXPECT_EQ(FolderPart("teil.cnc", kWindowsPathSyntax), "");
  EXPECT_EQ(FileNamePart("C:\\cnc\\teil.cnc", kWindowsPathSyntax), "teil.cnc");
  EXPECT_EQ(FileNamePart("C:teil", kWindowsPathSyntax), "teil");
}

TEST(PathSyntax, SplitsAtTheLastSlashOnPosix) {
  EXPECT_EQ(FolderPart("/home/cnc/teil.cnc", kPosixPathSyntax), "/home/cnc/");
  EXPECT_EQ(FolderPart("teil.cnc", kPosixPathSyntax), "");
  EXPECT_EQ(FileNamePart("/home/cnc/a\\b.cnc", kPosixPathSyntax), "a\\b.cnc");
}

TEST(PathSyntax, DropsTrailingSeparatorsButKeepsARoot) {
  const struct {
    PathSyntax syntax;
    const char* folder;
    const char* kept;
  } cases[] = {
      {kPosixPathSyntax, "/ziel/", "/ziel"},
      {kPosixPathSyntax, "ziel//", "ziel"},
      {kPosixPathSyntax, "/", "/"},
      {kPosixPathSyntax, "///", "/"},
      {kPosixPathSyntax, "/a\\", "/a\\"},
      {kPosixPathSyntax, "", ""},
      {kWindowsPathSyntax, "C:\\cnc\\", "C:\\cnc"},
      {kWindowsPathSyntax, "C:\\cnc/", "C:\\cnc"},
      {kWindowsPathSyntax, "C:\\", "C:\\"},
      {kWindowsPathSyntax, "C:\\\\", "C:\\"},
      {kWindowsPathSyntax, "C:", "C:"},
      {kWindowsPathSyntax, "\\\\server\\teile\\", "\\\\server\\teile"},
      {kWindowsPathSyntax, "\\", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithoutTrailingSeparators(c.folder, c.syntax), c.kept) << c.folder;
}

TEST(PathSyntax, ChangesOnlyTheExtensionOfTheFileName) {
  EXPECT_EQ(ChangeFileExt("C:\\CNC\\prog.exe", ".set", kWindowsPathSyntax), "C:\\CNC\\prog.set");
  EXPECT_EQ(ChangeFileExt("D:\\Teile\\Platte", ".cnc", kWindowsPathSyntax), "D:\\Teile\\Platte.cnc");
  EXPECT_EQ(ChangeFileExt("D:\\a.b\\Platte", ".cnc", kWindowsPathSyntax), "D:\\a.b\\Platte.cnc");
  EXPECT_EQ(ChangeFileExt("D:\\Teile\\Platte.x.NCP", ".", kWindowsPathSyntax), "D:\\Teile\\Platte.x.");
  EXPECT_EQ(ChangeFileExt("/opt/morvatex/bin/morvatex", ".log", kPosixPathSyntax), "/opt/morvatex/bin/morvatex.log");
  EXPECT_EQ(ChangeFileExt("/opt/v1.2/morvatex", ".set", kPosixPathSyntax), "/opt/v1.2/morvatex.set");
}

}  // namespace
}  // namespace morvatex
