#include "engine/ExactDecimal.h"

#include <cmath>
#include <cstdint>

#include "engine/ExtendedPrecision.h"

namespace morvatex {
namespace {

constexpr Uint128 PowerOfTen(int n) {
  Uint128 power = 1;
  while (n-- > 0) power *= 10;
  return power;
}

// Sets numerator / denominator to mantissa × 2^binaryExponent ×
// 10^decimalShift exactly; false when that needs more than 128 bits. The
// denominator stays below 2^127, so twice a remainder still fits.
bool ExactFraction(std::uint64_t mantissa, int binaryExponent, int decimalShift, Uint128& numerator,
                   Uint128& denominator) {
  // 10^19 × 2^64 < 2^128 and 10^38 < 2^127.
  if (decimalShift > 19 || decimalShift < -38) return false;
  numerator = mantissa;
  denominator = 1;
  if (decimalShift >= 0) {
    numerator *= PowerOfTen(decimalShift);
  } else {
    denominator = PowerOfTen(-decimalShift);
  }
  if (binaryExponent >= 0) {
    if (binaryExponent > 127 || (binaryExponent > 0 && (numerator >> (128 - binaryExponent)) != 0)) return false;
    numerator <<= binaryExponent;
  } else {
    const int shift = -binaryExponent;
    if (shift > 126 || (denominator >> (127 - shift)) != 0) return false;
    denominator <<= shift;
  }
  return true;
}

}  // namespace

std::optional<ScaledDecimal> ScaleExactly(long double magnitude, int decimalShift) {
  if (magnitude == 0) return ScaledDecimal{};
  // magnitude = mantissa × 2^(exponent − 64), with all 64 bits of the
  // extended format in the mantissa.
  int exponent = 0;
  const long double fraction = std::frexp(magnitude, &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  Uint128 numerator = 0, denominator = 0;
  if (!ExactFraction(mantissa, exponent - 64, decimalShift, numerator, denominator)) return std::nullopt;
  ScaledDecimal scaled;
  scaled.quotient = numerator / denominator;
  const Uint128 twiceRemainder = (numerator % denominator) * 2;
  scaled.fractionVersusHalf = twiceRemainder < denominator ? -1 : twiceRemainder == denominator ? 0 : 1;
  return scaled;
}

}  // namespace morvatex
