// Numeric input fields. The real reader collects the digits and the decimal
// exponent itself and leaves the correctly rounded conversion of the decimal
// string to the standard library.
#include "textio/edit_in.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace textio::detail {
namespace {

constexpr std::size_t kMaxRealField = 395;
constexpr std::int64_t kExponentLimit = 1000000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void store(void* dest, bool single, double value) {
  if (single) {
    const float f = static_cast<float>(value);
    std::memcpy(dest, &f, sizeof f);
  } else {
    std::memcpy(dest, &value, sizeof value);
  }
}

}  // namespace

Status read_real(std::string_view field, int decimals, bool single, void* dest) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (field.size() - i > kMaxRealField) return failure(kDataConversion);
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  // Mantissa digits, leading zeros dropped; blanks ignored; at most one point.
  char digits[kMaxRealField + 1];
  std::size_t count = 0;
  bool point = false;
  std::int64_t after_point = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c == ' ') continue;
    if (c == '.') {
      if (point) return failure(kDataConversion);
      point = true;
      continue;
    }
    if (!is_digit(c)) break;
    if (point) ++after_point;
    if (count == 0 && c == '0') continue;
    digits[count++] = c;
  }
  // Exponent: a letter E, e, D or d, or directly a sign; then sign and digits.
  std::int64_t exponent = 0;
  if (i < field.size()) {
    char c = field[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
    if (!letter && c != '+' && c != '-') return failure(kDataConversion);
    if (letter) ++i;
    while (i < field.size() && field[i] == ' ') ++i;
    bool exponent_negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
      exponent_negative = field[i] == '-';
      ++i;
    }
    for (; i < field.size(); ++i) {
      c = field[i];
      if (c == ' ') continue;
      if (!is_digit(c)) return failure(kDataConversion);
      if (exponent < kExponentLimit) exponent = exponent * 10 + (c - '0');
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (count == 0) {
    // No significant digit (empty, blank, a sign alone, zeros): the value 0.
    store(dest, single, 0.0);
    return {};
  }
  // value = digits x 10^(exponent - scale), with the point overriding d.
  const std::int64_t scale = point ? after_point : decimals;
  std::int64_t power = exponent - scale;
  if (power > kExponentLimit) power = kExponentLimit;
  if (power < -kExponentLimit) power = -kExponentLimit;
  char text[kMaxRealField + 32];
  std::memcpy(text, digits, count);
  std::size_t length = count;
  text[length++] = 'e';
  const auto r = std::to_chars(text + length, text + sizeof text, power);
  length = static_cast<std::size_t>(r.ptr - text);
  double value = 0;
  if (single) {
    float f = 0;
    const auto res = std::from_chars(text, text + length, f);
    if (res.ec == std::errc::result_out_of_range) {
      const bool overflow = power + static_cast<std::int64_t>(count) > 0;
      f = overflow ? HUGE_VALF : 0.0f;
    }
    value = negative ? -static_cast<double>(f) : static_cast<double>(f);
  } else {
    const auto res = std::from_chars(text, text + length, value);
    if (res.ec == std::errc::result_out_of_range) {
      const bool overflow = power + static_cast<std::int64_t>(count) > 0;
      value = overflow ? HUGE_VAL : 0.0;
    }
    if (negative) value = -value;
  }
  store(dest, single, value);
  return {};
}

Status read_integer(std::string_view field, std::int64_t& value) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  std::int64_t v = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c == ' ') continue;
    if (!is_digit(c)) return failure(kDataConversion);
    v = v * 10 + (c - '0');
    if (v > (std::int64_t{1} << 40)) return failure(kDataConversion);
  }
  value = negative ? -v : v;
  return {};
}

Status read_logical(std::string_view field, bool& value) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (i < field.size() && field[i] == '.') ++i;
  if (i >= field.size()) {
    value = false;
    return {};
  }
  const char c = field[i];
  if (c == 'T' || c == 't') {
    value = true;
  } else if (c == 'F' || c == 'f') {
    value = false;
  } else {
    return failure(kDataConversion);
  }
  return {};
}

}  // namespace textio::detail
