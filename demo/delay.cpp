#include "demo/delay.h"

#include <sys/times.h>

namespace demo {
namespace {

// The tick counts seen by the previous dtime call (0 before the first).
struct ProcessorClock {
  clock_t user = 0;
  clock_t system = 0;
};

ProcessorClock& processor_clock() {
  static ProcessorClock clock;
  return clock;
}

constexpr float kSecondsPerTick = 0.01f;

}  // namespace

float dtime(std::array<float, 2>& parts) {
  tms now{};
  times(&now);
  ProcessorClock& last = processor_clock();
  parts[0] = static_cast<float>(now.tms_utime - last.user) * kSecondsPerTick;
  parts[1] = static_cast<float>(now.tms_stime - last.system) * kSecondsPerTick;
  last.user = now.tms_utime;
  last.system = now.tms_stime;
  return parts[0] + parts[1];
}

float dtime() {
  std::array<float, 2> parts{};
  return dtime(parts);
}

void delay(const float& seconds) {
  dtime();  // restart the measurement
  float elapsed = 0.0f;
  if (seconds <= 0.0f) return;
  do {
    elapsed += dtime();
  } while (seconds > elapsed);
}

}  // namespace demo
