// Exact decimal scaling of extended-precision values, shared by the number
// texts of the CNC program and of the DXF drawing. Formatting every number
// through std::to_chars costs half a microsecond; for the magnitudes a
// program meets, 128-bit integers give the same exact result much faster.
#pragma once

#include <cstdint>
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

// True when `value` is exactly the extended product of a whole number of
// micrometres (below 10^15 in magnitude) and 0.001, as every position is
// computed; `micrometres` receives that number. Such a value lies within
// 2^-63 of micrometres / 1000, far closer than half a unit of its 17th
// significant digit, so every number text rounded from it to 17 significant
// digits (or to 3 decimals and more) is that of micrometres / 1000, and can
// be formed from the integer alone.
bool WholeMicrometres(long double value, std::int64_t& micrometres);

// Switches the shortcut above, and the number texts' other integer
// shortcuts, off (false) or on: the tests compare the number texts of whole
// conversions made both ways. On by default.
void EnableNumberShortcuts(bool enabled);
bool NumberShortcutsEnabled();

}  // namespace morvatex
