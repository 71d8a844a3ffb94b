// End-of-list markers: setting, testing and counting.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "input/endmarks.h"

namespace {

using input::endlin;
using input::iendlin;
using input::inel;
using input::isetend;
using input::nel;
using input::neld;
using input::setend;

float marker() { return std::bit_cast<float>(input::kRealEndMarkerBits); }

TEST(EndMarkers, MarkerValues) {
  EXPECT_EQ(marker(), -3.4028234663852886e+38f);
  EXPECT_EQ(marker(), -std::numeric_limits<float>::max());
  EXPECT_EQ(input::kIntegerEndMarker, -2147483647 - 1);
  EXPECT_NEAR(std::bit_cast<double>(input::kDoubleEndMarkerBits) / 2.1178512674e-314, 1.0, 1e-9);
}

TEST(EndMarkers, EndlinTable) {
  struct Row {
    float value;
    std::int32_t expected;
  };
  const Row rows[] = {
      {-3.4028234663852886e+38f, 1},
      {std::nextafter(-3.4028234663852886e+38f, 0.0f), 0},  // -3.4028232635611926e+38
      {0.0f, 0},
      {-std::numeric_limits<float>::infinity(), 0},
      {std::numeric_limits<float>::max(), 0},
  };
  for (const Row& r : rows) EXPECT_EQ(endlin(r.value), r.expected) << r.value;
  EXPECT_EQ(static_cast<double>(std::nextafter(-3.4028234663852886e+38f, 0.0f)), -3.4028232635611926e+38);
}

TEST(EndMarkers, IendlinTable) {
  EXPECT_EQ(iendlin(std::int32_t{-2147483647 - 1}), 1);
  EXPECT_EQ(iendlin(std::int32_t{-2147483647}), 0);
  EXPECT_EQ(iendlin(std::int32_t{0}), 0);
  EXPECT_EQ(iendlin(std::int16_t{-32768}), 1);
  EXPECT_EQ(iendlin(std::int16_t{-32767}), 0);
  EXPECT_EQ(iendlin(std::int16_t{0}), 0);
}

TEST(EndMarkers, SettersWriteExactlyTheirBytes) {
  std::int32_t i = 7;
  isetend(i);
  EXPECT_EQ(i, input::kIntegerEndMarker);
  std::int16_t s = 7;
  isetend(s);
  EXPECT_EQ(s, input::kShortEndMarker);
  float f = 1.0f;
  setend(f);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(f), 0xff7fffffu);

  // An 8-byte element: the first four bytes only; the upper half of 1.0 stays.
  double d = 1.0;
  setend(d);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0x3ff00000ff7fffffull);
  EXPECT_EQ(endlin(d), 1);

  // A byte span shorter than four bytes is left alone.
  std::array<std::byte, 3> tiny{std::byte{1}, std::byte{2}, std::byte{3}};
  setend(std::span<std::byte>(tiny));
  EXPECT_EQ(tiny[0], std::byte{1});
  EXPECT_EQ(endlin(std::span<const std::byte>(tiny)), 0);
}

TEST(EndMarkers, CountingFloats) {
  std::array<float, 6> v{1, 2, 3, 4, 5, 6};
  EXPECT_EQ(nel(v, 6), 6);  // no marker: n
  EXPECT_EQ(nel(v, 4), 4);
  v[3] = marker();
  EXPECT_EQ(nel(v, 6), 3);  // marker in element 4
  EXPECT_EQ(nel(v, 3), 3);  // the marker lies beyond n
  v[0] = marker();
  EXPECT_EQ(nel(v, 6), 0);
  EXPECT_EQ(nel(v, 0), 0);
  EXPECT_EQ(nel(v, -1), 0);
  // n larger than the array: never reads past it.
  std::array<float, 2> w{1, 2};
  EXPECT_EQ(nel(w, 100), 2);
}

TEST(EndMarkers, CountingIntegers) {
  std::array<std::int32_t, 5> v{1, 2, 3, input::kIntegerEndMarker, 5};
  EXPECT_EQ(inel(v, 5), 3);
  EXPECT_EQ(inel(v, 2), 2);
  EXPECT_EQ(inel(v, 0), 0);
  EXPECT_EQ(inel(v, -7), 0);
  std::array<std::int16_t, 4> s{9, input::kShortEndMarker, 0, 0};
  EXPECT_EQ(inel(s, 4), 1);
  EXPECT_EQ(inel(std::span<const std::int16_t>(s).subspan(2), 2), 2);
}

TEST(EndMarkers, CountingDoubles) {
  std::array<double, 5> v{1.0, 2.0, 3.0, 4.0, 5.0};
  EXPECT_EQ(neld(v, 5), 5);
  setend(v[2]);  // upper half of 3.0 still there
  EXPECT_EQ(neld(v, 5), 2);
  // The decoder's marker pattern counts too, directly and through endlin.
  v[1] = std::bit_cast<double>(input::kDoubleEndMarkerBits);
  EXPECT_EQ(neld(v, 5), 1);
  EXPECT_EQ(endlin(v[1]), 1);
  // Any double whose first four bytes hold the pattern ends the list.
  v[0] = std::bit_cast<double>(std::uint64_t{0x12345678ff7fffffull});
  EXPECT_EQ(neld(v, 5), 0);
  EXPECT_EQ(neld(v, 0), 0);
  EXPECT_EQ(neld(v, -1), 0);
}

}  // namespace
