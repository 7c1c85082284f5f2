#pragma once
// Conversions of floating-point values to whole numbers, as the platform's own conversions do
// them: to the nearest, a half going to the even neighbour (152.5 gives 152, 427.5 gives 428),
// and an overflow error when the result does not fit its 16- or 32-bit target. Checked integer
// addition and division raise the same run-time error instead of wrapping or trapping.

#include <cstdint>
#include <string>
#include <string_view>

namespace amorix {

std::int16_t RoundToInt16(double value);
std::int32_t RoundToInt32(double value);
std::int32_t CheckedAdd(std::int32_t a, std::int32_t b);
double CheckedDivide(double numerator, double denominator);
// A sum of doubles; an infinite or undefined result is an overflow.
double CheckedSum(double a, double b);

// Text to number as the platform's implicit conversion does it: an optional sign, decimal digits
// and an optional fraction and exponent, surrounding spaces ignored; anything else is a type
// mismatch.
double TextToNumber(std::u16string_view text);
// The general number-to-text conversion: whole numbers as plain decimal digits with no leading
// space, separator or decimal point; others with up to 15 significant digits.
std::u16string NumberToText(double value);

}  // namespace amorix
