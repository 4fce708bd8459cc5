// The font every window of the desktop program is laid out for. The column
// widths and window sizes were made for the classic 8-point Windows dialog
// font; the usual desktop faces are wider, so texts such as the column
// header "Abgearbeitet" or five-digit tool numbers would be cut off.
#pragma once

#include <QFont>

namespace morvatex {

// `base` at 8 points in the first narrow face the system has: Tahoma (the
// Windows dialog font), Liberation Sans or Arial (the same widths), else
// DejaVu Sans Condensed; the base's own face when none of them is there.
QFont DialogFont(const QFont& base);

}  // namespace morvatex
