#include "base/LocalDateTime.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

std::tm Moment(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_wday = 0;
  return local;
}

TEST(DateTimeText, IsTheShortDateAndTheLongTimeAndTheDateAloneAtMidnight) {
  const struct {
    std::tm when;
    DateTimeNotation notation;
    const char* text;
  } cases[] = {
      {Moment(2026, 12, 6, 19, 9, 17), {"%d.%m.%Y", "%H:%M:%S"}, "06.12.2026 19:09:17"},
      {Moment(2026, 12, 6, 19, 9, 17), {"%m/%d/%Y", "%I:%M:%S %p"}, "12/06/2026 07:09:17 PM"},
      {Moment(2026, 12, 6, 19, 9, 17), {"%d/%m/%Y", "%H:%M:%S"}, "06/12/2026 19:09:17"},
      {Moment(2026, 1, 2, 0, 0, 0), {"%d.%m.%Y", "%H:%M:%S"}, "02.01.2026"},
      {Moment(2026, 1, 2, 0, 0, 1), {"%d.%m.%Y", "%H:%M:%S"}, "02.01.2026 00:00:01"},
      // A notation the code page cannot show gives the plain form.
      {Moment(2026, 12, 6, 19, 9, 17),
       {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "%H:%M:%S"},
       "06.12.2026 19:09:17"},
      {Moment(2026, 12, 6, 19, 9, 17), {"%d.%m.%Y \xC3\xA4", "%H:%M:%S"}, "06.12.2026 \xE4 19:09:17"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateTimeText(c.when, c.notation), c.text) << c.notation.date;
}

TEST(DateTimeText, TheUsersNotationHasAFourDigitYear) {
  const DateTimeNotation notation = UserDateTimeNotation();
  EXPECT_EQ(notation.date.find("%y"), std::string::npos) << notation.date;
  EXPECT_FALSE(notation.time.empty());
}

}  // namespace
}  // namespace morvatex
