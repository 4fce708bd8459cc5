// The local date and time as the log writes them, in the user's own
// notation: one function for the desktop program and the converter, so that
// both write the same text for the same moment.
#pragma once

#include <ctime>
#include <string>

namespace morvatex {

// How the user writes a date and a time, as strftime patterns.
struct DateTimeNotation {
  std::string date;  // the short date, its year with four digits ("%d.%m.%Y")
  std::string time;  // the long time ("%H:%M:%S")
};

// The user's notation: on POSIX the C library's LC_TIME (the environment's
// locale, taken on first use), on Windows the user's regional settings.
// The short date's two-digit year becomes a four-digit one.
DateTimeNotation UserDateTimeNotation();

// `local` in `notation`: the date, a blank and the time; at exactly midnight
// the date alone. The text is Windows-1252; a notation that the code page
// cannot show gives 06.12.2026 19:09:17 instead.
std::string DateTimeText(const std::tm& local, const DateTimeNotation& notation);

// The present moment in the user's notation. The first call sets the C
// library's LC_TIME from the environment, so make it before other threads
// run.
std::string LocalDateTimeText();

}  // namespace morvatex
