// Reads the integer parameters of Isel lines.
#pragma once

#include <cstdint>
#include <string_view>

namespace morvatex {

struct IntegerRead {
  bool ok = false;
  // The value; after a failure, the value of the digits before the first bad
  // character (0 when there were none).
  std::int32_t value = 0;
};

// Reads `text` as a 32-bit signed integer: leading blanks, one optional sign,
// then decimal digits, or hexadecimal digits behind "$", "x", "X", "0x" or
// "0X", and nothing else. An empty text, any other character, a decimal
// point, or a value outside the 32-bit range is a failure.
IntegerRead ReadInteger(std::string_view text);

}  // namespace morvatex
