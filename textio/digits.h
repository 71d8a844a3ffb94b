#pragma once
// First-stage decimal digit strings of reals and the second-stage rounding.
#include <cstdint>
#include <cstring>

namespace textio::detail {

// n copies of c at p, for the short runs of a field, without a library call.
inline void fill_short(char* p, char c, int n) {
  const std::uint64_t w = 0x0101010101010101u * static_cast<unsigned char>(c);
  if (n >= 8) {
    for (int i = 0; i + 8 < n; i += 8) std::memcpy(p + i, &w, 8);
    std::memcpy(p + n - 8, &w, 8);
  } else if (n >= 4) {
    std::memcpy(p, &w, 4);
    std::memcpy(p + n - 4, &w, 4);
  } else {
    if (n > 0) p[0] = c;
    if (n > 1) p[1] = c;
    if (n > 2) p[2] = c;
  }
}

// The n characters at from to p (the ranges do not overlap), without a library call.
inline void copy_short(char* p, const char* from, int n) {
  if (n >= 8) {
    std::uint64_t w;
    for (int i = 0; i + 8 < n; i += 8) {
      std::memcpy(&w, from + i, 8);
      std::memcpy(p + i, &w, 8);
    }
    std::memcpy(&w, from + n - 8, 8);
    std::memcpy(p + n - 8, &w, 8);
  } else if (n >= 4) {
    std::uint32_t a, b;
    std::memcpy(&a, from, 4);
    std::memcpy(&b, from + n - 4, 4);
    std::memcpy(p, &a, 4);
    std::memcpy(p + n - 4, &b, 4);
  } else {
    if (n > 0) p[0] = from[0];
    if (n > 1) p[1] = from[1];
    if (n > 2) p[2] = from[2];
  }
}

// The magnitude as 0.D1D2...Dn x 10^k. Digits are held as the characters '0'..'9'.
// For the value 0 every digit is '0' and k is 0.
struct DigitString {
  static constexpr int kMaxDigits = 17;
  char digit[kMaxDigits + 1];
  int count = 0;
  int k = 0;
  bool zero = true;
};

// Writes `count` (1..17) significant digits of the finite magnitude |value|,
// rounded half up at the last digit from the exact binary value. Float items
// pass their value widened to double, which is exact.
void first_stage_digits(double value, int count, DigitString& out);

// The first 18 decimal digits of the exact magnitude, truncated (not
// rounded): |value| = 0.D1D2...D18... x 10^k, held as the integer D1D2...D18.
// Rounding these half up at any count below 18 is exact, because the
// discarded tail reaches one half exactly when its first digit is 5 or more.
// One such string therefore serves every first-stage count of an item (8 or
// 17 and 16 for G).
struct TruncatedDigits {
  static constexpr int kDigits = 18;
  std::uint64_t digits = 0;  // 10^17 <= digits < 10^18
  int k = 0;
};

// Fills `out` for a finite nonzero value whose digits come from one product in
// 128 bits without a division (all single-precision values from about 1e-13
// up to 1e18, and doubles of short significands or moderate size); returns
// false otherwise, and for 0, leaving the caller to first_stage_digits.
bool truncated_digits(double value, TruncatedDigits& out);

// A first-stage string held as an integer: the magnitude is 0.D1...Dcount x
// 10^k where D1...Dcount are the `count` decimal digits of `digits` (leading
// zeros included). For the value 0, `digits` is 0, k is 0 and `zero` is set.
struct FirstStage {
  std::uint64_t digits = 0;
  int count = 0;
  int k = 0;
  bool zero = true;
};

// The first-stage string of `count` (1..17) digits from a truncated string.
FirstStage first_stage_from_truncated(const TruncatedDigits& t, int count);

// The same string as first_stage_digits writes it, held as an integer.
FirstStage first_stage_of(const DigitString& s);

// The second stage: the first-stage string rounded half up to its first
// `keep` digits, with the same rules as round_half_up. Only the digits that
// remain significant are written to `out` (out.count of them; the places
// after them read as 0); out.k is the exponent after any carry. Returns false
// when nothing significant remains.
bool second_stage(const FirstStage& f, int keep, DigitString& out);

// Rounds the string half up so that only its first `keep` digits remain
// significant (the rest become '0'). keep <= 0 keeps nothing: with keep == 0
// a first digit of 5 or more rounds up to 1 x 10^(k+1). A carry out of the
// first digit makes the string 1000... and raises k by one. Returns false
// when nothing significant remains (the shown digits are all zero).
bool round_half_up(DigitString& s, int keep);

// Exact comparison of the magnitude with a decimal midpoint: true when
// |value| >= (d + 1/2) * 10^t, that is when |value| reaches the point halfway
// between the digit strings d and d+1 at scale 10^t.
bool reaches_midpoint(double value, std::uint64_t d, int t);

}  // namespace textio::detail
