#include "verify/DecimalText.h"

#include <charconv>
#include <cmath>

namespace morvatex {

bool ParseDecimal(std::string_view text, long double& value, int& decimals) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long double mantissa = 0;
  int digits = 0;
  decimals = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      ++digits;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  // Exact up to 19 digits in the 64-bit mantissa, then one rounding.
  value = mantissa / std::pow(10.0L, decimals);
  if (negative) value = -value;
  return true;
}

long double HalfUnit(int decimals) { return 0.5L * std::pow(10.0L, -(decimals < 0 ? 0 : decimals)); }

std::string DecimalText(long double value, int decimals) {
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
