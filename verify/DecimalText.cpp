#include "verify/DecimalText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace morvatex {
namespace {

// 10^n for the decimals a CNC word may have, exact in the extended format;
// a table, since powl costs more than reading the whole word.
constexpr auto kPowersOfTen = [] {
  std::array<double, 28> powers{};
  double power = 1;
  for (double& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

double PowerOfTen(int n) {
  if (n < static_cast<int>(kPowersOfTen.size())) return kPowersOfTen[n];
  return std::pow(10.0, n);
}

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The value of more than 19 digits: those that fit in an integer, then the
// rest in the double, as they come.
double LongDigitsValue(std::string_view digitsAndPoint) {
  std::uint64_t mantissa = 0;
  double large = 0;
  int digits = 0;
  for (const char c : digitsAndPoint) {
    if (c == '.') continue;
    if (digits < 19) {
      mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    } else {
      large = (digits == 19 ? static_cast<double>(mantissa) : large) * 10 + (c - '0');
    }
    ++digits;
  }
  return large;
}

}  // namespace

std::size_t ParseDecimalPrefix(std::string_view text, double& value, int& decimals) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;
  // The digits in an integer while they fit (19 always do), so that the
  // value is exact before its one rounding. Two tight loops: this runs for
  // every word of a CNC program read back.
  const char* const first = p;
  std::uint64_t mantissa = 0;
  for (; p < end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  int digits = static_cast<int>(p - first);
  int places = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    places = static_cast<int>(p - fraction);
    digits += places;
  }
  if (digits == 0) return 0;
  const double whole = digits > 19 ? LongDigitsValue(std::string_view(first, static_cast<std::size_t>(p - first)))
                                   : static_cast<double>(mantissa);
  value = negative ? -(whole / PowerOfTen(places)) : whole / PowerOfTen(places);
  decimals = places;
  return static_cast<std::size_t>(p - begin);
}

bool ParseDecimal(std::string_view text, double& value, int& decimals) {
  double read = 0;
  int places = 0;
  if (text.empty() || ParseDecimalPrefix(text, read, places) != text.size()) return false;
  value = read;
  decimals = places;
  return true;
}

double HalfUnit(int decimals) { return 0.5 / PowerOfTen(decimals < 0 ? 0 : decimals); }

std::string DecimalText(double value, int decimals) {
  char buffer[128];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  std::string text(buffer, result.ptr);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace morvatex
