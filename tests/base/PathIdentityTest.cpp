#include "base/PathIdentity.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/FileSystem.h"
#include "base/StagedName.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

TEST(PathIdentity, WindowsFoldsAccentedLettersAndTheFolderRuleAToZOnly) {
  const struct {
    const char* a;
    const char* b;
    bool samePath;    // SamePathOnWindows
    bool asciiMatch;  // StartsWithFoldingAsciiCase, same length
  } cases[] = {
      {"C:\\CNC\\Teil.ncp", "c:\\cnc\\TEIL.NCP", true, true},
      {"\xC4rger", "\xE4RGER", true, false},  // Ärger, äRGER
      {"\xDE", "\xFE", true, false},          // Þ, þ
      {"\xD7", "\xF7", false, false},         // × and ÷ are no letters
      {"\xDF", "\xFF", false, false},         // ß, ÿ: no pair in Windows-1252
      {"a", "b", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SamePathOnWindows(c.a, c.b), c.samePath) << c.a;
    EXPECT_EQ(PathKeyOnWindows(c.a) == PathKeyOnWindows(c.b), c.samePath) << c.a;
    EXPECT_EQ(StartsWithFoldingAsciiCase(c.a, c.b), c.asciiMatch) << c.a;
  }
}

// The real file system and the fake stage their files under names of one
// form, so that a watched folder passes over the staged outputs of both.
TEST(PathIdentity, StagedNamesOfTheRealAndTheFakeFileSystemAreKnownAsSuch) {
  testing::TempDir dir;
  RealFileSystem real;
  testing::FakeFileSystem fake;
  for (const std::string& name : {std::string("teil.cnc"), std::string(250, 'x')}) {
    SCOPED_TRACE(name.size());
    StagedFile staged = real.CreateStagedFile(dir.Sub(name));
    ASSERT_TRUE(staged.file);
    staged.file->Close();
    EXPECT_TRUE(IsStagedName(std::filesystem::path(staged.path).filename().string())) << staged.path;
    EXPECT_FALSE(IsStagedName(name));
    real.RemoveFile(staged.path);
  }
  EXPECT_TRUE(IsStagedName(fake.CreateStagedFile("teil.cnc").path));
  EXPECT_FALSE(IsStagedName("teil.cnc.~"));
}

}  // namespace
}  // namespace morvatex
