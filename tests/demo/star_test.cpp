#include "demo/star.h"

#include <array>
#include <gtest/gtest.h>

namespace {

TEST(StarWidth, FollowsTheFrameRuleOverOnePass) {
  const std::array<float, 16> expected = {4, 6, 8, 10, 12, 14, 16, 18, 16, 14, 12, 10, 8, 6, 4, 2};
  for (int frame = 1; frame <= 16; ++frame) EXPECT_EQ(demo::star_width(frame), expected[frame - 1]) << frame;
}

TEST(StarImage, CentreAndCutOff) {
  std::array<float, 64 * 64> image{};
  auto at = [&](int i, int j) { return image[(j - 1) * 64 + (i - 1)]; };

  demo::star_image(image, 2.0f);
  EXPECT_NEAR(at(32, 32), 1455.6f, 0.1f);
  // The centre lies between the four middle pixels: all four are equal.
  EXPECT_EQ(at(32, 32), at(33, 32));
  EXPECT_EQ(at(32, 32), at(32, 33));
  EXPECT_EQ(at(32, 32), at(33, 33));
  // With W = 2 every pixel 16 or more from the centre is exactly zero.
  for (int j = 1; j <= 64; ++j) {
    for (int i = 1; i <= 64; ++i) {
      const float dx = i - 32.5f, dy = j - 32.5f;
      if (dx * dx + dy * dy >= 256.0f) {
        EXPECT_EQ(at(i, j), 0.0f) << i << "," << j;
      }
    }
  }

  // With W = 18 nothing of the image is cut off and the corners are not zero.
  demo::star_image(image, 18.0f);
  EXPECT_GT(at(1, 1), 0.0f);
  EXPECT_GT(at(64, 64), 0.0f);
  // Symmetric about the centre.
  EXPECT_EQ(at(1, 1), at(64, 64));
  EXPECT_EQ(at(10, 3), at(55, 62));
}

}  // namespace
