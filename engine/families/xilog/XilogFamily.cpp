#include "engine/families/xilog/XilogFamily.h"

namespace morvatex {
namespace {

// The rest of `word` behind `prefix`, empty when it does not start with it.
std::string_view After(std::string_view word, std::string_view prefix1, std::string_view prefix2 = {}) {
  const std::size_t size = prefix1.size() + prefix2.size();
  if (word.size() <= size || word.substr(0, prefix1.size()) != prefix1 ||
      word.substr(prefix1.size(), prefix2.size()) != prefix2)
    return {};
  return word.substr(size);
}

constexpr double kMillimetresPerMetre = 1000;  // V= is written in m/min

}  // namespace

bool XilogFamily::IsHeaderLine(std::string_view text) const { return text.substr(0, 5) == "H DX="; }

FamilyWord XilogFamily::ReadWord(std::string_view word, bool lastWord, std::string_view assignment) const {
  // The opening line's fixed letters: "V=" and "S=" with "=" itself, "Z"
  // and "T" and the radius's "r" with the value assignment text.
  if (const std::string_view n = After(word, "V="); !n.empty())
    return {FamilyWord::Kind::kFeed, n, kMillimetresPerMetre};
  if (const std::string_view n = After(word, "S="); !n.empty()) return {FamilyWord::Kind::kSpeed, n};
  if (const std::string_view n = After(word, "T", assignment); lastWord && !n.empty())
    return {FamilyWord::Kind::kTool, n, 1, true};
  if (const std::string_view n = After(word, "r", assignment); !n.empty()) return {FamilyWord::Kind::kRadius, n};
  if (const std::string_view n = After(word, "Z", assignment); !n.empty()) return {FamilyWord::Kind::kZ, n};
  return {};
}

}  // namespace morvatex
