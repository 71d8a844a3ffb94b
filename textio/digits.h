#pragma once
// First-stage decimal digit strings of reals and the second-stage rounding.
#include <cstdint>

namespace textio::detail {

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
