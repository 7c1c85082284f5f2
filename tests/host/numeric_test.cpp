#include "app/numeric.h"

#include <gtest/gtest.h>

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

TEST(NumberText, TextBecomesANumberOrATypeMismatch) {
  EXPECT_EQ(TextToNumber(u"60"), 60);
  EXPECT_EQ(TextToNumber(u" 60 "), 60);
  EXPECT_EQ(TextToNumber(u"-1.5"), -1.5);
  EXPECT_THROW(TextToNumber(u""), RuntimeError);
  EXPECT_THROW(TextToNumber(u"6O"), RuntimeError);
  EXPECT_THROW(TextToNumber(u"\u0666\u0660"), RuntimeError);
}

}  // namespace
}  // namespace amorix
