#include "batch/NamePattern.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

TEST(NamePattern, BracketsListRangesAndExclusionsInAnyCase) {
  const struct {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"b.ncp", "[!a]*", true},
      {"a.ncp", "[!a]*", false},
      {"A.ncp", "[!a]*", false},  // any case, as outside brackets
      {"a.ncp", "[^a]*", false},
      {"b.ncp", "[abc].ncp", true},
      {"B.NCP", "[abc].ncp", true},
      {"d.ncp", "[abc].ncp", false},
      {"k1.ncp", "[a-z][0-9].ncp", true},
      {"K1.ncp", "[a-z][0-9].ncp", true},
      {"k.ncp", "[A-Z].ncp", true},
      {"-.ncp", "[a-z].ncp", false},
      {"\xC4.ncp", "[\xE4].ncp", true},  // Ä in [ä]
      {"\xE4.ncp", "[\xC0-\xDE].ncp", true},
      {"].ncp", "[]a].ncp", true},
      {"].ncp", "[!]].ncp", false},
      {"[a.ncp", "[a*", true},  // no closing bracket: "[" stands for itself
      {"teil7.ncp", "teil[5-9]*;*.nc", true},
      {"x.nc", "teil[5-9]*;*.nc", true},
      {"teil.ncp", "teil[5-9]*", false},
      {"ab", "*[b]", true},
      {"abc", "*[b]", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

}  // namespace
}  // namespace morvatex
