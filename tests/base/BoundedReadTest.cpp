#include "base/BoundedRead.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/FakeFileSystem.h"
#include "tests/support/TempDir.h"

namespace morvatex {
namespace {

TEST(BoundedRead, TellsTooLargeWithoutReadingAndFailsCleanlyWithoutMemory) {
  testing::FakeFileSystem fake;
  std::string contents = "old";
  fake.files["a"] = "12345";
  EXPECT_EQ(ReadFileAtMost(fake, "a", 5, contents), BoundedRead::kRead);
  EXPECT_EQ(contents, "12345");
  EXPECT_EQ(ReadFileAtMost(fake, "a", 4, contents), BoundedRead::kTooLarge);
  EXPECT_EQ(contents, "");
  EXPECT_EQ(ReadFileAtMost(fake, "missing", 4, contents), BoundedRead::kFailed);
  fake.outOfMemoryAfterBytes["a"] = 2;
  EXPECT_EQ(ReadFileAtMost(fake, "a", 5, contents), BoundedRead::kFailed);
  EXPECT_EQ(contents, "");
  fake.outOfMemoryAfterBytes.clear();
  fake.failReadAfterBytes["a"] = 2;
  EXPECT_FALSE(ReadSideFile(fake, "a", contents));
  fake.specialFiles.insert("b");
  fake.files["b"] = "x";
  EXPECT_FALSE(ReadSideFile(fake, "b", contents));
  EXPECT_FALSE(ReadSideFile(fake, "", contents));

  // A sparse file the size of a disk costs one look at its size.
  testing::TempDir dir;
  const std::string huge = dir.Sub("morvatex.set.vorschau");
  { std::ofstream(testing::NativePath(huge)) << "12000\r\n"; }
  std::filesystem::resize_file(testing::NativePath(huge), std::uintmax_t{3} << 30);
  RealFileSystem real;
  EXPECT_EQ(ReadFileAtMost(real, huge, kSideFileLimit, contents), BoundedRead::kTooLarge);
  EXPECT_FALSE(ReadSideFile(real, huge, contents));
}

}  // namespace
}  // namespace morvatex
