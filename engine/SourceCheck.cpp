#include "engine/SourceCheck.h"

#include "engine/OutcomeCodes.h"

namespace morvatex {

int CheckSource(const LineList& lines) {
  if (lines.size() < kMinimumSourceLines) return outcome::kTooFewLines;
  if (!lines.AnyLineContains("PROGEND")) return outcome::kNoProgend;
  return outcome::kSuccess;
}

}  // namespace morvatex
