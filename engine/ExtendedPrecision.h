// Positions, feeds and angles are computed in the x87 extended format
// (64-bit mantissa). Double precision is not enough: the DXF texts show the
// difference (a programmed 560 µm must come out as 0.56).
#pragma once

#include <limits>

namespace morvatex {

static_assert(std::numeric_limits<long double>::digits == 64, "long double must be the 80-bit x87 extended format");

// The constant 0.001 in the same format: micrometres to millimetres.
inline constexpr long double kMillimetresPerMicrometre = 0.001L;
inline constexpr long double kPi = 3.141592653589793238462643383279502884L;

}  // namespace morvatex
