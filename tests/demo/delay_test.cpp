#include "demo/delay.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

double process_cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(Delay, SpinsForTheRequestedProcessorTime) {
  const double before = process_cpu_seconds();
  demo::delay(0.2f);
  // The wait counts whole 0.01 s ticks from wherever the first tick stood, so
  // it may end up to one tick early; allow one more for the two clocks' rounding.
  EXPECT_GE(process_cpu_seconds() - before, 0.18);
}

TEST(Delay, ZeroOrNegativeReturnsAtOnce) {
  for (float seconds : {0.0f, -1.0f, -0.01f}) {
    const double before = process_cpu_seconds();
    demo::delay(seconds);
    EXPECT_LT(process_cpu_seconds() - before, 0.05) << seconds;
  }
}

TEST(Dtime, ReturnsUserPlusSystemInHundredthsSinceTheLastCall) {
  std::array<float, 2> parts{-1, -1};
  demo::dtime(parts);
  float total = 0.0f;
  volatile double sink = 0;
  while ((total = demo::dtime(parts)) == 0.0f) sink = sink + 1;  // spin until a tick passes
  EXPECT_GE(parts[0], 0.0f);
  EXPECT_GE(parts[1], 0.0f);
  EXPECT_FLOAT_EQ(total, parts[0] + parts[1]);
  EXPECT_NEAR(total * 100.0f, std::round(total * 100.0f), 1e-3f);
  // Measured from the previous call, so a short spin gives a small value.
  EXPECT_LT(total, 0.5f);
}

}  // namespace
