// Image loading: placement, scaling, the world-coordinate record and the pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <string_view>

#include "diag/diag.h"
#include "display/kiv.h"
#include "display/pixels.h"
#include "display/send.h"
#include "textio/blanks.h"
#include "textio/format.h"
#include "textio/io.h"

namespace display {

namespace {

constexpr std::int32_t kPixelTid = 0x7200;
constexpr std::int32_t kCoordFlag = 0x8000;
constexpr float kOneOver199 = 0.0050251256f;

// The byte that goes on the wire: the pixel value is held as a 16-bit
// integer and byte `byte_index` of its memory form is sent. Values 0 to 200
// live in the low-order byte; the other byte is always 0.
bool sends_low_order_byte(int byte_index) {
  const std::int16_t probe = 1;
  char bytes[2];
  std::memcpy(bytes, &probe, 2);
  return bytes[byte_index] == 1;
}

template <bool kRound>
inline void convert_row(const float* src, char* dst, std::int64_t columns, float low, float step,
                        bool low_byte) {
  if (!low_byte) {
    std::memset(dst, 0, static_cast<std::size_t>(columns));
    return;
  }
  detail::pixel_row(src, reinterpret_cast<unsigned char*>(dst), static_cast<std::size_t>(columns),
                    low, step, kRound);
}

// Image rows k_first..k_last and columns i_first..i_last (from 1) that land
// inside the frame buffer. An image of width 0 or less has columns 1..width:
// its rows still go out, with no pixel in them.
struct Visible {
  std::int64_t k_first, k_last, i_first, i_last;
  std::int64_t columns() const { return i_last - i_first + 1; }
};

template <bool kRound>
void block_transfer(std::span<const float> image, std::int64_t width, std::int64_t x,
                    std::int64_t y, const Visible& v, float low, float step, bool low_byte) {
  auto& i2 = display_state().integer2;
  const std::int64_t fb_width = i2.fb_width;
  char* packet = i2.packet.data();
  std::memset(packet, 0, kPacketBytes);  // columns outside the image stay 0 in every packet
  const std::int64_t top = y + 1;
  std::int64_t per = static_cast<std::int64_t>(kPacketBytes) / fb_width;
  std::int64_t first = v.k_first;
  std::int64_t left = v.k_last - v.k_first + 1;
  const std::int64_t columns = v.columns();
  while (left > 0) {
    per = std::min(left, per);
    const std::int64_t count = fb_width * per;
    const std::int64_t last = first + per - 1;
    detail::send_header(kPixelTid, static_cast<std::int32_t>(-count), kPixelPacket, kCoordFlag,
                        static_cast<std::int32_t>((top - last) | kCoordFlag), 1, 255);
    for (std::int64_t k = first; columns > 0 && k <= last; ++k) {
      const float* src = image.data() + (k - 1) * width + (v.i_first - 1);
      char* dst = packet + (v.i_first - 1) + x + (last - k) * fb_width;
      convert_row<kRound>(src, dst, columns, low, step, low_byte);
    }
    detail::send_data(static_cast<std::int32_t>(count));
    first += per;
    left -= per;
  }
}

template <bool kRound>
void line_transfer(std::span<const float> image, std::int64_t width, std::int64_t x,
                   std::int64_t y, const Visible& v, float low, float step, bool low_byte) {
  char* packet = display_state().integer2.packet.data();
  const std::int64_t top = y + 1;
  const std::int64_t columns = v.columns();  // 0 or less: headers only
  const std::int64_t first_column = x + v.i_first - 1;
  for (std::int64_t k = v.k_first; k <= v.k_last; ++k) {
    detail::send_header(kPixelTid, static_cast<std::int32_t>(-columns), kPixelPacket,
                        static_cast<std::int32_t>(first_column | kCoordFlag),
                        static_cast<std::int32_t>((top - k) | kCoordFlag), 1, 255);
    if (columns > 0) {
      const float* src = image.data() + (k - 1) * width + (v.i_first - 1);
      convert_row<kRound>(src, packet, columns, low, step, low_byte);
    }
    detail::send_data(static_cast<std::int32_t>(columns));
  }
}

}  // namespace

void kivload(std::span<const float> image, std::int32_t width, std::int32_t height,
             std::int32_t column, std::int32_t line, float low, float high,
             std::string_view title, std::int32_t frame, std::int32_t mode) {
  auto& state = display_state();
  auto& i2 = state.integer2;
  auto& i4 = state.integer4;

  // The display state has 16 slots; another frame number loads nothing.
  if (frame < 1 || frame > kFrames) {
    diag::error(-3, "Frame number must be from 1 to 16;  image not loaded");
    return;
  }
  // Bookkeeping.
  const auto f = static_cast<std::size_t>(frame - 1);
  i4.set_index = 0;
  i2.cur_frame = detail::word(frame);
  i2.frame_width[f] = detail::word(width);
  i2.frame_height[f] = detail::word(height);
  auto& slot = state.titles[f];
  slot.fill(' ');
  if (!title.empty()) std::memcpy(slot.data(), title.data(), std::min(title.size(), kTitleLength));

  // Placement: the last clamp of each coordinate wins, so an image that does
  // not fit ends with x below 0 or y above the top line. Worked in 64 bits so
  // that no argument can wrap around.
  const std::int64_t fb_width = i2.fb_width;
  const std::int64_t fb_height = i2.fb_height;
  std::int64_t x = std::max<std::int64_t>(column, 0);
  x = std::min(x, fb_width - 1);
  x = std::min(x, fb_width - width);
  std::int64_t y = std::max<std::int64_t>(line, 0);
  y = std::min(y, fb_height - 1);
  y = std::max<std::int64_t>(y, std::int64_t{height} - 1);
  i2.frame_x0[f] = detail::word(static_cast<std::int32_t>(x));
  i2.frame_y0[f] = detail::word(static_cast<std::int32_t>(y));
  if (x != column || y != line) diag::message("Starting location in frame was changed");
  if (x < 0 || y > fb_height - 1) diag::error(-2, "Buffer not wide enough for image;  try again");

  // Scaling: pixel value p stands for low + p * step.
  const std::size_t set = 0;
  const float step = (high - low) * kOneOver199;
  state.real4.z_step[set] = step;
  state.real4.z_low[set] = low + step;
  state.real4.z_high[set] = high + step;

  // The title without trailing blanks, at least one character, cut so that
  // the record fits the packet buffer.
  const std::size_t n = std::min<std::size_t>(textio::trim_trailing_blanks(title).size(), kMaxRecordTitle);
  const auto record_title = static_cast<std::int32_t>(std::max<std::size_t>(n, 1));
  const std::int32_t length = record_title + 59;

  detail::send_header(0x4000, -length, kWorldCoordPacket, 0, 0, 1, i4.fb_choice - 1);
  char* p = i2.packet.data();
  if (n == 0) {
    p[0] = ' ';
  } else {
    std::memcpy(p, title.data(), n);
  }
  char* r = p + record_title;
  r[0] = '\n';
  std::memcpy(r + 1, "1. 0. 0. -1. ", 13);
  static const textio::Format numbers("(F7.1,1X,F7.1,1X,E12.5,1X,E12.5,' 1')");
  const float left_edge = 1.5f - static_cast<float>(x);
  const float top_edge = static_cast<float>(y) + 1.5f;
  textio::internal_write(std::span<char>(r + 14, 43), numbers,
                         {textio::item(left_edge), textio::item(top_edge),
                          textio::item(state.real4.z_low[set]),
                          textio::item(state.real4.z_high[set])});
  r[57] = '\n';
  r[58] = '\0';
  detail::send_data(length);

  if (mode != 0 && mode != 1) return;
  if (height <= 0) return;
  if (width > 0 && static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > image.size()) {
    diag::error(-3, "Image smaller than its width and height;  no pixels sent");
    return;
  }
  if (mode == 0 && fb_width < 1) return;  // no frame-buffer line to fill
  if (mode == 0 && fb_width > static_cast<std::int64_t>(kPacketBytes)) {
    diag::error(-3, "Frame buffer wider than 8192;  no pixels sent");
    return;
  }

  // Image row k lands on frame line y + 1 - k and column i on frame column
  // x + i - 1. An image that does not fit is clipped to the frame buffer.
  Visible v{};
  v.k_first = std::max<std::int64_t>(1, y + 2 - fb_height);
  v.k_last = std::min<std::int64_t>(height, y + 1);
  if (v.k_first > v.k_last) return;
  if (width > 0) {
    v.i_first = std::max<std::int64_t>(1, 1 - x);
    v.i_last = std::min<std::int64_t>(width, fb_width - x);
    if (mode == 1) {
      // One row per packet must fit the packet buffer.
      v.i_last = std::min<std::int64_t>(v.i_last, v.i_first + static_cast<std::int64_t>(kPacketBytes) - 1);
    }
    if (v.i_first > v.i_last) return;
  } else {
    v.i_first = 1;
    v.i_last = width;
  }

  const bool low_byte = sends_low_order_byte(state.sys_endian == 'L' ? 0 : 1);
  if (mode == 0) {
    block_transfer<true>(image, width, x, y, v, low, step, low_byte);
  } else {
    line_transfer<false>(image, width, x, y, v, low, step, low_byte);
  }
}

}  // namespace display
