#include "app/numeric.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "app/runtime_error.h"

namespace amorix {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToInt32(152.5), 152);
  EXPECT_EQ(RoundToInt32(427.5), 428);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(2.4999), 2);
  EXPECT_EQ(RoundToInt16(7.5), 8);
  EXPECT_EQ(RoundToInt16(22.5), 22);
}

TEST(Rounding, ResultsOutsideTheTargetOverflow) {
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_EQ(RoundToInt16(-32768.5), -32768);
  EXPECT_THROW(RoundToInt16(32767.5), RuntimeError);
  EXPECT_THROW(RoundToInt16(-32768.6), RuntimeError);
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_THROW(RoundToInt32(2147483647.5), RuntimeError);
  EXPECT_THROW(RoundToInt32(1e300), RuntimeError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::infinity()), RuntimeError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), RuntimeError);
}

TEST(Arithmetic, OverflowAndDivisionByZeroAreRunTimeErrors) {
  EXPECT_EQ(CheckedAdd(20, 20), 40);
  EXPECT_THROW(CheckedAdd(2147483647, 1), RuntimeError);
  EXPECT_THROW(CheckedAdd(-2147483647 - 1, -1), RuntimeError);
  EXPECT_THROW(CheckedDivide(1, 0), RuntimeError);
  EXPECT_THROW(CheckedDivide(0, 0), RuntimeError);
  EXPECT_THROW(CheckedSum(1e308, 1e308), RuntimeError);
}

TEST(NumberText, WholeNumbersArePlainDigits) {
  EXPECT_EQ(NumberToText(68), u"68");
  EXPECT_EQ(NumberToText(100), u"100");
  EXPECT_EQ(NumberToText(-5), u"-5");
  EXPECT_EQ(NumberToText(0), u"0");
  EXPECT_EQ(NumberToText(-0.0), u"0");
  EXPECT_EQ(NumberToText(2.5), u"2.5");
}

// Fractions and large values as C's "%.15G" writes them, exact halves to the even neighbour:
// compared with the C library over chosen values and over random bit patterns of every size.
TEST(NumberText, OthersHaveFifteenSignificantDigitsAsCWritesThem) {
  const auto c_text = [](double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return std::u16string(buffer, buffer + std::strlen(buffer));
  };
  EXPECT_EQ(NumberToText(0.1 + 0.2), u"0.3");
  EXPECT_EQ(NumberToText(1e15), u"1E+15");
  EXPECT_EQ(NumberToText(1234567890123455.0), u"1.23456789012346E+15");  // an exact half, up
  EXPECT_EQ(NumberToText(1234567890123445.0), u"1.23456789012344E+15");  // an exact half, down
  EXPECT_EQ(NumberToText(0.0001), u"0.0001");
  EXPECT_EQ(NumberToText(-0.00001), u"-1E-05");
  EXPECT_EQ(NumberToText(0.99999999999999994), u"1");
  std::mt19937_64 random(20261209);
  std::vector<double> values = {5e-324,
                                2.2250738585072014e-308,
                                1.7976931348623157e308,
                                9.999999999999995e14,
                                123456.7890123456,
                                -2.5e-7};
  while (values.size() < 5000) {
    const double value = std::bit_cast<double>(random());
    if (std::isfinite(value)) values.push_back(value);
  }
  for (double value : values) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) continue;
    ASSERT_EQ(NumberToText(value), c_text(value)) << value;
  }
}

TEST(NumberText, TextBecomesANumberOrATypeMismatch) {
  EXPECT_EQ(TextToNumber(u"60"), 60);
  EXPECT_EQ(TextToNumber(u" 60 "), 60);
  EXPECT_EQ(TextToNumber(u"-1.5"), -1.5);
  EXPECT_THROW(TextToNumber(u""), RuntimeError);
  EXPECT_THROW(TextToNumber(u"6O"), RuntimeError);
  EXPECT_THROW(TextToNumber(u"\u0666\u0660"), RuntimeError);
}

// The same in every locale and on every platform: decimal text only.
TEST(NumberText, OnlyDecimalTextIsANumber) {
  EXPECT_EQ(TextToNumber(u"+60"), 60);
  EXPECT_EQ(TextToNumber(u".5"), 0.5);
  EXPECT_EQ(TextToNumber(u"5."), 5);
  EXPECT_EQ(TextToNumber(u"0.1"), 0.1);
  EXPECT_EQ(TextToNumber(u"1.25E2"), 125);
  EXPECT_EQ(TextToNumber(u"2500e-2"), 25);
  EXPECT_EQ(TextToNumber(u"-0"), 0);
  EXPECT_EQ(TextToNumber(u"000000000000000000000000060"), 60);
  EXPECT_DOUBLE_EQ(TextToNumber(u"12345678901234567890123"), 1.2345678901234568e22);
  EXPECT_EQ(TextToNumber(u"1e-400"), 0);
  EXPECT_THROW(TextToNumber(u"1e400"), RuntimeError);
  for (std::u16string_view bad : {u"0x10", u"1,5", u"1e", u"e5", u".", u"-", u"+-1", u"1.2.3",
                                  u"inf", u"nan", u"1 0", u"\t60", u"1e+"}) {
    EXPECT_THROW(TextToNumber(bad), RuntimeError) << std::string(bad.begin(), bad.end());
  }
}

}  // namespace
}  // namespace amorix
