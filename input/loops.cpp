#include "input/loops.h"

#include <algorithm>
#include <span>

#include "diag/diag.h"
#include "input/endmarks.h"
#include "input/usrinp.h"
#include "textio/format.h"
#include "textio/io.h"
#include "textio/item.h"

namespace input {

LoopState& loop_state() {
  static LoopState state;
  return state;
}

namespace {

bool index_valid(const LoopState& s) { return s.index >= 1 && s.index <= kLoopCapacity; }

void set_up_loop(LoopState& s) {
  usrinp(std::as_writable_bytes(std::span<float>(s.dollar)), kLoopCapacity, "F", 4, 0, "$=",
         "Enter the values for $ to be used in the do-loop:");
  s.count = nel(s.dollar, kLoopCapacity);
  std::copy_n(s.dollar.begin(), s.count, s.ampersand.begin());
  usrinp(std::as_writable_bytes(std::span<float>(s.ampersand.data(), static_cast<std::size_t>(s.count))),
         s.count, "F", 4, 4, "&=", "Enter the values for & to be used in the do-loop:");
  if (nel(s.ampersand, s.count) != s.count) diag::error(-3, "UNEQUAL RANGE IN DO-LOOP VALUES");
  s.index = 1;
}

}  // namespace

void do_loop(std::int32_t& iloop) {
  LoopState& s = loop_state();
  if (iloop == 0) {
    set_up_loop(s);
  } else {
    ++s.index;
  }
  if (s.index > s.count) {
    s.index = 0;
    diag::message("Do-loop has terminated");
  } else {
    static const textio::Format progress("' DO-LOOP:  $=',G11.4,'   &=',G11.4");
    const float d = s.dollar[static_cast<std::size_t>(s.index - 1)];
    const float a = s.ampersand[static_cast<std::size_t>(s.index - 1)];
    textio::unit_write(7, progress, {textio::item(d), textio::item(a)});
    textio::unit_write(6, progress, {textio::item(d), textio::item(a)});
  }
  iloop = s.index;
}

float doval() {
  const LoopState& s = loop_state();
  return index_valid(s) ? s.dollar[static_cast<std::size_t>(s.index - 1)] : 0.0f;
}

float doval2() {
  const LoopState& s = loop_state();
  return index_valid(s) ? s.ampersand[static_cast<std::size_t>(s.index - 1)] : 0.0f;
}

bool loop_active() { return index_valid(loop_state()); }

}  // namespace input
