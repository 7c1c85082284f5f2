#include "app/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

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
  char buffer[32];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value == 0 ? 0.0 : value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
  }
  return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

}  // namespace amorix
