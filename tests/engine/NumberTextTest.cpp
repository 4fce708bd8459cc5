#include "engine/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"

namespace morvatex {
namespace {

// The exact text of `micrometres` / 1000 rounded to `decimals` (0..3),
// halves away from zero, by integer arithmetic alone.
std::string ExactMillimetres(std::int64_t micrometres, int decimals) {
  const bool negative = micrometres < 0;
  std::int64_t magnitude = negative ? -micrometres : micrometres;
  std::int64_t divisor = 1;
  for (int i = decimals; i < 3; ++i) divisor *= 10;
  std::int64_t units = magnitude / divisor;
  if ((magnitude % divisor) * 2 >= divisor) ++units;
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::string text = negative ? "-" : "";
  text += std::to_string(units / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(units % scale);
    text += "." + std::string(decimals - fraction.size(), '0') + fraction;
  }
  return text;
}

// The 17 significant digits as to_chars prints them.
DecimalValue ToCharsDecimal(long double magnitude) {
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 16);
  const std::string text(buffer, written.ptr);
  const std::size_t e = text.find('e');
  DecimalValue decimal;
  decimal.digits = text.substr(0, 1) + text.substr(2, e - 2);
  decimal.exponent = std::stoi(text.substr(e + 1)) - 16;
  return decimal;
}

void ExpectSameDigits(long double magnitude) {
  const DecimalValue expected = ToCharsDecimal(magnitude);
  const DecimalValue actual = SignificantDecimal(magnitude);
  ASSERT_EQ(actual.digits, expected.digits) << static_cast<double>(magnitude);
  ASSERT_EQ(actual.exponent, expected.exponent) << static_cast<double>(magnitude);
}

TEST(NumberTextTest, SignificantDigitsAreThoseOfToChars) {
  std::mt19937_64 random(1234567);
  for (int i = 0; i < 50000; ++i) {
    // Any mantissa, binary exponents from tiny to huge.
    const std::uint64_t mantissa = random() | (std::uint64_t{1} << 63);
    const int exponent = static_cast<int>(random() % 400) - 200;
    ExpectSameDigits(std::ldexp(static_cast<long double>(mantissa), exponent - 63));
    // Whole micrometres, and the results of arithmetic on them.
    const auto um = static_cast<std::int64_t>(random() % 20000000000) - 10000000000;
    const long double mm = static_cast<long double>(um) * kMillimetresPerMicrometre;
    ExpectSameDigits(std::fabs(mm));
    ExpectSameDigits(std::sqrt(std::fabs(mm)));
  }
  // Around powers of ten, where the leading digit's power changes.
  for (int power = -30; power <= 30; ++power) {
    const long double value = std::pow(10.0L, power);
    ExpectSameDigits(value);
    ExpectSameDigits(std::nextafter(value, 0.0L));
    ExpectSameDigits(std::nextafter(value, 1e40L));
  }
  // Exact ties at the 18th digit go to the even neighbour.
  ExpectSameDigits(100000000000000005.0L);
  ExpectSameDigits(100000000000000015.0L);
  EXPECT_EQ(SignificantDecimal(100000000000000015.0L).digits, "10000000000000002");
  ExpectSameDigits(99999999999999999.5L);
  ExpectSameDigits(std::numeric_limits<long double>::denorm_min());
  ExpectSameDigits(std::numeric_limits<long double>::max());
  EXPECT_EQ(SignificantDecimal(0).digits, "0");
}

TEST(NumberTextTest, WholeMicrometresRoundOnTheirDecimalValue) {
  EXPECT_EQ(FixedPointText(1005 * kMillimetresPerMicrometre, 2), "1.01");
  EXPECT_EQ(FixedPointText(-1005 * kMillimetresPerMicrometre, 2), "-1.01");
  auto expectExact = [](std::int64_t um) {
    const long double mm = static_cast<long double>(um) * kMillimetresPerMicrometre;
    for (int decimals = 0; decimals <= 3; ++decimals) {
      ASSERT_EQ(FixedPointText(mm, decimals), ExactMillimetres(um, decimals)) << um << " µm, " << decimals;
    }
  };
  // Every fraction of a millimetre near zero, then a stride through large positions.
  for (std::int64_t um = -20000; um <= 20000; ++um) {
    if (um != 0) expectExact(um);
  }
  for (std::int64_t um = -4000000000; um <= 4000000000; um += 7919 * 13) expectExact(um);
  // Large positions keep every digit.
  const long double far = static_cast<long double>(std::int64_t{4294967295}) * kMillimetresPerMicrometre;
  EXPECT_EQ(FixedPointText(far, 4), "4294967.2950");
  EXPECT_EQ(FixedPointText(far, 2), "4294967.30");
}

TEST(NumberTextTest, FixedDecimalsWithTrailingZerosAndCarries) {
  EXPECT_EQ(FixedPointText(12.5L, 3), "12.500");
  EXPECT_EQ(FixedPointText(0, 4), "0.0000");
  EXPECT_EQ(FixedPointText(0.0004L, 3), "0.000");
  EXPECT_EQ(FixedPointText(0.0005L, 3), "0.001");
  EXPECT_EQ(FixedPointText(9.9995L, 3), "10.000");
  EXPECT_EQ(FixedPointText(999.5L, 0), "1000");
  EXPECT_EQ(FixedPointText(0.5L, 0), "1");
  EXPECT_EQ(FixedPointText(0.123456789L, 6), "0.123457");
  EXPECT_EQ(FixedPointText(1e-30L, 6), "0.000000");
}

TEST(NumberTextTest, DecimalsOutsideOneToSixMeanNone) {
  EXPECT_EQ(DecimalsOf(0), 0);
  EXPECT_EQ(DecimalsOf(1), 1);
  EXPECT_EQ(DecimalsOf(6), 6);
  EXPECT_EQ(DecimalsOf(7), 0);
  EXPECT_EQ(DecimalsOf(-1), 0);
  EXPECT_EQ(FixedPointText(12.5L, 7), "13");
  EXPECT_EQ(FixedPointText(12.5L, -3), "13");
}

TEST(NumberTextTest, NegativeValuesKeepTheirSignEvenAtZero) {
  EXPECT_EQ(FixedPointText(-0.4L, 0), "-0");
  EXPECT_EQ(FixedPointText(-0.0L, 3), "-0.000");
  EXPECT_EQ(FixedPointText(-0.0001L, 3), "-0.000");
  EXPECT_EQ(FixedPointText(-2.5L, 0), "-3");
  EXPECT_EQ(FixedPointText(-2.5L, 0, HalfRounding::kToEven), "-2");
}

TEST(NumberTextTest, HalvesToEvenForTheNearestInteger) {
  EXPECT_EQ(NearestIntegerText(2.5L), "2");
  EXPECT_EQ(NearestIntegerText(3.5L), "4");
  EXPECT_EQ(NearestIntegerText(2.5000001L), "3");
  EXPECT_EQ(NearestIntegerText(-0.4L), "0");
  EXPECT_EQ(NearestIntegerText(-0.0L), "0");
  EXPECT_EQ(NearestIntegerText(-1.5L), "-2");
  EXPECT_EQ(NearestIntegerText(72000), "72000");
}

TEST(NumberTextTest, ShiftsThePointOnTheDecimalDigits) {
  // mm/min to m/min: 1500 × 0.001 in binary lies below 1.5.
  EXPECT_EQ(NearestIntegerText(1500, -3), "2");
  EXPECT_EQ(NearestIntegerText(2500, -3), "2");
  EXPECT_EQ(NearestIntegerText(3500, -3), "4");
  EXPECT_EQ(NearestIntegerText(2100, -3), "2");
  EXPECT_EQ(NearestIntegerText(1499.999L, -3), "1");
  EXPECT_EQ(NearestIntegerText(499, -3), "0");
  EXPECT_EQ(FixedPointText(1.5L, 2, HalfRounding::kAwayFromZero, 2), "150.00");
  EXPECT_EQ(FixedPointText(25, 3, HalfRounding::kAwayFromZero, -4), "0.003");
}

TEST(NumberTextTest, HugeValuesAreWrittenInFullWithoutExponent) {
  const std::string text = FixedPointText(600.0L * 1e300L, 2);
  ASSERT_EQ(text.size(), 303u + 3u);
  EXPECT_EQ(text.substr(0, 18), "600000000000000000");
  EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 3), ".00");

  const std::string largest = FixedPointText(-std::numeric_limits<long double>::max(), 0);
  EXPECT_EQ(largest.size(), 4933u + 1u);
  EXPECT_EQ(largest.substr(0, 18), "-11897314953572318");
}

TEST(NumberTextTest, ValuesThatAreNotFiniteHaveNoText) {
  EXPECT_EQ(FixedPointText(std::numeric_limits<long double>::infinity(), 2), "");
  EXPECT_EQ(FixedPointText(-std::numeric_limits<long double>::infinity(), 2), "");
  EXPECT_EQ(FixedPointText(std::numeric_limits<long double>::quiet_NaN(), 2), "");
  EXPECT_EQ(NearestIntegerText(std::numeric_limits<long double>::infinity(), -3), "");
}

}  // namespace
}  // namespace morvatex
