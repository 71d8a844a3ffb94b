#pragma once
// The process-wide display state shared by every display routine: the packet
// buffer, the frame-buffer size, the current frame, the per-frame placement,
// the intensity scaling, the per-frame titles and the byte-order flag.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "display/packet.h"

namespace display {

inline constexpr std::size_t kPacketBytes = 8192;  // the packet buffer, 4096 words
inline constexpr int kFrames = 16;                 // bookkeeping slots, frames 1 to 16
inline constexpr int kSets = 4;                    // rows of the scaling and offset tables
inline constexpr std::size_t kTitleLength = 80;

// 16-bit record. The packet buffer is used both as bytes (text, pixels) and as
// 16-bit words (zero words, headers), so it is held as bytes and words go in
// through set_word in host byte order.
struct KivfactsInteger2 {
  alignas(std::int16_t) std::array<char, kPacketBytes> packet{};
  std::int16_t fb_width = 0;
  std::int16_t fb_height = 0;
  std::int16_t cur_frame = 0;
  std::array<std::int16_t, kFrames> frame_x0{};      // index frame - 1
  std::array<std::int16_t, kFrames> frame_y0{};
  std::array<std::int16_t, kFrames> frame_width{};
  std::array<std::int16_t, kFrames> frame_height{};

  void set_word(std::size_t index, std::int16_t value) {
    std::memcpy(packet.data() + 2 * index, &value, sizeof value);
  }
};

// 32-bit record. The offset tables are indexed [set][frame - 1].
struct KivfactsInteger4 {
  std::int32_t fb_choice = 0;  // 0: not chosen yet, kivstart asks
  std::int32_t set_index = 0;
  std::array<std::array<std::int32_t, kFrames>, kSets> frame_xoff{};
  std::array<std::array<std::int32_t, kFrames>, kSets> frame_yoff{};
};

// Intensity scaling, one row per set (index set_index).
struct KivfactsReal4 {
  std::array<float, kSets> z_step{};
  std::array<float, kSets> z_low{};
  std::array<float, kSets> z_high{};
};

struct DisplayState {
  KivfactsInteger2 integer2;
  KivfactsInteger4 integer4;
  KivfactsReal4 real4;
  std::array<std::array<char, kTitleLength>, kFrames> titles{};  // title of frame n at [n - 1]
  char sys_endian = ' ';  // blank until get_endian; then 'L', 'B' or 'U'
  PacketHeader header{};  // header array for packets whose data fills the packet buffer
  std::int32_t erase_cursor_code1 = 0;  // kiv_erase_cursor remembers its last code
};

// The one instance, alive for the whole run.
DisplayState& display_state();

// Sets sys_endian from the way a fixed byte pattern reads as 16-bit words;
// an unknown order is reported at level -3 and left as 'U'.
void get_endian();

}  // namespace display
