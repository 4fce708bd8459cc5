#include "engine/DxfNumberText.h"

#include <charconv>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "engine/ExtendedPrecision.h"

namespace morvatex {
namespace {

// The rule spelled out step by step with the standard formatter: 20
// decimals, the position of the point fixes the decimals D, the value
// rounded again to D decimals, trailing zeros and a bare point removed.
std::string ByTheRule(long double value) {
  char buffer[6000];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 20);
  const std::string twenty(buffer, r.ptr);
  const int point = static_cast<int>(twenty.find('.')) + 1;
  int decimals = 18 - point + (twenty[0] == '-' ? 1 : 0);
  if (decimals < 0) decimals = 0;
  r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, r.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

long double Micrometres(long long value) { return static_cast<long double>(value) * kMillimetresPerMicrometre; }

TEST(DxfNumberTextTest, WritesPlainValuesWithoutNeedlessDigits) {
  EXPECT_EQ(DxfNumberText(12.5L), "12.5");
  EXPECT_EQ(DxfNumberText(100), "100");
  EXPECT_EQ(DxfNumberText(Micrometres(1)), "0.001");
  EXPECT_EQ(DxfNumberText(-3.25L), "-3.25");
  EXPECT_EQ(DxfNumberText(0), "0");
  EXPECT_EQ(DxfNumberText(Micrometres(-2147483648LL)), "-2147483.648");
  EXPECT_EQ(DxfNumberText(-90), "-90");
}

TEST(DxfNumberTextTest, KeepsSeventeenSignificantDigitsOfTheExtendedValue) {
  // 560 µm in extended precision is 0.56 to far more than 16 decimals; the
  // same product in double precision is 0.56000000000000005329...
  EXPECT_EQ(DxfNumberText(Micrometres(560)), "0.56");
  EXPECT_EQ(DxfNumberText(static_cast<long double>(560 * 0.001)), "0.5600000000000001");
  // tan(π/8) = √2 − 1 = 0.41421356237309504880...: 16 decimals end in
  // ...0950, and the last zero goes.
  EXPECT_EQ(DxfNumberText(std::tan(kPi / 8)), "0.414213562373095");
  EXPECT_EQ(DxfNumberText(-std::tan(kPi / 8)), "-0.414213562373095");
  // 1/3: below 1 there are 16 decimals, from 10 on 15, and so on.
  EXPECT_EQ(DxfNumberText(1.0L / 3), "0.3333333333333333");
  EXPECT_EQ(DxfNumberText(-1.0L / 3), "-0.3333333333333333");
  EXPECT_EQ(DxfNumberText(100.0L / 3), "33.333333333333333");
  EXPECT_EQ(DxfNumberText(2.0L / 3), "0.6666666666666667");
  EXPECT_EQ(DxfNumberText(1e16L / 3), "3333333333333333.3");
  // Small values keep their 16 decimals, not 17 significant digits.
  EXPECT_EQ(DxfNumberText(1e-10L / 3), "0.0000000000333333");
  EXPECT_EQ(DxfNumberText(6e-17L), "0.0000000000000001");
}

TEST(DxfNumberTextTest, RoundingThatCarriesIntoANewDigitLeavesTheWholeNumber) {
  EXPECT_EQ(DxfNumberText(std::nextafter(10.0L, 0.0L)), "10");
  EXPECT_EQ(DxfNumberText(std::nextafter(1.0L, 0.0L)), "1");
  EXPECT_EQ(DxfNumberText(-std::nextafter(1.0L, 0.0L)), "-1");
  EXPECT_EQ(DxfNumberText(std::nextafter(100000.0L, 0.0L)), "100000");
  EXPECT_EQ(DxfNumberText(std::nextafter(1e17L, 0.0L)), "100000000000000000");
}

TEST(DxfNumberTextTest, NeverWritesASignedZeroAnExponentOrAPlusSign) {
  EXPECT_EQ(DxfNumberText(-0.0L), "0");
  EXPECT_EQ(DxfNumberText(-4e-17L), "0");
  EXPECT_EQ(DxfNumberText(4e-17L), "0");
  EXPECT_EQ(DxfNumberText(1e-300L), "0");
  EXPECT_EQ(DxfNumberText(std::numeric_limits<long double>::denorm_min()), "0");
  // From 10^17 on no decimal is left; the integer digits all stay.
  EXPECT_EQ(DxfNumberText(1e17L), "100000000000000000");
  EXPECT_EQ(DxfNumberText(std::ldexp(1.0L, 70)), "1180591620717411303424");
  EXPECT_EQ(DxfNumberText(-std::ldexp(1.0L, 70)), "-1180591620717411303424");
}

TEST(DxfNumberTextTest, AnExactTieRoundsToEven) {
  // 2^-17 = 0.00000762939453125 has its 17th decimal 5 and nothing after.
  EXPECT_EQ(DxfNumberText(std::ldexp(1.0L, -17)), "0.0000076293945312");
  EXPECT_EQ(DxfNumberText(3 * std::ldexp(1.0L, -17)), "0.0000228881835938");
}

TEST(DxfNumberTextTest, AgreesWithTheRuleOverTheWholeRange) {
  std::mt19937_64 random(20240611);
  std::vector<long double> values;
  // Any bit pattern from 10^-25 to 10^20, both signs.
  std::uniform_int_distribution<int> exponent(-85, 68);
  for (int i = 0; i < 60000; ++i) {
    const long double mantissa = std::ldexp(static_cast<long double>(random() | (1ULL << 63)), -64);
    values.push_back(std::ldexp(mantissa, exponent(random)) * ((i & 1) ? -1 : 1));
  }
  // Positions as the interpreter makes them, up to the largest relative sums.
  for (int i = 0; i < 30000; ++i) {
    values.push_back(Micrometres(static_cast<long long>(random() % (1ULL << 52)) - (1LL << 51)));
    values.push_back(Micrometres(static_cast<long long>(random() % 2000000) - 1000000));
  }
  // Next to every power of ten, and the exact ties of every decimal count.
  for (int k = -20; k <= 20; ++k) {
    const long double power = std::pow(10.0L, k);
    for (long double v : {power, std::nextafter(power, 0.0L), std::nextafter(power, 1e30L)}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  for (int bits = 1; bits <= 20; ++bits) {
    for (long long odd = 1; odd < 4000; odd += 2) values.push_back(std::ldexp(static_cast<long double>(odd), -bits));
  }
  for (long double value : values) {
    ASSERT_EQ(DxfNumberText(value), ByTheRule(value)) << static_cast<double>(value);
  }
}

TEST(DxfNumberTextTest, AppendsToWhatIsThere) {
  std::string text = " 10\r\n";
  AppendDxfNumber(text, 0.5L);
  EXPECT_EQ(text, " 10\r\n0.5");
}

}  // namespace
}  // namespace morvatex
