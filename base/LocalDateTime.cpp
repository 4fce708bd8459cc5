#include "base/LocalDateTime.h"

#include <clocale>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

#include "base/Cp1252Codec.h"

namespace morvatex {
namespace {

constexpr const char* kPlainDate = "%d.%m.%Y";
constexpr const char* kPlainTime = "%H:%M:%S";

bool Midnight(const std::tm& local) { return local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0; }

// strftime's text (UTF-8 on POSIX, where the locale's codeset is UTF-8 or
// ASCII) as Windows-1252; nothing when it holds other characters.
std::optional<std::string> Format(const std::tm& local, const std::string& pattern) {
  if (pattern.empty()) return std::string();
  char text[256];
  const std::size_t length = std::strftime(text, sizeof text, pattern.c_str(), &local);
  if (length == 0) return std::nullopt;
  return Utf8ToCp1252(std::string_view(text, length));
}

#ifdef _WIN32
// A Windows date or time picture ("dd.MM.yyyy", "HH:mm:ss", "h:mm:ss tt")
// as a strftime pattern; nothing for a picture with parts strftime lacks.
std::optional<std::string> PatternOfPicture(const std::wstring& picture, bool date) {
  std::string pattern;
  for (std::size_t i = 0; i < picture.size();) {
    const wchar_t c = picture[i];
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (c == L'\'') {  // quoted text
      const std::size_t end = picture.find(L'\'', i + 1);
      for (std::size_t k = i + 1; k < (end == std::wstring::npos ? picture.size() : end); ++k) {
        if (picture[k] > 0x7E) return std::nullopt;
        pattern += picture[k] == L'%' ? std::string("%%") : std::string(1, static_cast<char>(picture[k]));
      }
      i = end == std::wstring::npos ? picture.size() : end + 1;
      continue;
    }
    const char* part = nullptr;
    if (date && c == L'd')
      part = run >= 4 ? "%A" : run == 3 ? "%a" : "%d";
    else if (date && c == L'M')
      part = run >= 4 ? "%B" : run == 3 ? "%b" : "%m";
    else if (date && c == L'y')
      part = "%Y";  // four digits, however the picture writes the year
    else if (!date && (c == L'H'))
      part = "%H";
    else if (!date && (c == L'h'))
      part = "%I";
    else if (!date && c == L'm')
      part = "%M";
    else if (!date && c == L's')
      part = "%S";
    else if (!date && c == L't')
      part = "%p";
    if (part) {
      pattern += part;
    } else if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c > 0x7E) {
      return std::nullopt;
    } else {
      for (std::size_t k = 0; k < run; ++k)
        pattern += c == L'%' ? std::string("%%") : std::string(1, static_cast<char>(c));
    }
    i += run;
  }
  return pattern;
}

std::wstring LocalePicture(LCTYPE type) {
  wchar_t buffer[128];
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
  return length > 1 ? std::wstring(buffer, length - 1) : std::wstring();
}
#endif

}  // namespace

DateTimeNotation UserDateTimeNotation() {
  DateTimeNotation notation{kPlainDate, kPlainTime};
#ifdef _WIN32
  if (auto date = PatternOfPicture(LocalePicture(LOCALE_SSHORTDATE), true); date && !date->empty())
    notation.date = *date;
  if (auto time = PatternOfPicture(LocalePicture(LOCALE_STIMEFORMAT), false); time && !time->empty())
    notation.time = *time;
#else
  static const bool localeSet = std::setlocale(LC_TIME, "") != nullptr;
  (void)localeSet;
  std::string date = nl_langinfo(D_FMT);
  for (std::size_t at = date.find("%y"); at != std::string::npos; at = date.find("%y", at)) date[at + 1] = 'Y';
  if (!date.empty()) notation.date = date;
  if (const std::string time = nl_langinfo(T_FMT); !time.empty()) notation.time = time;
#endif
  return notation;
}

std::string DateTimeText(const std::tm& local, const DateTimeNotation& notation) {
  const std::optional<std::string> date = Format(local, notation.date);
  const std::optional<std::string> time = Midnight(local) ? std::string() : Format(local, notation.time);
  if (date && time && !date->empty()) return time->empty() ? *date : *date + " " + *time;
  const std::string plainDate = Format(local, kPlainDate).value_or(std::string());
  return Midnight(local) ? plainDate : plainDate + " " + Format(local, kPlainTime).value_or(std::string());
}

std::string LocalDateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return DateTimeText(local, UserDateTimeNotation());
}

}  // namespace morvatex
