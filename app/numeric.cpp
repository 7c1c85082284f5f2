#include "app/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/runtime_error.h"

namespace amorix {
namespace {

template <typename Int>
Int RoundChecked(double value) {
  if (!std::isfinite(value)) throw RuntimeError("Overflow");
  const double rounded = value - std::remainder(value, 1.0);  // remainder() ties to even
  if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
    throw RuntimeError("Overflow");
  }
  return static_cast<Int>(rounded);
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// [+|-] digits [. digits] [(e|E) [+|-] digits], at least one digit before the exponent; nothing
// else, whatever the locale. Up to 19 significant digits are kept; a value whose digits and
// power of ten are both exact in a double is exact, others within a few units of the last place.
std::optional<double> ParseDecimal(std::u16string_view s) {
  std::size_t i = 0;
  const bool negative = i < s.size() && s[i] == u'-';
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
  std::uint64_t mantissa = 0;
  int kept = 0, exponent = 0, digits = 0;
  bool fraction = false;
  for (; i < s.size(); ++i) {
    if (s[i] == u'.' && !fraction) {
      fraction = true;
      continue;
    }
    if (!IsDigit(s[i])) break;
    ++digits;
    if (kept < 19) {
      mantissa = mantissa * 10 + static_cast<unsigned>(s[i] - u'0');
      if (mantissa != 0) ++kept;
      if (fraction) --exponent;
    } else if (!fraction) {
      ++exponent;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    ++i;
    const bool down = i < s.size() && s[i] == u'-';
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
    if (i == s.size() || !IsDigit(s[i])) return std::nullopt;
    int power = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
      power = std::min(power * 10 + (s[i] - u'0'), 100000);
    }
    exponent += down ? -power : power;
  }
  if (i != s.size()) return std::nullopt;
  // Only exact powers of ten and IEEE multiplications: the same result on every platform.
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  double value = static_cast<double>(mantissa);
  while (mantissa != 0 && exponent != 0 && value != 0 && std::isfinite(value)) {
    const int step = std::clamp(exponent, -22, 22);
    value = step > 0 ? value * kPowers[step] : value / kPowers[-step];
    exponent -= step;
  }
  return negative ? -value : value;
}

// A finite, positive double's decimal digits, all of them, with no rounding: the value is
// 0.<digits> times ten to the power of point. Worked out in whole numbers of base 10^9 digits
// (least significant first): the mantissa times 2^e, or, for e < 0, times 5^-e over 10^-e.
struct Decimal {
  std::string digits;
  int point;
};

Decimal ExactDigits(double value) {
  constexpr std::uint32_t kBase = 1'000'000'000;
  int exponent = 0;
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(value, &exponent), 53));
  exponent -= 53;
  std::vector<std::uint32_t> limbs{static_cast<std::uint32_t>(mantissa % kBase),
                                   static_cast<std::uint32_t>(mantissa / kBase)};
  const std::uint32_t factor = exponent > 0 ? 2 : 5;
  for (int i = std::abs(exponent); i > 0; --i) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs) {
      carry += std::uint64_t{limb} * factor;
      limb = static_cast<std::uint32_t>(carry % kBase);
      carry /= kBase;
    }
    if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
  }
  while (limbs.back() == 0) limbs.pop_back();
  std::string digits = std::to_string(limbs.back());
  for (auto limb = limbs.rbegin() + 1; limb != limbs.rend(); ++limb) {
    const std::string part = std::to_string(*limb);
    digits.append(9 - part.size(), '0').append(part);
  }
  const int point = static_cast<int>(digits.size()) - std::max(0, -exponent);
  return {std::move(digits), point};
}

// A finite, positive value to 15 significant digits, an exact half going to the even neighbour,
// trailing zeros dropped; in plain digits when its power of ten is from -4 to 14, else as
// d.dddE+XX: what C's "%.15G" writes, the same on every platform.
std::string SignificantText(double value) {
  constexpr std::size_t kSignificant = 15;
  auto [digits, point] = ExactDigits(value);
  if (digits.size() > kSignificant) {
    const char next = digits[kSignificant];
    const bool beyond_half = digits.find_first_not_of('0', kSignificant + 1) != std::string::npos;
    const bool odd = (digits[kSignificant - 1] - '0') % 2 == 1;
    digits.resize(kSignificant);
    if (next > '5' || (next == '5' && (beyond_half || odd))) {
      const auto last = digits.find_last_not_of('9');
      if (last == std::string::npos) {
        digits.assign(1, '1');
        ++point;
      } else {
        digits.resize(last + 1);
        ++digits[last];
      }
    }
  }
  digits.resize(digits.find_last_not_of('0') + 1);
  const int power = point - 1;
  const int size = static_cast<int>(digits.size());
  std::string text;
  if (power < -4 || power >= static_cast<int>(kSignificant)) {
    text.append(digits, 0, 1);
    if (size > 1) text.append(1, '.').append(digits, 1);
    const std::string magnitude = std::to_string(std::abs(power));
    text.append(power < 0 ? "E-" : "E+").append(magnitude.size() < 2 ? "0" : "").append(magnitude);
  } else if (point <= 0) {
    text.append("0.").append(-point, '0').append(digits);
  } else if (point >= size) {
    text.append(digits).append(point - size, '0');
  } else {
    text.append(digits, 0, point).append(1, '.').append(digits, point);
  }
  return text;
}

}  // namespace

std::int16_t RoundToInt16(double value) {
  return RoundChecked<std::int16_t>(value);
}
std::int32_t RoundToInt32(double value) {
  return RoundChecked<std::int32_t>(value);
}

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  const std::int64_t sum = std::int64_t{a} + b;
  if (sum < std::numeric_limits<std::int32_t>::min() ||
      sum > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeError("Overflow");
  }
  return static_cast<std::int32_t>(sum);
}

double CheckedDivide(double numerator, double denominator) {
  if (denominator == 0) throw RuntimeError("Division by zero");
  const double quotient = numerator / denominator;
  if (!std::isfinite(quotient)) throw RuntimeError("Overflow");
  return quotient;
}

double CheckedSum(double a, double b) {
  const double sum = a + b;
  if (!std::isfinite(sum)) throw RuntimeError("Overflow");
  return sum;
}

double TextToNumber(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) throw RuntimeError("Type mismatch");
  const std::u16string_view number = text.substr(first, text.find_last_not_of(u' ') - first + 1);
  const std::optional<double> value = ParseDecimal(number);
  if (!value) throw RuntimeError("Type mismatch");
  if (!std::isfinite(*value)) throw RuntimeError("Overflow");
  return *value;
}

std::u16string NumberToText(double value) {
  std::string text;
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    text = std::to_string(static_cast<std::int64_t>(value));
  } else if (!std::isfinite(value)) {
    text = std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
  } else {
    if (value < 0) text.push_back('-');
    text.append(SignificantText(std::fabs(value)));
  }
  return std::u16string(text.begin(), text.end());
}

}  // namespace amorix
