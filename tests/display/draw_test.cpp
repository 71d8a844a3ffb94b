// Overlay drawing records: fields, the 1280 substitution, coordinate conversion.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/kiv.h"
#include "display/state.h"
#include "tests/display/wire.h"

namespace {

using display::display_state;
using display::kiv_draw;
using display_test::Packet;
using display_test::Wire;
using W = std::vector<std::uint16_t>;

Packet one_draw(Wire& wire) {
  auto packets = wire.packets();
  EXPECT_EQ(packets.size(), 1u);
  if (packets.empty()) return {};
  return packets[0];
}

TEST(Draw, RecordLengthAndHeader) {
  struct Case {
    std::int32_t count;
    std::size_t length;
    std::uint16_t thingct;
  } cases[] = {{0, 67, 0xFFBD}, {-1, 67, 0xFFBD}, {-100, 67, 0xFFBD}, {1, 77, 0xFFB3}, {2, 87, 0xFFA9}};
  const std::vector<float> extra = {1.5f, -2.25f};
  for (const auto& c : cases) {
    Wire wire;
    display_state().integer2.cur_frame = 1;
    kiv_draw(3, 4, 5, 1.0f, 2.0f, 1, 0.0f, 0.0f, 0.0f, extra, c.count);
    const Packet p = one_draw(wire);
    EXPECT_EQ(p.data.size(), c.length) << c.count;
    EXPECT_EQ(p.word(display::kThingct), c.thingct);
    EXPECT_EQ(p.word(display::kTid), 0x4000);
    EXPECT_EQ(p.word(display::kSubunit), 13);
    EXPECT_EQ(p.word(display::kZ), 1);
    EXPECT_EQ(p.word(display::kT), 0);
    EXPECT_TRUE(display::checksum_ok(p.header));
    if (c.length == 67) {
      EXPECT_EQ(p.word(display::kChecksum), 0xC034);
    }
  }
}

TEST(Draw, Fields) {
  Wire wire;
  display_state().integer2.cur_frame = 1;
  const std::vector<float> extra = {12.3456f, -0.0005f};
  kiv_draw(7, -12, 1234567, 5.0f, -3.5f, 1, 99.9f, 123456.0f, -0.5f, extra, 2);
  const Packet p = one_draw(wire);
  EXPECT_EQ(p.data,
            " 7  -12  1234567     5.000    -3.500    99.900 *********    -0.500    12.346    -0.001 ");
  // Extra values at 67 and 77, each followed by a blank.
  EXPECT_EQ(p.data[76], ' ');
  EXPECT_EQ(p.data[86], ' ');
}

TEST(Draw, FieldOverflowKeepsColumns) {
  Wire wire;
  display_state().integer2.cur_frame = 1;
  kiv_draw(100, 12345, -12345678, 0.0f, 0.0f, 1, 0.0f, 0.0f, 0.0f, {}, 0);
  EXPECT_EQ(one_draw(wire).data,
            "** **** ********     0.000     0.000     0.000     0.000     0.000 ");
}

TEST(Draw, Substitution1280) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    std::int32_t code1, code2;
    float value1, value2;
    const char* field;
  } cases[] = {
      {1, 1024, 2.0f, 3.0f, "1280"}, {1, 1024, 3.0f, 2.0f, "1280"}, {1, 1024, 2.0f, 2.0f, "1024"},
      {2, 1024, 2.0f, 3.0f, "1024"}, {1, 1023, 2.0f, 3.0f, "1023"}, {1, 1024, nan, 3.0f, "1024"},
      {1, 1024, 2.0f, nan, "1024"},  {1, 1024, nan, nan, "1024"},   {0, 1024, 2.0f, 3.0f, "1024"},
  };
  for (const auto& c : cases) {
    Wire wire;
    display_state().integer2.cur_frame = 1;
    kiv_draw(c.code1, c.code2, 0, 0.0f, 0.0f, 1, c.value1, c.value2, 0.0f, {}, 0);
    EXPECT_EQ(one_draw(wire).data.substr(3, 4), c.field)
        << c.code1 << " " << c.code2 << " " << c.value1 << " " << c.value2;
  }
}

// Converted x and y with the blank between them.
std::string position_fields(const std::string& record) { return record.substr(17, 19); }

