// The number syntax of the settings dialog, shared with the command line:
// whatever the system's locale, the decimal separator is the point.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvatex {

// An integer field's text: optional leading blanks, an optional sign "+" or
// "-", then decimal digits, or hexadecimal digits after "$", "0x" or "0X".
// Nothing may follow; the empty text is invalid; the signed value must fit
// into 32 bits (so "$80000000" is refused, "-$80000000" accepted). Nothing
// when the text is not such an integer.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// A decimal field's text: optional leading blanks, an optional sign, digits
// with an optional point and fraction (at least one digit in all), an
// optional exponent "E" or "e" with optional sign and digits. Nothing may
// follow; the empty text is invalid, and so is a value beyond the range of a
// double.
std::optional<double> ParseDecimal(std::string_view text);

// `value` in fixed-point form with exactly `decimals` decimals and a point,
// no thousands separators, "-" before negative values: 1.0 with 6 decimals
// is "1.000000".
std::string FixedDecimalsText(double value, int decimals);

// The shortest text that ParseDecimal reads back as exactly `value`
// ("4000", "0.1", "1e+300"); not-a-number and infinities give "nan", "inf",
// "-inf", which no field accepts.
std::string ShortestDecimalText(double value);

}  // namespace morvatex
