// First-stage digit strings. The leading digits come from the standard
// library's correctly rounded conversion with guard digits beyond the ones
// wanted; the guard digits decide the half-up rounding, and only when they
// read exactly 5000... is the exact binary value compared with the midpoint.
#include "textio/digits.h"

#include <charconv>
#include <cstring>

namespace textio::detail {
namespace {

constexpr int kGuardDigits = 9;

}  // namespace

bool round_half_up(DigitString& s, int keep) {
  if (s.zero) return false;
  if (keep >= s.count) return true;
  if (keep < 0) {
    std::memset(s.digit, '0', static_cast<std::size_t>(s.count));
    return false;
  }
  const bool up = s.digit[keep] >= '5';
  std::memset(s.digit + keep, '0', static_cast<std::size_t>(s.count - keep));
  if (!up) {
    for (int i = 0; i < keep; ++i) {
      if (s.digit[i] != '0') return true;
    }
    return false;
  }
  int i = keep - 1;
  while (i >= 0 && s.digit[i] == '9') s.digit[i--] = '0';
  if (i >= 0) {
    ++s.digit[i];
  } else {
    // Carry out of the first digit: 0.999.. x 10^k becomes 0.1000.. x 10^(k+1).
    s.digit[0] = '1';
    ++s.k;
  }
  return true;
}

void first_stage_digits(double value, int count, DigitString& out) {
  out.count = count;
  out.digit[count] = '\0';
  if (value < 0) value = -value;
  if (value == 0) {
    std::memset(out.digit, '0', static_cast<std::size_t>(count));
    out.k = 0;
    out.zero = true;
    return;
  }
  out.zero = false;
  // d.ddd...e+XXX with count + guard digits.
  char buf[64];
  const int total = count + kGuardDigits;
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, total - 1);
  const char* p = buf;
  char all[32];
  all[0] = *p++;
  ++p;  // the point
  for (int i = 1; i < total; ++i) all[i] = *p++;
  ++p;  // 'e'
  const bool negative_exponent = *p == '-';
  ++p;
  int exponent = 0;
  for (; p < r.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  if (negative_exponent) exponent = -exponent;
  out.k = exponent + 1;
  std::memcpy(out.digit, all, static_cast<std::size_t>(count));

  bool up;
  const char first_guard = all[count];
  if (first_guard != '5') {
    up = first_guard > '5';
  } else {
    bool rest_zero = true;
    for (int i = count + 1; i < total; ++i) {
      if (all[i] != '0') {
        rest_zero = false;
        break;
      }
    }
    if (!rest_zero) {
      up = true;
    } else {
      // A tie or a near tie in the guard digits: decide exactly.
      std::uint64_t d = 0;
      for (int i = 0; i < count; ++i) d = d * 10 + static_cast<std::uint64_t>(all[i] - '0');
      up = reaches_midpoint(value, d, out.k - count);
    }
  }
  if (up) {
    int i = count - 1;
    while (i >= 0 && out.digit[i] == '9') out.digit[i--] = '0';
    if (i >= 0) {
      ++out.digit[i];
    } else {
      out.digit[0] = '1';
      ++out.k;
    }
  }
}

}  // namespace textio::detail