TEST(Draw, CoordinateConversion) {
  // Frame 1 loaded at column 32, line 96; frame 2 at column 10, line 70; frame 2 current.
  {
    Wire wire;
    const float pixel[1] = {0.0f};
    display::kivload(pixel, 1, 1, 32, 96, 0.0f, 1.0f, "one", 1, 2);
    display::kivload(pixel, 1, 1, 10, 70, 0.0f, 1.0f, "two", 2, 2);
    ASSERT_EQ(display_state().integer2.cur_frame, 2);
    kiv_draw(0, 0, 0, 5.0f, 5.0f, 1, 0.0f, 0.0f, 0.0f, {}, 0);
    kiv_draw(0, 0, 0, 5.0f, 5.0f, 2, 0.0f, 0.0f, 0.0f, {}, 0);
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(position_fields(packets[2].data), "   27.000   -21.000");
    EXPECT_EQ(position_fields(packets[3].data), "    5.000     5.000");  // same frame: unchanged
  }
  struct Case {
    const char* what;
    std::int32_t frame;
    std::int32_t xoff_frame, yoff_frame, xoff_cur, yoff_cur;
  } cases[] = {
      {"offsets of the given frame", 3, 2, 4, 0, 0},
      {"offsets of the current frame", 3, 0, 0, 2, 4},
      {"both", 3, -6, 9, 2, 4},
      {"frame 0 counts as never loaded", 0, 0, 0, 0, 0},
      {"frame 17 counts as never loaded", 17, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Wire wire;
    auto& s = display_state();
    s.integer2.frame_x0[2] = 30;  // frame 3
    s.integer2.frame_y0[2] = 20;
    s.integer2.frame_x0[4] = 30;  // frame 5, current
    s.integer2.frame_y0[4] = 11;
    s.integer2.cur_frame = 5;
    if (c.frame >= 1 && c.frame <= 16) {
      s.integer4.frame_xoff[0][static_cast<std::size_t>(c.frame - 1)] = c.xoff_frame;
      s.integer4.frame_yoff[0][static_cast<std::size_t>(c.frame - 1)] = c.yoff_frame;
    }
    s.integer4.frame_xoff[0][4] = c.xoff_cur;
    s.integer4.frame_yoff[0][4] = c.yoff_cur;
    kiv_draw(0, 0, 0, 5.0f, 5.0f, c.frame, 0.0f, 0.0f, 0.0f, {}, 0);
    const std::string got = position_fields(one_draw(wire).data);
    // x' = x - xoff(f) + xoff(cur) + x0(f) - x0(cur); y' = y - yoff(f) + yoff(cur) - y0(f) + y0(cur)
    const bool slot = c.frame >= 1 && c.frame <= 16;
    const float x = 5.0f - static_cast<float>(c.xoff_frame) + static_cast<float>(c.xoff_cur) +
                    (slot ? 30.0f : 0.0f) - 30.0f;
    const float y = 5.0f - static_cast<float>(c.yoff_frame) + static_cast<float>(c.yoff_cur) -
                    (slot ? 20.0f : 0.0f) + 11.0f;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%9.3f %9.3f", x, y);
    EXPECT_EQ(got, expected) << c.what;
  }
}

TEST(Draw, EraseCursorCodes) {
  Wire wire;
  display_state().integer2.cur_frame = 1;
  for (std::int32_t flag : {7, 1, 5, 0, 3, 1}) display::kiv_erase_cursor(flag);
  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 6u);
  const char* codes[] = {" 0", "10", "10", " 0", " 0", "10"};
  for (std::size_t n = 0; n < 6; ++n) {
    EXPECT_EQ(packets[n].data,
              std::string(codes[n]) + "  256      201     1.000     1.000     1.000     1.000     0.000 ")
        << n;
  }
}

// The cursor position is given in the current frame: sent as 1.000, 1.000
// wherever the current frame was loaded.
TEST(Draw, EraseCursorIsNotMovedByPlacement) {
  Wire wire;
  const float pixel[1] = {0.0f};
  display::kivload(pixel, 1, 1, 32, 96, 0.0f, 1.0f, "one", 4, 2);
  display::kiv_erase_cursor(1);
  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(position_fields(packets[1].data), "    1.000     1.000");
}

TEST(Draw, ExtraCountLimitedToTheArrayAndTheBuffer) {
  {
    Wire wire;
    display_state().integer2.cur_frame = 1;
    const std::vector<float> extra = {1.0f};
    kiv_draw(0, 0, 0, 0.0f, 0.0f, 1, 0.0f, 0.0f, 0.0f, extra, 5);
    EXPECT_EQ(one_draw(wire).data.size(), 77u);
  }
  {
    Wire wire;
    display_state().integer2.cur_frame = 1;
    const std::vector<float> extra(2000, 2.0f);
    kiv_draw(0, 0, 0, 0.0f, 0.0f, 1, 0.0f, 0.0f, 0.0f, extra, 2000);
    const Packet p = one_draw(wire);
    EXPECT_EQ(p.data.size(), static_cast<std::size_t>(67 + 10 * display::kMaxDrawExtra));
    EXPECT_LE(p.data.size(), 8192u);
    EXPECT_EQ(p.data.substr(p.data.size() - 10), "    2.000 ");
  }
}

}  // namespace
