#include "engine/NumberText.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "engine/ExactDecimal.h"

namespace morvatex {
namespace {

// Enough to recover the decimal value of every whole number of micrometres
// held in extended precision, and few enough to hide its binary error.
constexpr int kSignificantDigits = 17;
constexpr int kMostDecimals = 6;

constexpr Uint128 PowerOfTen(int n) {
  Uint128 power = 1;
  while (n-- > 0) power *= 10;
  return power;
}
constexpr Uint128 kSmallestSignificand = PowerOfTen(kSignificantDigits - 1);
constexpr Uint128 kLargestSignificand = PowerOfTen(kSignificantDigits);

// The significant digits by exact integer arithmetic: the same digits as
// to_chars, without its multi-precision printing, for the magnitudes that a
// CNC program meets. False outside what 128 bits hold exactly.
bool SignificantInteger(long double magnitude, std::uint64_t& significand, int& exponent) {
  // The decimal power of the leading digit, from the binary one; it may be
  // one off, which the loop mends.
  int power = static_cast<int>(std::floor(std::ilogb(magnitude) * 0.30102999566398119521L));
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::optional<ScaledDecimal> scaled = ScaleExactly(magnitude, kSignificantDigits - 1 - power);
    if (!scaled) return false;
    if (scaled->quotient < kSmallestSignificand) {
      --power;
      continue;
    }
    if (scaled->quotient >= kLargestSignificand) {
      ++power;
      continue;
    }
    Uint128 rounded = scaled->RoundedToEven();
    if (rounded == kLargestSignificand) {
      rounded = kSmallestSignificand;
      ++power;
    }
    significand = static_cast<std::uint64_t>(rounded);
    exponent = power - (kSignificantDigits - 1);
    return true;
  }
  return false;
}

bool SignificantDecimalFast(long double magnitude, DecimalValue& decimal) {
  std::uint64_t significand = 0;
  if (!SignificantInteger(magnitude, significand, decimal.exponent)) return false;
  decimal.digits = std::to_string(significand);
  return true;
}

// True when the dropped digits `rest` (not empty) make the kept ones round up.
bool RoundsUp(std::string_view rest, char lastKept, HalfRounding rounding) {
  if (rest[0] != '5') return rest[0] > '5';
  if (rest.find_first_not_of('0', 1) != std::string_view::npos) return true;
  if (rounding == HalfRounding::kAwayFromZero) return true;
  return (lastKept - '0') % 2 != 0;
}

void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

// The digits of round(decimal × 10^shift), halves as `rounding` says.
std::string RoundedInteger(const DecimalValue& decimal, long shift, HalfRounding rounding) {
  std::string digits = decimal.digits;
  const long scale = decimal.exponent + shift;
  if (scale >= 0) {
    if (digits != "0") digits.append(static_cast<std::size_t>(scale), '0');
    return digits;
  }
  const std::size_t dropped = static_cast<std::size_t>(-scale);
  // Everything dropped and the first dropped digit an implied 0: below one half.
  if (dropped > digits.size()) return "0";
  const std::size_t kept = digits.size() - dropped;
  const char lastKept = kept == 0 ? '0' : digits[kept - 1];
  const bool up = RoundsUp(std::string_view(digits).substr(kept), lastKept, rounding);
  digits.resize(kept);
  if (digits.empty()) digits = "0";
  if (up) Increment(digits);
  return digits;
}

// round(value × 10^shift) for value = digits × 10^exponent, halves as
// `rounding` says: the integer form of RoundedInteger. False when the result
// does not fit in 64 bits.
bool RoundedScaledInteger(std::uint64_t digits, long shift, HalfRounding rounding, std::uint64_t& result) {
  if (shift >= 0) {
    if (digits == 0) {
      result = 0;
      return true;
    }
    if (shift > 19) return false;
    const Uint128 scaled = Uint128{digits} * PowerOfTen(static_cast<int>(shift));
    result = static_cast<std::uint64_t>(scaled);
    return scaled == result;
  }
  if (shift < -38) {  // all digits dropped, far below one half
    result = 0;
    return true;
  }
  const Uint128 unit = PowerOfTen(static_cast<int>(-shift));
  const Uint128 kept = digits / unit, twiceRest = digits % unit * 2;
  const bool up = twiceRest > unit || (twiceRest == unit && (rounding == HalfRounding::kAwayFromZero || kept % 2 != 0));
  result = static_cast<std::uint64_t>(kept) + (up ? 1 : 0);
  return true;
}

// The digits of `scaled` with `decimals` of them after the point.
void AppendScaledInteger(std::string& out, std::uint64_t scaled, bool negative, int decimals) {
  char digits[32];
  const std::size_t width = static_cast<std::size_t>(decimals) + 1;
  const std::size_t count =
      static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, scaled).ptr - digits);
  if (negative) out += '-';
  if (count < width) out.append(width - count, '0');
  out.append(digits, count);
  if (decimals > 0) out.insert(out.end() - decimals, '.');
}

}  // namespace

