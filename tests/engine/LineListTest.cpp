#include "engine/LineList.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvatex {
namespace {

// Splits `bytes`, fed in pieces of `chunk` bytes, and returns the lines.
std::vector<std::string> Split(std::string_view bytes, std::size_t chunk = 1 << 16) {
  LineList lines;
  LineSplitter splitter(lines);
  bool going = true;
  for (std::size_t at = 0; at < bytes.size() && going; at += chunk) {
    going = splitter.Feed(bytes.substr(at, chunk)) == LineSplitter::Fed::kMore;
  }
  splitter.Finish();
  std::vector<std::string> out;
  for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
  return out;
}

using Lines = std::vector<std::string>;

TEST(LineSplitter, EndsLinesAtLfOrCrLfAndDropsLoneCr) {
  EXPECT_EQ(Split("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(Split("PROG\rEND\r\n"), (Lines{"PROGEND"}));
  EXPECT_EQ(Split("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(Split(""), Lines{});
  EXPECT_EQ(Split("\n\n"), (Lines{"", ""}));
}

TEST(LineSplitter, StopsAtCtrlZ) {
  EXPECT_EQ(Split("a\r\nb\x1A"
                  "c\r\nd\r\n"),
            (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\r\n\x1A"), (Lines{"a"}));
}

TEST(LineSplitter, GivesTheSameLinesWhateverTheChunkSize) {
  const std::string text = "N1 MOVEABS X1\r\n\r\nN2\rX\n\r\nN3 PROGEND\x1Arest";
  const Lines whole = Split(text);
  for (std::size_t chunk : {1, 2, 3, 7}) EXPECT_EQ(Split(text, chunk), whole) << chunk;
  EXPECT_EQ(whole, (Lines{"N1 MOVEABS X1", "", "N2X", "", "N3 PROGEND"}));
}

TEST(LineSplitter, SkipsAByteOrderMarkOnlyAtTheVeryStart) {
  const struct {
    std::string_view bytes;
    Lines lines;
  } cases[] = {
      {"\xEF\xBB\xBFGETTOOL 5\r\nPROGEND\r\n", {"GETTOOL 5", "PROGEND"}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB\xBF\xEF\xBB\xBFX", {"\xEF\xBB\xBFX"}},
      {"\xEF\xBBX\r\n", {"\xEF\xBBX"}},
      {"\xEF\xBB", {"\xEF\xBB"}},
      {"\xEF\x1A", {"\xEF"}},
      {"A\xEF\xBB\xBF", {"A\xEF\xBB\xBF"}},
  };
  for (const auto& c : cases) {
    for (std::size_t chunk : {1, 2, 64}) EXPECT_EQ(Split(c.bytes, chunk), c.lines) << c.bytes << " " << chunk;
  }
}

TEST(LineSplitter, KeepsNulAndHighBytes) {
  const std::string text("a\0b\xFF\r\n", 6);
  const Lines lines = Split(text);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], std::string("a\0b\xFF", 4));
}

TEST(LineList, FindsAWordOnlyWithinOneLine) {
  LineList lines;
  lines.push_back("N1 PROG");
  lines.push_back("END");
  EXPECT_FALSE(lines.AnyLineContains("PROGEND"));
  lines.push_back("; PROGEND im Kommentar");
  EXPECT_TRUE(lines.AnyLineContains("PROGEND"));
  EXPECT_EQ(lines.back(), "; PROGEND im Kommentar");
}

// Walking a source a piece at a time: the complete lines go, the one being
// built stays and goes on in the next piece.
TEST(LineList, DropClosedLinesKeepsTheLineBeingBuilt) {
  const struct {
    std::string_view first, second;
    Lines before, after;
  } cases[] = {
      {"ab\r\ncd", "e\r\nf", {"ab"}, {"cde", "f"}},
      {"ab\r\n", "cd", {"ab"}, {"cd"}},
      {"abc", "d\r\n", {}, {"abcd"}},
      {"\r\n\r\n", "\r\n", {"", ""}, {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    LineList lines;
    LineSplitter splitter(lines);
    const auto read = [&] {
      Lines out;
      for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
      return out;
    };
    splitter.Feed(c.first);
    EXPECT_EQ(read(), c.before);
    lines.DropClosedLines();
    EXPECT_TRUE(lines.empty());
    splitter.Feed(c.second);
    splitter.Finish();
    EXPECT_EQ(read(), c.after);
  }
}

}  // namespace
}  // namespace morvatex
