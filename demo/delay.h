#pragma once
// Pacing of the focus sequence: a busy wait on the process's own processor time.
#include <array>

namespace demo {

// Processor time (user plus system, seconds) used since the previous call; the
// user and system parts go to parts[0] and parts[1]. The first call measures
// from the start of the process. Ticks count 0.01 s each.
float dtime(std::array<float, 2>& parts);
float dtime();

// Returns once at least `seconds` of processor time have been used; 0 or less
// returns at once. It spins on purpose: the wait is measured in processor time.
void delay(const float& seconds);

}  // namespace demo
