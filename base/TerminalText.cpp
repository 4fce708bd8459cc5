#include "base/TerminalText.h"

#include "base/Cp1252Codec.h"

namespace morvatex {

std::string ForTerminal(std::string_view text) {
  std::string utf8 = Cp1252ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out.push_back(utf8[i]);
  }
  if (!out.empty() && out.back() != '\n') out.push_back('\n');
  return out;
}

}  // namespace morvatex
