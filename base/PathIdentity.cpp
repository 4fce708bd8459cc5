#include "base/PathIdentity.h"

#include <algorithm>

namespace morvatex {

std::string FoldedText(std::string_view text, char (*fold)(char)) {
  std::string folded(text);
  for (char& c : folded) c = fold(c);
  return folded;
}

bool StartsWithFoldingAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char x, char y) {
           return FoldAsciiCase(x) == FoldAsciiCase(y);
         });
}

bool SamePathOnWindows(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldWindows1252Case(x) == FoldWindows1252Case(y);
         });
}

}  // namespace morvatex
