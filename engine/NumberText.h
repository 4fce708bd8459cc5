// Number texts of the CNC program: fixed-point decimals with "." whatever the
// locale, never an exponent, rounded on the decimal value of the number.
//
// A computed millimetre value such as 1005 × 0.001 may lie a hair below
// 1.005 in binary; rounding it to two decimals must still give 1.01. So the
// value is first reduced to its decimal value with 17 significant digits
// (exact and locale-free), and that decimal text is rounded.
#pragma once

#include <cstdint>
#include <string>

namespace morvatex {

enum class HalfRounding {
  kAwayFromZero,  // 2.5 gives 3, -2.5 gives -3
  kToEven,        // 2.5 gives 2, 3.5 gives 4
};

// A finite number that is not negative as digits × 10^exponent.
struct DecimalValue {
  std::string digits;  // no leading zero, except "0" itself
  int exponent = 0;
};

// The decimal value that number texts are rounded from: `magnitude` (finite,
// not negative) rounded to 17 significant digits, nearest with ties to even
// on its exact binary value (as std::to_chars gives them). Zero is "0".
DecimalValue SignificantDecimal(long double magnitude);

// The number of decimals that a decimals setting stands for: the setting when
// it lies between 1 and 6, otherwise 0.
int DecimalsOf(std::int32_t setting);

// The text of `value` × 10^`powerOfTen` (the shift is exact, done on the
// decimal digits) with exactly `decimals` decimals (0 gives no decimal point;
// values outside 0..6 count as 0): digits, with a leading "-" for every
// negative value, a negative zero and a negative value that rounds to zero
// included. Never a "+", a blank or an exponent; a huge value gives all its
// digits. A value that is not finite gives the empty text.
std::string FixedPointText(long double value, int decimals, HalfRounding rounding = HalfRounding::kAwayFromZero,
                           int powerOfTen = 0);

// The same text appended to `out`; false (and nothing appended) when
// `value` is not finite.
bool AppendFixedPointText(std::string& out, long double value, int decimals,
                          HalfRounding rounding = HalfRounding::kAwayFromZero, int powerOfTen = 0);

// The integer nearest to `value` × 10^`powerOfTen`, halves to even, as plain
// decimal digits; zero has no sign. Empty when `value` is not finite.
std::string NearestIntegerText(long double value, int powerOfTen = 0);

}  // namespace morvatex
