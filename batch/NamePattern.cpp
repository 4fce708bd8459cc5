#include "batch/NamePattern.h"

#include "base/PathIdentity.h"

namespace morvatex {
namespace {

constexpr std::string_view::size_type kNoBracket = std::string_view::npos;

// The end (the index of "]") of the bracket expression opening at
// pattern[open]; kNoBracket when it is not closed.
std::size_t BracketEnd(std::string_view pattern, std::size_t open) {
  std::size_t at = open + 1;
  if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) ++at;
  if (at < pattern.size() && pattern[at] == ']') ++at;  // listed, not the end
  return pattern.find(']', at);
}

// The lower-case form of a Windows-1252 letter (À to Þ as à to þ, not ×).
char LowerWindows1252(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
    return static_cast<char>(byte + 0x20);
  return c;
}

// True when `c` is in the inner part of a bracket expression (without the
// brackets, with its "!" or "^"), in any case: [a-z] takes "K" as "*k"
// would take it.
bool InBracket(std::string_view inner, char c) {
  bool negated = false;
  if (!inner.empty() && (inner[0] == '!' || inner[0] == '^')) {
    negated = true;
    inner.remove_prefix(1);
  }
  const char upper = FoldWindows1252Case(c);
  const char lower = LowerWindows1252(c);
  bool found = false;
  for (std::size_t i = 0; i < inner.size() && !found; ++i) {
    if (i + 2 < inner.size() && inner[i + 1] == '-') {
      const auto low = static_cast<unsigned char>(inner[i]);
      const auto high = static_cast<unsigned char>(inner[i + 2]);
      const auto inRange = [low, high](char x) {
        const auto byte = static_cast<unsigned char>(x);
        return byte >= low && byte <= high;
      };
      found = inRange(c) || inRange(upper) || inRange(lower);
      i += 2;
    } else {
      found = FoldWindows1252Case(inner[i]) == upper;
    }
  }
  return found != negated;
}

// How much of `pattern` from `p` on one character of the name uses, and
// whether `c` matches it; 0 for "*" or the end of the pattern.
std::size_t MatchOne(std::string_view pattern, std::size_t p, char c, bool& matches) {
  matches = false;
  if (p >= pattern.size() || pattern[p] == '*') return 0;
  if (pattern[p] == '[') {
    const std::size_t end = BracketEnd(pattern, p);
    if (end != kNoBracket) {
      matches = InBracket(pattern.substr(p + 1, end - p - 1), c);
      return end + 1 - p;
    }
  }
  matches = pattern[p] == '?' || FoldWindows1252Case(pattern[p]) == FoldWindows1252Case(c);
  return 1;
}

bool MatchesOneGlob(std::string_view name, std::string_view pattern) {
  // Greedy match with one backtracking point, the last "*" seen.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starAt = kNoBracket;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    bool matches = false;
    const std::size_t used = MatchOne(pattern, p, name[n], matches);
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (matches) {
      p += used;
      ++n;
    } else if (starAt != kNoBracket) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  for (;;) {
    const std::size_t end = pattern.find(';');
    if (MatchesOneGlob(name, pattern.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    pattern.remove_prefix(end + 1);
  }
}

}  // namespace morvatex
