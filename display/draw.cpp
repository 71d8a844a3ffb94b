// Overlay drawing records.
#include <algorithm>
#include <span>

#include "display/kiv.h"
#include "display/send.h"
#include "textio/format.h"
#include "textio/io.h"

namespace display {

namespace {

struct Placement {
  std::int32_t xoff = 0;
  std::int32_t yoff = 0;
  std::int32_t x0 = 0;
  std::int32_t y0 = 0;
};

// A frame number outside 1 to 16 (or a set outside the table) has no slot;
// it is taken as a frame that was never loaded, all zero.
Placement placement(const DisplayState& state, std::int32_t set, std::int32_t frame) {
  Placement p;
  if (set < 0 || set >= kSets || frame < 1 || frame > kFrames) return p;
  const auto f = static_cast<std::size_t>(frame - 1);
  const auto s = static_cast<std::size_t>(set);
  p.xoff = state.integer4.frame_xoff[s][f];
  p.yoff = state.integer4.frame_yoff[s][f];
  p.x0 = state.integer2.frame_x0[f];
  p.y0 = state.integer2.frame_y0[f];
  return p;
}

// Unequal, with a comparison involving a NaN counting as equal.
bool differ(float a, float b) { return a < b || a > b; }

}  // namespace

void kiv_draw(std::int32_t code1, std::int32_t code2, std::int32_t code3, float x, float y,
              std::int32_t frame, float value1, float value2, float value3,
              std::span<const float> extra, std::int32_t count) {
  auto& state = display_state();
  // Extra values beyond the caller's array or beyond the packet buffer are not sent.
  const std::int32_t extras = std::clamp<std::int64_t>(
      std::min<std::int64_t>(count, static_cast<std::int64_t>(extra.size())), 0, kMaxDrawExtra);
  const std::int32_t length = 67 + 10 * extras;
  const std::int32_t code2_sent =
      (code1 == 1 && code2 == 1024 && differ(value1, value2)) ? 1280 : code2;

  detail::send_header(0x4000, -length, kDrawPacket, 0, 0, 1, 0);

  // Keep the frame-buffer position: from the image coordinates of `frame`
  // to those of the current frame (image rows run downward in frame lines).
  const std::int32_t set = state.integer4.set_index;
  const Placement from = placement(state, set, frame);
  const Placement to = placement(state, set, state.integer2.cur_frame);
  const float xc = x - static_cast<float>(from.xoff) + static_cast<float>(to.xoff) +
                   static_cast<float>(from.x0) - static_cast<float>(to.x0);
  const float yc = y - static_cast<float>(from.yoff) + static_cast<float>(to.yoff) -
                   static_cast<float>(from.y0) + static_cast<float>(to.y0);

  static const textio::Format fixed_part("(I2,1X,I4,1X,I8,1X,F9.3,1X,F9.3,1X,F9.3,1X,F9.3,1X,F9.3,1X)");
  static const textio::Format extra_value("(F9.3,1X)");
  char* p = state.integer2.packet.data();
  textio::internal_write(std::span<char>(p, 67), fixed_part,
                         {textio::item(code1), textio::item(code2_sent), textio::item(code3),
                          textio::item(xc), textio::item(yc), textio::item(value1),
                          textio::item(value2), textio::item(value3)});
  for (std::int32_t k = 0; k < extras; ++k) {
    textio::internal_write(std::span<char>(p + 67 + 10 * k, 10), extra_value,
                           {textio::item(extra[static_cast<std::size_t>(k)])});
  }
  detail::send_data(length);
}

void kiv_erase_cursor(std::int32_t flag) {
  auto& state = display_state();
  if (flag == 0) state.erase_cursor_code1 = 0;
  if (flag == 1) state.erase_cursor_code1 = 10;
  // The position is given in the current frame, so it goes out unconverted.
  kiv_draw(state.erase_cursor_code1, 256, 201, 1.0f, 1.0f, state.integer2.cur_frame, 1.0f, 1.0f,
           0.0f, {}, 0);
}

}  // namespace display
