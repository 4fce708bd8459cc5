// Exact decimal scaling of extended-precision values, shared by the number
// texts of the CNC program and of the DXF drawing. Formatting every number
// through std::to_chars costs half a microsecond; for the magnitudes a
// program meets, 128-bit integers give the same exact result much faster.
#pragma once

#include <optional>

namespace morvatex {

using Uint128 = unsigned __int128;

// The exact value of a magnitude × 10^shift, split into its integer part and
// the comparison of the fraction with one half.
struct ScaledDecimal {
  Uint128 quotient = 0;
  int fractionVersusHalf = -1;  // -1 below one half, 0 exactly one half, 1 above

  // The nearest integer, ties to the even neighbour.
  Uint128 RoundedToEven() const {
    const bool up = fractionVersusHalf > 0 || (fractionVersusHalf == 0 && (quotient & 1) != 0);
    return quotient + (up ? 1 : 0);
  }
};

// `magnitude` (finite, not negative) × 10^`decimalShift`, computed exactly;
// nothing when that needs more than 128 bits (very large or very small
// values, or shifts beyond 10^±19 and 10^-38).
std::optional<ScaledDecimal> ScaleExactly(long double magnitude, int decimalShift);

}  // namespace morvatex
