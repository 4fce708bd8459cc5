// The date and time as the log writes them, in the user's own notation.
#pragma once

#include <QDateTime>
#include <QLocale>

#include <string>

namespace morvatex {

// `when` as the locale's short date with a four-digit year, a blank and the
// locale's long time without a time zone: 06.12.2026 19:09:17 in a German
// locale. At exactly midnight the date stands alone. The text is
// Windows-1252; a locale whose notation the code page cannot show gets
// 06.12.2026 19:09:17 instead.
std::string LocalDateTimeText(const QDateTime& when, const QLocale& locale = QLocale());

}  // namespace morvatex
