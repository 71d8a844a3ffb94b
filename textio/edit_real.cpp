// Real output fields: fixed point (F), exponent form (E, D) and the G choice
// between them. Every field is planned first (sign, body length) and then
// written, so the fitting rule lives in one place.
#include <cmath>
#include <cstring>

#include "textio/digits.h"
#include "textio/edit_out.h"

namespace textio::detail {
namespace {

constexpr int kFixedDigits = 16;
constexpr int kSingleDigits = 8;
constexpr int kDoubleDigits = 17;

void stars(char* out, int width) { std::memset(out, '*', static_cast<std::size_t>(width)); }

// The fitting rule. Returns where the body starts (after blanks and sign) and
// whether its leading 0 is dropped, or nullptr when the field is asterisks.
char* place(char* out, int width, bool minus, int body, bool leading_zero, bool& drop_zero) {
  const int s = minus ? 1 : 0;
  drop_zero = false;
  if (s + body > width) {
    if (!leading_zero || s + body - 1 > width) {
      stars(out, width);
      return nullptr;
    }
    drop_zero = true;
    --body;
  }
  char* p = out;
  const int blanks = width - s - body;
  fill_short(p, ' ', blanks);
  p += blanks;
  if (minus) *p++ = '-';
  return p;
}

// Digits from..from+n-1 of the string; places outside it read as 0.
char* copy_digits(char* p, const DigitString& s, int from, int n) {
  int i = from;
  const int end = from + n;
  if (i < 0) {
    const int zeros = (end < 0 ? end : 0) - i;
    fill_short(p, '0', zeros);
    p += zeros;
    i += zeros;
  }
  const int stop = end < s.count ? end : s.count;
  if (i < stop) {
    copy_short(p, s.digit + i, stop - i);
    p += stop - i;
    i = stop;
  }
  if (i < end) {
    fill_short(p, '0', end - i);
    p += end - i;
  }
  return p;
}

void special(char* out, int width, double value) {
  const char* text = std::isnan(value) ? "nan" : "inf";
  const bool minus = std::signbit(value);
  const int length = 3 + (minus ? 1 : 0);
  if (length > width) {
    stars(out, width);
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(width - length));
  char* p = out + (width - length);
  if (minus) *p++ = '-';
  std::memcpy(p, text, 3);
}

// The first-stage string of `count` digits, from the truncated digits when
// the caller has them (`t` not null).
FirstStage first_stage(double value, int count, const TruncatedDigits* t) {
  if (t != nullptr) return first_stage_from_truncated(*t, count);
  DigitString s;
  first_stage_digits(value, count, s);
  return first_stage_of(s);
}

// `f` is the first-stage string of the fixed-point digit count.
void fixed(char* out, int width, int decimals, double value, const FirstStage& f) {
  DigitString s;
  const bool nonzero = second_stage(f, f.k + decimals, s);
  const int integer_digits = nonzero && s.k > 0 ? s.k : 0;
  if (integer_digits > width - decimals - 1) {
    stars(out, width);
    return;
  }
  const bool leading_zero = integer_digits == 0;
  const int body = (leading_zero ? 1 : integer_digits) + 1 + decimals;
  bool drop_zero = false;
  char* p = place(out, width, nonzero && std::signbit(value), body, leading_zero, drop_zero);
  if (p == nullptr) return;
  if (leading_zero) {
    if (!drop_zero) *p++ = '0';
  } else {
    p = copy_digits(p, s, 0, integer_digits);
  }
  *p++ = '.';
  if (!nonzero) {
    fill_short(p, '0', decimals);
    return;
  }
  copy_digits(p, s, s.k, decimals);
}

void exponent_form(char* out, int width, int decimals, double value, const FirstStage& f,
                   char letter) {
  DigitString s;
  const bool nonzero = second_stage(f, decimals, s);
  const int k = nonzero ? s.k : 0;
  const int magnitude = k < 0 ? -k : k;
  if (magnitude > 999) {
    stars(out, width);
    return;
  }
  const int body = 2 + decimals + 4;
  bool drop_zero = false;
  char* p = place(out, width, nonzero && std::signbit(value), body, true, drop_zero);
  if (p == nullptr) return;
  if (!drop_zero) *p++ = '0';
  *p++ = '.';
  if (nonzero) {
    p = copy_digits(p, s, 0, decimals);
  } else {
    fill_short(p, '0', decimals);
    p += decimals;
  }
  if (magnitude <= 99) {
    *p++ = letter;
    *p++ = k < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + magnitude / 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
  } else {
    *p++ = k < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + magnitude / 100);
    *p++ = static_cast<char>('0' + magnitude / 10 % 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
  }
}

}  // namespace

void edit_real(char* out, const Descriptor& d, double value, bool single) {
  const int width = d.width;
  if (!std::isfinite(value)) {
    special(out, width, value);
    return;
  }
  const int n = single ? kSingleDigits : kDoubleDigits;
  // One exact truncated string serves every first-stage count below.
  TruncatedDigits truncated;
  const TruncatedDigits* t = truncated_digits(value, truncated) ? &truncated : nullptr;
  switch (d.code) {
    case Descriptor::Code::F:
      fixed(out, width, d.digits, value, first_stage(value, kFixedDigits, t));
      return;
    case Descriptor::Code::E:
    case Descriptor::Code::D: {
      exponent_form(out, width, d.digits, value, first_stage(value, n, t),
                    d.code == Descriptor::Code::D ? 'D' : 'E');
      return;
    }
    case Descriptor::Code::G: {
      const FirstStage s = first_stage(value, n, t);
      // The choice uses k before any rounding to d digits.
      if (s.zero || s.k < 0 || s.k > d.digits) {
        exponent_form(out, width, d.digits, value, s, 'E');
        return;
      }
      if (width <= 4) {
        stars(out, width);
        return;
      }
      // The fixed-point branch starts again from the exact value with its
      // own count; the first-stage string of the choice is not reused.
      const int decimals = d.digits - s.k;
      fixed(out, width - 4, decimals, value, first_stage(value, kFixedDigits, t));
      std::memset(out + width - 4, ' ', 4);
      return;
    }
    default:
      return;
  }
}

}  // namespace textio::detail