DecimalValue SignificantDecimal(long double magnitude) {
  DecimalValue decimal;
  if (magnitude == 0) {
    decimal.digits = "0";
    return decimal;
  }
  if (SignificantDecimalFast(magnitude, decimal)) return decimal;
  // to_chars is exact and ignores the locale: "d.dddddddddddddddde+xx".
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = text.find('e');
  decimal.digits.push_back(text[0]);
  decimal.digits.append(text.substr(2, e - 2));
  std::size_t exponentStart = e + 1;
  if (text[exponentStart] == '+') ++exponentStart;
  int exponent10 = 0;
  std::from_chars(text.data() + exponentStart, text.data() + text.size(), exponent10);
  decimal.exponent = exponent10 - static_cast<int>(decimal.digits.size() - 1);
  return decimal;
}

int DecimalsOf(std::int32_t setting) { return setting >= 1 && setting <= kMostDecimals ? setting : 0; }

bool AppendFixedPointText(std::string& out, long double value, int decimals, HalfRounding rounding, int powerOfTen) {
  if (!std::isfinite(value)) return false;
  decimals = DecimalsOf(decimals);
  const bool negative = std::signbit(value);
  std::uint64_t scaled = 0;
  if (std::int64_t micrometres = 0; powerOfTen == 0 && WholeMicrometres(value, micrometres)) {
    // The decimal value is micrometres / 1000 exactly.
    const std::uint64_t magnitude =
        micrometres < 0 ? 0 - static_cast<std::uint64_t>(micrometres) : static_cast<std::uint64_t>(micrometres);
    RoundedScaledInteger(magnitude, decimals - 3, rounding, scaled);
    AppendScaledInteger(out, scaled, negative, decimals);
    return true;
  }
  // The same rounding on the 17 significant digits held in an integer.
  std::uint64_t significand = 0;
  int exponent = 0;
  const long double magnitude = std::fabs(value);
  if (NumberShortcutsEnabled() && (magnitude == 0 || SignificantInteger(magnitude, significand, exponent)) &&
      RoundedScaledInteger(significand, long{exponent} + powerOfTen + decimals, rounding, scaled)) {
    AppendScaledInteger(out, scaled, negative, decimals);
    return true;
  }
  std::string digits = RoundedInteger(SignificantDecimal(std::fabs(value)), long{powerOfTen} + decimals, rounding);
  const std::size_t start = digits.find_first_not_of('0');
  digits.erase(0, start == std::string::npos ? digits.size() - 1 : start);

  if (std::signbit(value)) out.push_back('-');
  if (decimals == 0) {
    out.append(digits);
    return true;
  }
  const std::size_t width = static_cast<std::size_t>(decimals) + 1;
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out.append(digits);
  out.insert(out.end() - decimals, '.');
  return true;
}

std::string FixedPointText(long double value, int decimals, HalfRounding rounding, int powerOfTen) {
  std::string text;
  AppendFixedPointText(text, value, decimals, rounding, powerOfTen);
  return text;
}

std::string NearestIntegerText(long double value, int powerOfTen) {
  std::string text = FixedPointText(value, 0, HalfRounding::kToEven, powerOfTen);
  if (text == "-0") text = "0";
  return text;
}

}  // namespace morvatex
