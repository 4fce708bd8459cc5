// The text of a coordinate, radius, angle or bulge in the drawing's
// entities: 17 significant digits of the extended-precision value, with
// trailing zeros (and a bare point) removed.
#pragma once

#include <string>

namespace morvatex {

// Appends the text of `value` to `out`: the value rounded (to nearest, ties
// to even, from its exact binary value) to D decimals, where D is 17 minus
// the number of digits before the point (a lone 0 counts as one, so values
// below 1 get 16 decimals); then the zeros at the end of the decimals go,
// and the point when no decimal remains. Never an exponent or a plus sign,
// always "." whatever the locale. A value that rounds to zero is written
// "0", without a sign. Values of 10^17 and more have no decimals left and
// keep all their integer digits.
void AppendDxfNumber(std::string& out, long double value);

// The same text on its own.
std::string DxfNumberText(long double value);

}  // namespace morvatex
