#pragma once
// Loop ranges: a program repeats a piece of work for lists of values chosen at
// run time. Two loop variables exist, written "$" and "&"; while a loop is
// active, the answer $ or & to any numeric question stands for the current
// value of that variable.
//
//   std::int32_t iloop = 0;
//   do { input::do_loop(iloop); if (iloop == 0) break; /* one pass */ } while (true);
#include <array>
#include <cstdint>

namespace input {

inline constexpr std::int32_t kLoopCapacity = 256;

struct LoopState {
  std::array<float, kLoopCapacity> dollar{};     // the $ values
  std::array<float, kLoopCapacity> ampersand{};  // the & values
  std::int32_t count = 0;  // number of $ values of the current loop
  std::int32_t index = 0;  // 0: no loop active; else 1..count
};
LoopState& loop_state();

// iloop 0 sets up a new loop (asks for the $ list under "$=", takes an "&="
// list from the keyword buffer or copies the $ list); any other value steps to
// the next position. Writes the progress line " DO-LOOP:  $=...   &=..." to the
// transcript and the terminal, or the message "Do-loop has terminated" at the
// end. iloop receives the new position, 0 when the loop has ended.
void do_loop(std::int32_t& iloop);

// The current $ and & values. While no loop is active they return 0; the
// storing stage of usrinp refuses $ and & in that state instead of using them.
float doval();
float doval2();
bool loop_active();

}  // namespace input
