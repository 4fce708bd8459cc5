// When two paths name one file by their text alone: the case foldings the
// program uses, each by name, so that every part compares paths by the same
// rule.
//
// The rule for "the same file on Windows" is FoldWindows1252Case: NTFS
// treats "Ä" and "ä" as one name, as it treats "A" and "a". FoldAsciiCase
// folds A to Z only; it stays where a stored result depends on it (the
// folder rule of target paths, whose sub-folder text is written into job
// lists and reports).
#pragma once

#include <string>
#include <string_view>

namespace morvatex {

// A to Z as a to z; every other byte as it is.
constexpr char FoldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The Windows-1252 letters in one case (upper): a to z and the accented
// letters à to þ (not ÷); every other byte as it is.
constexpr char FoldWindows1252Case(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
    return static_cast<char>(byte - 0x20);
  return c;
}

// `text` with every byte folded by `fold`.
std::string FoldedText(std::string_view text, char (*fold)(char));

// True when `text` begins with `prefix`, A to Z in either case.
bool StartsWithFoldingAsciiCase(std::string_view text, std::string_view prefix);

// True when both texts may name one file on Windows: equal but for the
// case of Windows-1252 letters.
bool SamePathOnWindows(std::string_view a, std::string_view b);

// The text all spellings of `path` that SamePathOnWindows takes as one share:
// a key for sets and maps of paths.
inline std::string PathKeyOnWindows(std::string_view path) { return FoldedText(path, FoldWindows1252Case); }

}  // namespace morvatex
