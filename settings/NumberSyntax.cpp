#include "settings/NumberSyntax.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace morvatex {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Removes leading blanks and an optional sign; true when the sign was "-".
bool TakeBlanksAndSign(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return negative;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  const bool negative = TakeBlanksAndSign(text);
  int base = 10;
  if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  // The magnitude may reach 2^31 for a negative value; larger ones are refused
  // as soon as they appear, so nothing overflows.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (char c : text) {
    const int digit = base == 16 ? HexDigit(c) : (IsDigit(c) ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<double> ParseDecimal(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  // from_chars takes "-" but not "+", and would also take "inf" and "nan";
  // the syntax is therefore checked here first.
  const bool negative = text.starts_with('-');
  if (text.starts_with('+') || negative) text.remove_prefix(1);
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponentStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponentStart) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  // from_chars reads the point whatever the locale; an exponent sign "+" is
  // part of its syntax.
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

std::string FixedDecimalsText(double value, int decimals) {
  char buffer[400];  // the longest double in fixed form has 309 digits before the point
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return ShortestDecimalText(value);
  return std::string(buffer, end);
}

std::string ShortestDecimalText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace morvatex
