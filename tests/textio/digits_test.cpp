// First-stage digit strings against a slow exact reference: the complete
// decimal expansion (every float and double has a finite one) rounded half up.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "textio/digits.h"

namespace {

using textio::detail::DigitString;

// The exact expansion has at most 767 significant digits for a double.
DigitString reference(double value, int count) {
  DigitString out;
  out.count = count;
  char buf[1200];
  const auto r = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value,
                               std::chars_format::scientific, 1100);
  std::string digits(1, buf[0]);
  const char* p = buf + 2;  // after the first digit and the point
  while (*p != 'e') digits += *p++;
  const int exponent = std::stoi(std::string(p + 1, static_cast<const char*>(r.ptr)));
  out.k = exponent + 1;
  out.zero = false;
  bool up = digits[static_cast<std::size_t>(count)] >= '5';
  std::string kept = digits.substr(0, static_cast<std::size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      kept[0] = '1';
      ++out.k;
    }
  }
  std::memcpy(out.digit, kept.data(), static_cast<std::size_t>(count));
  return out;
}

void expect_same(double value, int count) {
  DigitString fast;
  textio::detail::first_stage_digits(value, count, fast);
  const DigitString slow = reference(value, count);
  ASSERT_EQ(std::string(fast.digit, static_cast<std::size_t>(count)),
            std::string(slow.digit, static_cast<std::size_t>(count)))
      << "value " << value << " count " << count;
  ASSERT_EQ(fast.k, slow.k) << "value " << value << " count " << count;
}

TEST(FirstStageDigits, KnownStrings) {
  struct Row {
    double value;
    int count;
    const char* digits;
    int k;
  };
  const Row rows[] = {
      {0.25, 1, "3", 0},                         // tie: half up
      {0.125, 2, "13", 0},
      {2.5, 1, "3", 1},
      {static_cast<double>(0.15f), 8, "15000001", 0},
      {0.15, 16, "1500000000000000", 0},         // 0.1499999999999999944...
      {0.15, 17, "14999999999999999", 0},
      {1e23, 17, "99999999999999992", 23},
      {2.98023223876953125e-08, 17, "29802322387695313", -7},
      {static_cast<double>(999999.875f), 8, "99999988", 6},
      {static_cast<double>(999999.875f), 16, "9999998750000000", 6},
      {9.5, 1, "1", 2},                          // carry out of the first digit
      {0.0, 8, "00000000", 0},
  };
  for (const auto& r : rows) {
    DigitString s;
    textio::detail::first_stage_digits(r.value, r.count, s);
    EXPECT_EQ(std::string(s.digit, static_cast<std::size_t>(r.count)), r.digits) << r.value;
    EXPECT_EQ(s.k, r.k) << r.value;
  }
}

TEST(FirstStageDigits, SecondStageRounding) {
  struct Row {
    double value;
    int keep;
    const char* digits;
    int k;
    bool nonzero;
  };
  const Row rows[] = {
      {0.25, 1, "3000000000000000", 0, true},  {0.05, 0, "1000000000000000", 0, true},
      {0.04, 0, "0000000000000000", -1, false}, {0.004, -1, "0000000000000000", -2, false},
      {9.9999, 4, "1000000000000000", 2, true},
  };
  for (const auto& r : rows) {
    DigitString s;
    textio::detail::first_stage_digits(r.value, 16, s);
    EXPECT_EQ(textio::detail::round_half_up(s, r.keep), r.nonzero) << r.value;
    EXPECT_EQ(std::string(s.digit, 16), r.digits) << r.value;
    EXPECT_EQ(s.k, r.k) << r.value;
  }
}

// The integer second stage against the character rounding it replaces: the
// same nonzero answer, exponent and significant digits for every keep.
void expect_same_second_stage(double value, int count) {
  DigitString first;
  textio::detail::first_stage_digits(value, count, first);
  const textio::detail::FirstStage f = textio::detail::first_stage_of(first);
  for (int keep = -2; keep <= count + 1; ++keep) {
    DigitString chars = first;
    const bool nonzero = textio::detail::round_half_up(chars, keep);
    DigitString integer;
    ASSERT_EQ(textio::detail::second_stage(f, keep, integer), nonzero)
        << value << " keep " << keep;
    if (!nonzero) continue;
    ASSERT_EQ(integer.k, chars.k) << value << " keep " << keep;
    std::string shown(integer.digit, static_cast<std::size_t>(integer.count));
    shown.resize(static_cast<std::size_t>(count), '0');
    ASSERT_EQ(shown, std::string(chars.digit, static_cast<std::size_t>(count)))
        << value << " keep " << keep;
  }
}

TEST(FirstStageDigits, IntegerSecondStageMatchesCharacterRounding) {
  for (const double v : {0.0, 0.25, 0.05, 0.04, 9.9999, 0.5, 0.95, 99.95, 1e-3, 123456.0}) {
    for (const int n : {8, 16, 17}) expect_same_second_stage(v, n);
  }
  std::mt19937_64 rng(777);
  for (int i = 0; i < 5000; ++i) {
    const auto bits32 = static_cast<std::uint32_t>(rng()) & 0x7fffffffu;
    float f;
    std::memcpy(&f, &bits32, 4);
    if (std::isfinite(f)) {
      expect_same_second_stage(f, 8);
      expect_same_second_stage(f, 16);
    }
    const double d = static_cast<double>(rng() % 2000000) / 1000.0;
    expect_same_second_stage(d, 17);
  }
}

// Every power of two and its neighbours (many exact ties live there), then
// random bit patterns of both precisions.
TEST(FirstStageDigits, MatchExactReference) {
  const int counts[] = {8, 16, 17};
  for (int e = -149; e <= 127; ++e) {
    const float f = std::ldexp(1.0f, e);
    for (const float v : {f, std::nextafter(f, 0.0f), std::nextafter(f, 1e30f), 3 * f, 5 * f}) {
      if (!std::isfinite(v) || v == 0) continue;
      for (const int n : {8, 16}) expect_same(v, n);
    }
  }
  for (int e = -1074; e <= 1023; e += 1) {
    const double d = std::ldexp(1.0, e);
    for (const double v : {d, std::nextafter(d, 0.0), 5 * d}) {
      if (!std::isfinite(v) || v == 0) continue;
      for (const int n : counts) expect_same(v, n);
    }
  }
  std::mt19937_64 rng(12345);
  for (int i = 0; i < 20000; ++i) {
    const auto bits32 = static_cast<std::uint32_t>(rng()) & 0x7fffffffu;
    float f;
    std::memcpy(&f, &bits32, 4);
    if (std::isfinite(f) && f != 0) {
      expect_same(f, 8);
      expect_same(f, 16);
    }
    const std::uint64_t bits64 = rng() & 0x7fffffffffffffffull;
    double d;
    std::memcpy(&d, &bits64, 8);
    if (std::isfinite(d) && d != 0) {
      expect_same(d, 16);
      expect_same(d, 17);
    }
  }
  // Short decimals: their neighbourhoods hold the near ties.
  for (int i = 1; i < 20000; ++i) {
    const double d = i / 1000.0;
    for (const int n : counts) expect_same(d, n);
    const float f = static_cast<float>(i) / 64.0f;
    expect_same(f, 8);
    expect_same(f, 16);
  }
}

}  // namespace
