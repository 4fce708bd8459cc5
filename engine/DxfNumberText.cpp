#include "engine/DxfNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "engine/ExtendedPrecision.h"

namespace morvatex {
namespace {

constexpr int kSignificantDigits = 17;

constexpr std::uint64_t kPowersOfTen[] = {1,
                                          10,
                                          100,
                                          1000,
                                          10000,
                                          100000,
                                          1000000,
                                          10000000,
                                          100000000,
                                          1000000000,
                                          10000000000,
                                          100000000000,
                                          1000000000000,
                                          10000000000000,
                                          100000000000000,
                                          1000000000000000,
                                          10000000000000000,
                                          100000000000000000,
                                          1000000000000000000};

int DecimalDigits(std::uint64_t n) {
  int digits = 1;
  while (digits < 19 && n >= kPowersOfTen[digits]) ++digits;
  return digits;
}

void AppendUnsigned(std::string& out, std::uint64_t n) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr);
}

// Huge and non-finite values: all integer digits, no decimals.
void AppendWithoutDecimals(std::string& out, long double value) {
  char buffer[5000];  // the largest long double has 4933 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

}  // namespace

void AppendDxfNumber(std::string& out, long double value) {
  // The exact binary value: |value| = mantissa / 2^shift, with all 64 bits
  // of the extended format in the mantissa. std::to_chars gives the same
  // digits, but formatting every coordinate through it costs half a
  // microsecond; this stays exact with 128-bit integers.
  const long double magnitude = std::fabs(value);
  if (!std::isfinite(magnitude)) return AppendWithoutDecimals(out, value);
  int exponent = 0;
  const long double fraction = std::frexp(magnitude, &exponent);
  if (exponent > 64) return AppendWithoutDecimals(out, value);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  const int shift = 64 - exponent;

  // Digits before the point; rounding to 20 decimals (how the rule counts
  // them) never adds one, as no extended value lies that close below a
  // power of ten.
  const int integerDigits = exponent <= 0 ? 1 : DecimalDigits(mantissa >> shift);
  const int decimals = kSignificantDigits - integerDigits;
  if (decimals < 0) return AppendWithoutDecimals(out, value);

  // Round mantissa × 10^decimals / 2^shift to an integer, ties to even.
  // shift is at least 7 here (the value is below 10^17 < 2^57).
  std::uint64_t scaled = 0;
  if (shift < 128) {
    const unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * kPowersOfTen[decimals];
    scaled = static_cast<std::uint64_t>(product >> shift);
    const unsigned __int128 remainder = product & ((static_cast<unsigned __int128>(1) << shift) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (scaled & 1) != 0)) ++scaled;
  }  // else the product (below 2^118) is less than half a unit: it rounds to 0

  if (scaled == 0) {
    out += '0';  // no "-0"
    return;
  }
  if (value < 0) out += '-';
  std::uint64_t integerPart = scaled / kPowersOfTen[decimals];
  std::uint64_t decimalPart = scaled % kPowersOfTen[decimals];
  AppendUnsigned(out, integerPart);
  if (decimalPart == 0) return;
  int decimalDigits = decimals;
  while (decimalPart % 10 == 0) {
    decimalPart /= 10;
    --decimalDigits;
  }
  out += '.';
  out.append(static_cast<std::size_t>(decimalDigits - DecimalDigits(decimalPart)), '0');
  AppendUnsigned(out, decimalPart);
}

std::string DxfNumberText(long double value) {
  std::string text;
  AppendDxfNumber(text, value);
  return text;
}

}  // namespace morvatex
