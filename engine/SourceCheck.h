// The checks of a source before its passes: the conversion run and the
// preview's trace refuse the same programs with the same codes.
#pragma once

#include <cstddef>

#include "engine/LineList.h"
#include "engine/OutcomeCodes.h"

namespace morvatex {

// The fewest lines a source may have.
inline constexpr std::size_t kMinimumSourceLines = 5;

// 0 for a source that may be converted; 55 (Outcome::kTooFewLines) for one
// of fewer than kMinimumSourceLines lines, else 56 (Outcome::kNoProgend)
// when "PROGEND" stands nowhere in it (exact case, anywhere, a comment
// included: whether a line begins with it, only the passes find out).
Outcome CheckSource(const LineList& lines);

}  // namespace morvatex
