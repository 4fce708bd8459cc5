#include "engine/IntegerReader.h"

#include <gtest/gtest.h>

namespace morvatex {
namespace {

void ExpectValue(std::string_view text, std::int32_t value) {
  const IntegerRead read = ReadInteger(text);
  EXPECT_TRUE(read.ok) << text;
  EXPECT_EQ(read.value, value) << text;
}

void ExpectFailure(std::string_view text, std::int32_t partial) {
  const IntegerRead read = ReadInteger(text);
  EXPECT_FALSE(read.ok) << text;
  EXPECT_EQ(read.value, partial) << text;
}

TEST(IntegerReader, ReadsDecimalsWithBlanksAndOneSign) {
  ExpectValue("1000", 1000);
  ExpectValue("  -2000", -2000);
  ExpectValue("+7", 7);
  ExpectValue("0", 0);
  ExpectValue("000000000000000000012", 12);
}

TEST(IntegerReader, ReadsHexadecimalBehindItsFourMarks) {
  ExpectValue("$1F", 31);
  ExpectValue("x1f", 31);
  ExpectValue("X10", 16);
  ExpectValue("0x10", 16);
  ExpectValue("0XfF", 255);
  ExpectValue("-$10", -16);
}

TEST(IntegerReader, AcceptsExactlyTheThirtyTwoBitRange) {
  ExpectValue("2147483647", 2147483647);
  ExpectValue("-2147483648", -2147483647 - 1);
  ExpectValue("$7FFFFFFF", 2147483647);
  ExpectValue("-$80000000", -2147483647 - 1);
  EXPECT_FALSE(ReadInteger("2147483648").ok);
  EXPECT_FALSE(ReadInteger("-2147483649").ok);
  EXPECT_FALSE(ReadInteger("$80000000").ok);
  EXPECT_FALSE(ReadInteger("$FFFFFFFF").ok);
  EXPECT_FALSE(ReadInteger("99999999999999999999999999").ok);
}

TEST(IntegerReader, FailsOnAnythingElseAndKeepsTheDigitsBeforeTheFault) {
  ExpectFailure("", 0);
  ExpectFailure(" ", 0);
  ExpectFailure("-", 0);
  ExpectFailure("$", 0);
  ExpectFailure("0x", 0);
  ExpectFailure("1.5", 1);
  ExpectFailure("150x", 150);
  ExpectFailure("-5a", -5);
  ExpectFailure("12 ", 12);
  ExpectFailure("--1", 0);
  ExpectFailure("abc", 0);
  ExpectFailure("1e3", 1);
}

}  // namespace
}  // namespace morvatex
