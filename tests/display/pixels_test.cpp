// Pixel values: the row conversion (vectorised where the machine allows)
// against a direct statement of the rule.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "display/pixels.h"

namespace {

// The rule as stated: q = (v - low) / step as a 32-bit real; rounded halves
// away from zero, or truncated; clamped to 0 to 200 (NaN shows as 0).
int rule(float v, float low, float step, bool round) {
  const float q = (v - low) / step;
  if (std::isnan(q)) return 0;
  const float r = round ? std::round(q) : std::trunc(q);
  if (r >= 200.0f) return 200;
  if (r <= 0.0f) return 0;
  return static_cast<int>(r);
}

std::vector<float> special_values() {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> v = {0.0f, -0.0f, 0.5f, -0.5f, 0.49999997f, 1.5f, 2.5f, 198.5f, 199.5f,
                          200.0f, 200.49998f, 200.5f, 201.0f, 1e9f, -1e9f, 3e38f, -3e38f, inf,
                          -inf, nan, -nan, 1e-45f, 7.9f, 127.5f, 128.0f, 255.0f, 256.0f, 65535.0f,
                          65536.5f, 2147483648.0f, -2147483904.0f};
  for (int p = 0; p <= 202; ++p) {
    v.push_back(static_cast<float>(p));
    v.push_back(p + 0.5f);
    v.push_back(std::nextafter(p + 0.5f, 0.0f));
    v.push_back(std::nextafter(p + 0.5f, 1000.0f));
  }
  return v;
}

TEST(Pixels, ScalarValueFollowsTheRule) {
  for (float v : special_values()) {
    for (bool round : {true, false}) {
      EXPECT_EQ(display::detail::pixel_value(v, 0.0f, 1.0f, round), rule(v, 0.0f, 1.0f, round))
          << v << " round " << round;
    }
  }
}

TEST(Pixels, RowEqualsTheRuleForEveryLengthAndScale) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> spread(-50.0f, 1300.0f);
  std::vector<float> values = special_values();
  for (int n = 0; n < 5000; ++n) values.push_back(spread(random));
  // Random bit patterns: every kind of float, NaNs and denormals included.
  for (int n = 0; n < 5000; ++n) {
    const std::uint32_t bits = random();
    float f;
    std::memcpy(&f, &bits, 4);
    values.push_back(f);
  }
  struct Scale {
    float low, high;
  } scales[] = {{0.0f, 199.0f}, {0.0f, 1000.0f}, {-10.0f, 5.0f}, {1000.0f, 0.0f},
                {5.0f, 5.0f},   {0.0f, 1e-30f},  {-1e30f, 1e30f}};
  for (const auto& s : scales) {
    const float step = (s.high - s.low) * 0.0050251256f;
    for (bool round : {true, false}) {
      // Lengths around the vector width, at odd offsets.
      for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                                 std::size_t{17}, std::size_t{33}, values.size() - 3}) {
        const std::size_t offset = length == 0 ? 0 : 3;
        std::vector<unsigned char> out(length + 2, 0xEE);
        display::detail::pixel_row(values.data() + offset, out.data() + 1, length, s.low, step,
                                   round);
        EXPECT_EQ(out.front(), 0xEE);
        EXPECT_EQ(out.back(), 0xEE);  // nothing written past the row
        for (std::size_t i = 0; i < length; ++i) {
          ASSERT_EQ(out[i + 1], rule(values[offset + i], s.low, step, round))
              << "value " << values[offset + i] << " low " << s.low << " high " << s.high
              << " round " << round << " at " << i;
        }
      }
    }
  }
}

}  // namespace
