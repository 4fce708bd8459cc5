// The line index of the program viewer: it must split lines exactly as a
// conversion reads a source, so that line N shown is the line N the moves
// name, and read any stretch of lines back from the file, on a file system
// that seeks and on one that reads to the place.
#include "preview/LineIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "engine/LineList.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/TempDir.h"

namespace morvatex::testing {
namespace {

std::vector<std::string> AsSourceLines(FileSystem& fs, const std::string& path) {
  LineList list;
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  ReadSourceLines(*file, list, [](std::size_t) { return false; });
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < list.size(); ++i) lines.emplace_back(list[i]);
  return lines;
}

std::string Numbered(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "N" + std::to_string(i) + " MOVEABS X" + std::to_string(i * 7) + "\r\n";
  return text;
}

TEST(LineIndexTest, LinesAreTheSourcesLinesAndReadBackFromAnyPlace) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"CR LF", "VEL 1000\r\nPROGEND\r\n"},
      {"last line without end", "VEL 1000\r\nPROGEND"},
      {"LF alone, a lone CR", "A\nB\rC\r\n\r\n"},
      {"byte-order mark", "\xEF\xBB\xBFIMF_PBL_V1.0\r\nPROGEND\r\n"},
      {"Ctrl-Z ends the text",
       "A\r\nB\x1A"
       "C\r\nD\r\n"},
      {"blank lines", "\r\n\r\nX"},
      {"marks and pieces", Numbered(70'000)},  // longer than one piece read, many marks
  };
  TempDir dir;
  RealFileSystem real;
  FakeFileSystem fake;
  for (const Case& c : cases) {
    for (FileSystem* fs : {static_cast<FileSystem*>(&real), static_cast<FileSystem*>(&fake)}) {
      SCOPED_TRACE(std::string(c.name) + (fs == &real ? " (seeking)" : " (reading to the place)"));
      const std::string path = fs == &real ? dir.Sub("p.ncp") : "p.ncp";
      if (fs == &real) {
        ASSERT_TRUE(real.ReplaceFile(path, c.bytes));
      } else {
        fake.files[path] = c.bytes;
      }
      const std::vector<std::string> expected = AsSourceLines(*fs, path);
      const std::optional<LineIndex> index = IndexFile(*fs, path);
      ASSERT_TRUE(index.has_value());
      ASSERT_EQ(index->size(), expected.size());
      std::vector<std::string> lines;
      EXPECT_TRUE(ReadIndexedLines(*fs, path, *index, 0, expected.size() + 5, lines));
      EXPECT_EQ(lines, expected);
      // Every stretch that starts at, before and after a mark, and one that runs past the end.
      for (const std::size_t first : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{65},
                                      std::size_t{40'000}, expected.size() - 1}) {
        if (first >= expected.size()) continue;
        const std::size_t count = std::min<std::size_t>(130, expected.size() - first);
        EXPECT_TRUE(ReadIndexedLines(*fs, path, *index, first, count, lines));
        EXPECT_EQ(lines, std::vector<std::string>(expected.begin() + first, expected.begin() + first + count)) << first;
      }
    }
  }
}

TEST(LineIndexTest, AFileThatCannotBeReadHasNoIndexAndNoLines) {
  FakeFileSystem fs;
  EXPECT_FALSE(IndexFile(fs, "missing.ncp").has_value());
  fs.files["p.ncp"] = Numbered(100);
  fs.failReadAfterBytes["p.ncp"] = 10;
  EXPECT_FALSE(IndexFile(fs, "p.ncp").has_value());
  fs.failReadAfterBytes.clear();
  const std::optional<LineIndex> index = IndexFile(fs, "p.ncp");
  ASSERT_TRUE(index.has_value());
  fs.files.erase("p.ncp");  // gone since it was indexed
  std::vector<std::string> lines;
  EXPECT_FALSE(ReadIndexedLines(fs, "p.ncp", *index, 0, 10, lines));
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace morvatex::testing
