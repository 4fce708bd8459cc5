#include "gui/LocalDateTime.h"

#include "paint/QtText.h"

namespace morvatex {
namespace {

// Rewrites the letters of a date or time pattern outside quoted text: every
// run of the letter `letter` is handed to `rewrite`, which returns what
// replaces it.
template <typename Rewrite>
QString RewriteRuns(const QString& pattern, QChar letter, Rewrite rewrite) {
  QString result;
  bool quoted = false;
  for (qsizetype i = 0; i < pattern.size();) {
    const QChar c = pattern[i];
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (quoted || c != letter) {
      result += c;
      ++i;
      continue;
    }
    qsizetype end = i;
    while (end < pattern.size() && pattern[end] == letter) ++end;
    result += rewrite(end - i);
    i = end;
  }
  return result;
}

QString DateFormat(const QLocale& locale) {
  return RewriteRuns(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('y'),
                     [](qsizetype length) { return QString(length == 2 ? 4 : length, QLatin1Char('y')); });
}

QString TimeFormat(const QLocale& locale) {
  const QString withoutZone =
      RewriteRuns(locale.timeFormat(QLocale::LongFormat), QLatin1Char('t'), [](qsizetype) { return QString(); });
  return withoutZone.simplified();
}

}  // namespace

std::string LocalDateTimeText(const QDateTime& when, const QLocale& locale) {
  QString text = locale.toString(when.date(), DateFormat(locale));
  if (when.time() != QTime(0, 0)) text += QLatin1Char(' ') + locale.toString(when.time(), TimeFormat(locale));
  if (std::optional<std::string> cp1252 = ToCp1252(text)) return *cp1252;
  const QLocale plain = QLocale::c();
  QString fallback = plain.toString(when.date(), QStringLiteral("dd.MM.yyyy"));
  if (when.time() != QTime(0, 0))
    fallback += QLatin1Char(' ') + plain.toString(when.time(), QStringLiteral("HH:mm:ss"));
  return fallback.toStdString();
}

}  // namespace morvatex
