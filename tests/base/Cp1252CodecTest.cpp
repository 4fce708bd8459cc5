#include "base/Cp1252Codec.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

TEST(Cp1252Codec, EveryByteSurvivesTheRoundTripThroughUtf8AndUtf16) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
}

TEST(Cp1252Codec, MapsTheSpecialCharactersOfTheCodePage) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
  EXPECT_EQ(Cp1252ToUtf8("\xFC\xC4\xDF"), "\u00FC\u00C4\u00DF");
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\u0178");
  EXPECT_EQ(Utf8ToCp1252("\u2013\u201E"), std::string("\x96\x84"));
}

TEST(Cp1252Codec, RefusesWhatTheCodePageCannotHoldInsteadOfReplacingIt) {
  EXPECT_FALSE(Utf8ToCp1252("\u0141ukasz"));       // Ł
  EXPECT_FALSE(Utf8ToCp1252("\xF0\x9F\x98\x80"));  // outside the basic plane
  EXPECT_FALSE(Utf16ToCp1252(u"\u0141"));
  EXPECT_FALSE(Utf16ToCp1252(std::u16string(1, char16_t(0xD800))));
}

TEST(Cp1252Codec, RefusesMalformedUtf8) {
  EXPECT_FALSE(Utf8ToCp1252("\xC3"));          // cut short
  EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF"));      // overlong slash
  EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(Utf8ToCp1252("\xFC"));          // a Windows-1252 byte is not UTF-8
  EXPECT_EQ(Utf8ToCp1252(""), std::string());
}

TEST(Cp1252Codec, ConvertsBetweenUtf8AndUtf16AndRefusesBrokenText) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } pairs[] = {
      {"", u""},
      {"teil.ncp", u"teil.ncp"},
      {"Gr\u00F6\u00DFe \u0141\u00F3d\u017A \u20AC", u"Gr\u00F6\u00DFe \u0141\u00F3d\u017A \u20AC"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // outside the basic plane: a surrogate pair
      {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", u"\xFFFF\xDBFF\xDFFF"},
  };
  for (const auto& [utf8, utf16] : pairs) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
  }
  for (const std::u16string broken : {u"\xD800", u"a\xDC00", u"\xD83Dx", u"\xDE00\xD83D"})
    EXPECT_FALSE(Utf16ToUtf8(broken));
  for (const std::string broken : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xFC", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(Utf8ToUtf16(broken));
}

TEST(Cp1252Codec, ConvertsProgramTextsAtCompileTime) {
  constexpr std::string_view kText = Cp1252<u8"überprüfen € Maß">();
  EXPECT_EQ(kText, std::string_view("\xFC"
                                    "berpr\xFC"
                                    "fen \x80 Ma\xDF"));
  static_assert(Cp1252<u8"abc">().size() == 3);
}

}  // namespace
}  // namespace morvatex
