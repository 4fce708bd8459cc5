// The one place where text changes its encoding.
//
// Everything the program keeps in memory and writes to disk is Windows-1252
// text held as bytes: paths, settings texts, file contents. Unicode appears
// only at the edges, in the strings of the windowing toolkit and in the
// paths of the operating system; those edges convert through this module.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvatex {

// Code points of the bytes 0x80 to 0x9F; every other byte of the code page is
// its own code point (the page equals ISO-8859-1 there).
inline constexpr std::array<char32_t, 32> kCp1252HighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The Unicode code point of one Windows-1252 byte. The five bytes that the
// code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// controls of the same value, as Windows does, so every byte has a code point
// and every byte string survives a round trip.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or nothing when the code page
// cannot show the character.
std::optional<unsigned char> CodePointToCp1252(char32_t codePoint);

// Windows-1252 bytes to UTF-8; never fails.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. Nothing when the input is not valid UTF-8 or holds a
// character outside the code page: no character is ever replaced silently.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// Windows-1252 bytes to UTF-16, for wide operating-system calls; never fails.
std::u16string Cp1252ToUtf16(std::string_view bytes);

// UTF-16 to Windows-1252, with the same refusal rules as Utf8ToCp1252.
std::optional<std::string> Utf16ToCp1252(std::u16string_view utf16);

// UTF-16 to UTF-8, as the wide calls of Windows give text (command line,
// environment); nothing for an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);

// UTF-8 to UTF-16, for the wide calls of Windows; nothing for malformed input.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// Program texts are written in UTF-8 source and needed as Windows-1252
// bytes. Cp1252<u8"Bitte unbedingt überprüfen !">() converts at compile
// time; a character outside the code page stops the build.
template <std::size_t N>
struct Utf8Literal {
  char8_t chars[N];
  consteval Utf8Literal(const char8_t (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
};

template <std::size_t N>
struct Cp1252Array {
  char chars[N]{};
  std::size_t size = 0;
};

template <Utf8Literal L>
inline constexpr auto kCp1252Literal = [] {
  constexpr std::size_t kSize = sizeof(L.chars);
  Cp1252Array<kSize> out;
  for (std::size_t i = 0; i + 1 < kSize;) {
    const unsigned lead = L.chars[i];
    std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned>(L.chars[i + k]) & 0x3F);
    i += length;
    unsigned byte = 0x100;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) byte = static_cast<unsigned>(cp);
    for (std::size_t k = 0; k < kCp1252HighBlock.size(); ++k)
      if (kCp1252HighBlock[k] == cp) byte = static_cast<unsigned>(0x80 + k);
    if (byte == 0x100) throw "character outside Windows-1252";
    out.chars[out.size++] = static_cast<char>(byte);
  }
  return out;
}();

template <Utf8Literal L>
constexpr std::string_view Cp1252() {
  return std::string_view(kCp1252Literal<L>.chars, kCp1252Literal<L>.size);
}

}  // namespace morvatex
