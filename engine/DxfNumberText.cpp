#include "engine/DxfNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "engine/ExactDecimal.h"

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

// A whole number of micrometres below 10^15: its decimal value, at most
// three decimals, without trailing zeros.
void AppendMicrometres(std::string& out, std::int64_t micrometres) {
  if (micrometres == 0) {
    out += '0';
    return;
  }
  if (micrometres < 0) out += '-';
  const std::uint64_t magnitude =
      micrometres < 0 ? 0 - static_cast<std::uint64_t>(micrometres) : static_cast<std::uint64_t>(micrometres);
  AppendUnsigned(out, magnitude / 1000);
  const std::uint64_t fraction = magnitude % 1000;
  if (fraction == 0) return;
  char digits[3] = {static_cast<char>('0' + fraction / 100), static_cast<char>('0' + fraction / 10 % 10),
                    static_cast<char>('0' + fraction % 10)};
  std::size_t count = 3;
  while (digits[count - 1] == '0') --count;
  out += '.';
  out.append(digits, count);
}

}  // namespace

void AppendDxfNumber(std::string& out, long double value) {
  if (std::int64_t micrometres = 0; WholeMicrometres(value, micrometres)) return AppendMicrometres(out, micrometres);
  // 17 significant digits: the decimals left after the integer digits (a
  // lone 0 counts as one). Rounding to 20 decimals, as the rule counts them,
  // never adds a digit: no extended value lies that close below a power of ten.
  const long double magnitude = std::fabs(value);
  if (!(magnitude < 1e17L)) return AppendWithoutDecimals(out, value);  // huge or not finite
  const int integerDigits = magnitude < 1 ? 1 : DecimalDigits(static_cast<std::uint64_t>(magnitude));
  const int decimals = kSignificantDigits - integerDigits;
  // Only values far below the last decimal are out of the exact range: 0.
  const std::optional<ScaledDecimal> exact = ScaleExactly(magnitude, decimals);
  const std::uint64_t scaled = exact ? static_cast<std::uint64_t>(exact->RoundedToEven()) : 0;

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
