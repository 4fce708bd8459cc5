#include "cli/ConsoleOutput.h"

#include <ostream>
#include <vector>

#include <gtest/gtest.h>

namespace morvatex {
namespace {

// What a console receives for the report pieces written one after the other.
struct Console {
  std::vector<std::u16string> writes;
  bool fails = false;
  Utf16OutputBuffer buffer{[this](std::u16string_view text) {
    writes.emplace_back(text);
    return !fails;
  }};
  std::u16string Shown() const {
    std::u16string all;
    for (const std::u16string& w : writes) all += w;
    return all;
  }
};

TEST(ConsoleOutput, ShowsUtf8ReportsAsUtf16WhereverTheWritesSplitThem) {
  const struct {
    const char* what;
    std::vector<std::string> pieces;
    std::u16string shown;
  } cases[] = {
      {"umlauts", {" Quelldatei: Gr\u00F6\u00DFe.ncp\n"}, u" Quelldatei: Gr\u00F6\u00DFe.ncp\n"},
      {"a character split between writes", {"Gr\xC3", "\xB6\xC3", "\x9F", "e\n"}, u"Gr\u00F6\u00DFe\n"},
      {"three and four bytes split", {"\xE2\x82", "\xAC \xF0\x9F", "\x98\x80\n"}, u"\u20AC \xD83D\xDE00\n"},
      {"no UTF-8 shows as a replacement",
       {"Gr\xF6\xDF"
        "e \xC3\n"},
       u"Gr\uFFFD\uFFFDe \uFFFD\n"},
      {"an unfinished character waits for its rest", {"ab\xE2\x82"}, u"ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Console console;
    std::ostream out(&console.buffer);
    for (const std::string& piece : c.pieces) out << piece;
    out.flush();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(console.Shown(), c.shown);
  }
}

TEST(ConsoleOutput, WritesEachLineAtOnceAndTheRestOnlyAtAFlush) {
  Console console;
  std::ostream out(&console.buffer);
  out << "Zeile:   1"
      << ":Fehlerstatus: 0\n Quelldatei: ";
  EXPECT_EQ(console.writes, std::vector<std::u16string>{u"Zeile:   1:Fehlerstatus: 0\n Quelldatei: "});
  out << "a.ncp";
  EXPECT_EQ(console.writes.size(), 1u);
  out.flush();
  EXPECT_EQ(console.Shown(), u"Zeile:   1:Fehlerstatus: 0\n Quelldatei: a.ncp");
}

// A console that takes nothing fails the stream, so that the converter ends
// with the status of a lost report.
TEST(ConsoleOutput, AFailedWriteFailsTheStream) {
  Console console;
  console.fails = true;
  std::ostream out(&console.buffer);
  out << "Fehlerstatus: 0";
  out.flush();
  EXPECT_FALSE(out.good());
}

}  // namespace
}  // namespace morvatex
