#include "settings/DialectChoiceFile.h"

#include <gtest/gtest.h>

#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {
namespace {

TEST(DialectChoiceFile, RememberedBesideTheSettingsAndOriginalUnlessItNamesTheExtendedOne) {
  const std::string path = DialectChoiceFilePath("C:\\cnc\\morvatex.set");
  EXPECT_EQ(path, "C:\\cnc\\morvatex.set.sprache");
  EXPECT_EQ(DialectChoiceFilePath(""), "");
  struct Case {
    const char* name;
    const char* contents;  // null: no file
    IselDialect read;
    bool special = false;
    bool unreadable = false;
  };
  const Case cases[] = {
      {"no file", nullptr, IselDialect::kOriginal},
      {"as written", "erweitert\r\n", IselDialect::kExtended},
      {"by hand, without a line end", "erweitert", IselDialect::kExtended},
      {"by hand, with a blank and LF", "erweitert \n", IselDialect::kExtended},
      {"original", "original\r\n", IselDialect::kOriginal},
      {"another case", "Erweitert\r\n", IselDialect::kOriginal},
      {"a second line", "erweitert\r\noriginal\r\n", IselDialect::kOriginal},
      {"empty", "", IselDialect::kOriginal},
      {"a FIFO, never waited on", "erweitert\r\n", IselDialect::kOriginal, true},
      {"unreadable", "erweitert\r\n", IselDialect::kOriginal, false, true},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    if (c.contents) fs.files[path] = c.contents;
    if (c.special) fs.specialFiles.insert(path);
    if (c.unreadable) fs.failOpenRead.insert(path);
    EXPECT_EQ(LoadDialectChoice(fs, path), c.read) << c.name;
  }
  FakeFileSystem fs;
  for (const IselDialect dialect : {IselDialect::kExtended, IselDialect::kOriginal}) {
    ASSERT_TRUE(SaveDialectChoice(fs, path, dialect));
    EXPECT_EQ(LoadDialectChoice(fs, path), dialect);
  }
  EXPECT_EQ(fs.files[path], "original\r\n");
  fs.failReplace.insert(path);
  EXPECT_FALSE(SaveDialectChoice(fs, path, IselDialect::kExtended));
  EXPECT_EQ(fs.files[path], "original\r\n");
  EXPECT_FALSE(SaveDialectChoice(fs, "", IselDialect::kExtended));
}

}  // namespace
}  // namespace morvatex::testing
