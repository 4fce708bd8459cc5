// Decimal numbers as CNC programs write them and the check's messages show
// them, always with "." whatever the locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvatex {

// A sign, digits and at most one point: how the number of a word may look.
constexpr bool IsDecimalChar(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-'; }

// Reads all of `text` as [+|-]digits[.digits] (at least one digit); gives the
// value and the number of decimals written. False for anything else.
bool ParseDecimal(std::string_view text, double& value, int& decimals);

// Reads the longest start of `text` of that form; gives its length, 0 when
// `text` starts with no such number (value and decimals then untouched).
std::size_t ParseDecimalPrefix(std::string_view text, double& value, int& decimals);

// Half a unit of the last of `decimals` written decimals (0.5 for none).
double HalfUnit(int decimals);

// `value` with up to `decimals` decimals, trailing zeros removed.
std::string DecimalText(double value, int decimals = 4);

}  // namespace morvatex
