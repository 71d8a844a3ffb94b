// Frame-buffer selection and the start-up packets.
#include <array>
#include <cstring>
#include <span>
#include <string_view>

#include "diag/diag.h"
#include "display/kiv.h"
#include "display/send.h"
#include "input/usrinp.h"
#include "textio/format.h"
#include "textio/io.h"

namespace display {

namespace {

struct FrameBufferSize {
  std::int16_t width;
  std::int16_t height;
};

// Indexed by choice - 1.
constexpr std::array<FrameBufferSize, 13> kSizes = {{
    {512, 512}, {800, 800}, {1024, 1024}, {1600, 1600}, {2048, 2048}, {4096, 4096},
    {4096, 1024}, {1024, 4096}, {1144, 880}, {1144, 764}, {128, 128}, {256, 256}, {90, 90},
}};

constexpr std::array<std::string_view, 14> kMenu = {
    "Select a frame buffer size:",
    "                1 =  512 X 512 (default)",
    "                2 =  800 X 800",
    "                3 = 1024 X 1024",
    "                4 = 1600 X 1600",
    "                5 = 2048 X 2048",
    "                6 = 4096 X 4096",
    "                7 = 4096 X 1024",
    "                8 = 1024 X 4096",
    "                9 = 1144 X  880",
    "               10 = 1144 X  764",
    "               11 =  128 X  128",
    "               12 =  256 X  256",
    "               13 =   90 X   90",
};

bool valid_choice(std::int32_t choice) { return choice >= 1 && choice <= 13; }

void put(char* at, std::string_view text) { std::memcpy(at, text.data(), text.size()); }

}  // namespace

void kivstart() {
  auto& state = display_state();
  std::int32_t& choice = state.integer4.fb_choice;
  // Only a choice of 0 asks: the menu is shown with 1 as the default, and
  // again after any answer outside 1 to 13, so that an answered size is
  // always one of the table's. A caller's preset is taken as it is; one
  // outside the table leaves the size as it was.
  if (choice == 0) {
    while (!valid_choice(choice)) {
      choice = 1;
      for (std::string_view line : kMenu) diag::message(line);
      input::usrinp(std::as_writable_bytes(std::span<std::int32_t>(&choice, 1)), 1, "I", 4, 1,
                    "FRAME_BUFFER=", " ");
      if (!valid_choice(choice)) diag::error(-1, "Frame buffer choice must be from 1 to 13");
    }
  }
  if (valid_choice(choice)) {
    state.integer2.fb_width = kSizes[choice - 1].width;
    state.integer2.fb_height = kSizes[choice - 1].height;
  }
  si_open_namedpipe();
}

void kivfirst() {
  using detail::send_data;
  using detail::send_header;
  auto& state = display_state();
  auto& i2 = state.integer2;

  send_header(0x0100, -3, kStartPacket, 0x8000, 0, 0, 3);
  i2.set_word(0, 0);
  i2.set_word(1, 0);
  i2.set_word(2, 0);
  send_data(6);

  // The first world-coordinate record covers the whole frame buffer.
  constexpr std::int32_t kLength = 51;
  send_header(0x4000, -kLength, kWorldCoordPacket, 0, 0, 1, state.integer4.fb_choice - 1);
  static const textio::Format f7_1("(F7.1)");
  char* p = i2.packet.data();
  std::memset(p, ' ', 9);
  p[9] = '\n';
  put(p + 10, "1. 0. 0. -1.    1.5 ");
  const float top = static_cast<float>(i2.fb_height) + 0.5f;
  textio::internal_write(std::span<char>(p + 30, 7), f7_1, {textio::item(top)});
  put(p + 37, "   1. 200. 1");
  p[49] = '\n';
  p[50] = '\0';
  send_data(kLength);

  state.integer4.set_index = 0;
  i2.cur_frame = 1;
  kiveras();
}

void kiveras() {
  auto& state = display_state();
  detail::send_header(0x2200 + state.integer4.fb_choice - 1, -1, kErasePacket, 0x8000, 0x8000, 1,
                      255);
  state.integer2.set_word(0, static_cast<std::int16_t>(0x8000));
  detail::send_data(2);
  kiv_erase_cursor(1);
}

void kivconvlt(std::int32_t value) {
  auto& i2 = display_state().integer2;
  detail::send_header(0x0100, -3, kTablePacket, 0, 0, value, 0);
  i2.set_word(0, 0);
  i2.set_word(1, 0);
  i2.set_word(2, 0);
  detail::send_data(6);
}

}  // namespace display
