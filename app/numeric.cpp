#include "app/numeric.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

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
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) throw RuntimeError("Type mismatch");
    narrow += static_cast<char>(c);
  }
  const auto first = narrow.find_first_not_of(' ');
  const auto last = narrow.find_last_not_of(' ');
  if (first == std::string::npos) throw RuntimeError("Type mismatch");
  std::string_view digits(narrow.data() + first, last - first + 1);
  if (digits.front() == '+') digits.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) {
    throw RuntimeError(error == std::errc::result_out_of_range ? "Overflow" : "Type mismatch");
  }
  return value;
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
