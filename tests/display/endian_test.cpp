// Byte-order detection.
#include <bit>

#include <gtest/gtest.h>

#include "display/state.h"
#include "tests/display/wire.h"

namespace {

TEST(Endian, HostOrderAndNoReport) {
  display::display_state() = display::DisplayState{};
  EXPECT_EQ(display::display_state().sys_endian, ' ');
  display_test::StdoutCapture out;
  display::get_endian();
  const char expected = std::endian::native == std::endian::little ? 'L' : 'B';
  EXPECT_EQ(display::display_state().sys_endian, expected);
  EXPECT_EQ(out.text(), "");
}

TEST(DisplayState, OneInstanceStartsZeroFilled) {
  EXPECT_EQ(&display::display_state(), &display::display_state());
  const display::DisplayState fresh{};
  EXPECT_EQ(fresh.integer4.fb_choice, 0);
  EXPECT_EQ(fresh.integer2.fb_width, 0);
  EXPECT_EQ(fresh.integer2.cur_frame, 0);
  EXPECT_EQ(fresh.integer2.packet.size(), 8192u);
  EXPECT_EQ(fresh.sys_endian, ' ');
  for (const auto& title : fresh.titles) {
    for (char c : title) EXPECT_EQ(c, '\0');
  }
}

}  // namespace
