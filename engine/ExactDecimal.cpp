#include "engine/ExactDecimal.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>

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

std::atomic<bool> shortcutsEnabled{true};

// magnitude = mantissa × 2^binaryExponent, with all 64 bits of the extended
// format in the mantissa. Normal numbers are read from their bits directly.
void SplitExtended(long double magnitude, std::uint64_t& mantissa, int& binaryExponent) {
  std::uint64_t bits = 0;
  std::uint16_t biased = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);
  std::memcpy(&biased, reinterpret_cast<const char*>(&magnitude) + sizeof bits, sizeof biased);
  biased &= 0x7FFF;
  if (biased != 0 && (bits >> 63) != 0) {
    mantissa = bits;
    binaryExponent = biased - 16383 - 63;
    return;
  }
  int exponent = 0;
  const long double fraction = std::frexp(magnitude, &exponent);
  mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  binaryExponent = exponent - 64;
}

}  // namespace

std::optional<ScaledDecimal> ScaleExactly(long double magnitude, int decimalShift) {
  if (magnitude == 0) return ScaledDecimal{};
  std::uint64_t mantissa = 0;
  int binaryExponent = 0;
  SplitExtended(magnitude, mantissa, binaryExponent);
  Uint128 numerator = 0, denominator = 0;
  if (!ExactFraction(mantissa, binaryExponent, decimalShift, numerator, denominator)) return std::nullopt;
  ScaledDecimal scaled;
  scaled.quotient = numerator / denominator;
  const Uint128 twiceRemainder = (numerator % denominator) * 2;
  scaled.fractionVersusHalf = twiceRemainder < denominator ? -1 : twiceRemainder == denominator ? 0 : 1;
  return scaled;
}

bool WholeMicrometres(long double value, std::int64_t& micrometres) {
  if (!NumberShortcutsEnabled()) return false;
  const long double scaled = value * 1000;
  if (!(std::fabs(scaled) < 1e15L)) return false;  // also not finite
  // Adding 1.5 × 2^63 leaves the nearest integer in the low bits of the
  // mantissa (|scaled| < 2^62): no switch of the rounding mode as a cast needs.
  const long double shifted = scaled + 0x1.8p63L;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &shifted, sizeof bits);
  const auto nearest = static_cast<std::int64_t>(bits - 0xC000000000000000u);
  // The test that makes the shortcut exact, whatever the value's origin.
  if (static_cast<long double>(nearest) * kMillimetresPerMicrometre != value) return false;
  micrometres = nearest;
  return true;
}

void EnableNumberShortcuts(bool enabled) { shortcutsEnabled.store(enabled, std::memory_order_relaxed); }
bool NumberShortcutsEnabled() { return shortcutsEnabled.load(std::memory_order_relaxed); }

}  // namespace morvatex
