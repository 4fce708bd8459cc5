#include "engine/IntegerReader.h"

#include <limits>

namespace morvatex {
namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

IntegerRead ReadInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }

  // The magnitude may reach 2^31 for a negative value.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  bool ok = i < text.size();  // at least one digit must follow
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0 || magnitude * base + digit > limit) {
      ok = false;
      break;
    }
    magnitude = magnitude * base + digit;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  return IntegerRead{ok, static_cast<std::int32_t>(value)};
}

}  // namespace morvatex
