#include "settings/NumberSyntax.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

namespace morvatex {
namespace {

TEST(NumberSyntaxTest, IntegerFields) {
  const struct {
    const char* text;
    std::optional<std::int32_t> value;
  } cases[] = {
      {"0", 0},
      {"  42", 42},
      {"+7", 7},
      {"-1", -1},
      {"$1F", 31},
      {"0x1f", 31},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", {}},
      {"$80000000", {}},
      {"", {}},
      {" ", {}},
      {"-", {}},
      {"$", {}},
      {"42 ", {}},
      {"4 2", {}},
      {"1.0", {}},
      {"1e3", {}},
      {"0x", {}},
      {"$G", {}},
      {"\t1", {}},
      {"99999999999999999999", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberSyntaxTest, DecimalFieldsUseThePointWhateverTheLocale) {
  // A comma locale, if the system has one, must not change the reading.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"1.5", 1.5},  {"  1.5E2", 150}, {"-2e-1", -0.2}, {"+3", 3},     {"1.", 1},    {".5", 0.5},
      {"1e+2", 100}, {"1,5", {}},      {"", {}},        {".", {}},     {"1.5 ", {}}, {"e5", {}},
      {"1e", {}},    {"inf", {}},      {"nan", {}},     {"1e999", {}}, {"0x10", {}}, {"1..2", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(FixedDecimalsText(1.0, 6), "1.000000");
  EXPECT_EQ(FixedDecimalsText(4000.0, 3), "4000.000");
  EXPECT_EQ(FixedDecimalsText(-1234567.25, 3), "-1234567.250");
  std::setlocale(LC_ALL, "C");
}

TEST(NumberSyntaxTest, ShortestTextReadsBackExactly) {
  for (double value : {0.1, -0.0, 4000.0, 1e300, 5e-324, 2.5, -123.456})
    EXPECT_EQ(std::signbit(*ParseDecimal(ShortestDecimalText(value))), std::signbit(value));
  for (double value : {0.1, 4000.0, 1e300, 5e-324, 2.5, -123.456})
    EXPECT_EQ(ParseDecimal(ShortestDecimalText(value)), value) << ShortestDecimalText(value);
}

}  // namespace
}  // namespace morvatex
