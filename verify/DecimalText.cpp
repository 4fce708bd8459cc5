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

}  // namespace

bool ParseDecimal(std::string_view text, double& value, int& decimals) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // The digits in an integer while they fit (19 always do), so that the
  // value is exact before its one rounding.
  std::uint64_t mantissa = 0;
  double large = 0;  // the value of digits beyond those
  int digits = 0;
  decimals = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (digits < 19) {
        mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
      } else {
        large = (digits == 19 ? static_cast<double>(mantissa) : large) * 10 + (c - '0');
      }
      ++digits;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  value = (digits > 19 ? large : static_cast<double>(mantissa)) / PowerOfTen(decimals);
  if (negative) value = -value;
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
