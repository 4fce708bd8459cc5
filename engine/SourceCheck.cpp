#include "engine/SourceCheck.h"

#include "engine/OutcomeCodes.h"

namespace morvatex {

Outcome CheckSource(const LineList& lines) {
  if (lines.size() < kMinimumSourceLines) return Outcome::kTooFewLines;
  if (!lines.AnyLineContains("PROGEND")) return Outcome::kNoProgend;
  return Outcome::kSuccess;
}

}  // namespace morvatex
