// kivdemo2: the focus sequence. Asks for an inter-frame delay, starts the
// display with a 128 x 128 frame buffer and loads 96 star images whose width
// grows and shrinks, so that one star goes out of focus and back six times.
#include <array>
#include <cstdint>
#include <span>

#include "demo/delay.h"
#include "demo/star.h"
#include "display/kiv.h"
#include "display/state.h"
#include "input/usrinp.h"

int main() {
  display::get_endian();

  float delay = 0.0f;
  input::usrinp(std::as_writable_bytes(std::span(&delay, 1)), 1, "F", 4, 1, "DELAY_TIME=",
                "Enter an interframe delay time in seconds:  (default = 0.0)");

  display::DisplayState& state = display::display_state();
  state.integer4.fb_choice = 11;  // 128 x 128: kivstart asks nothing
  display::kivstart();
  display::kivfirst();
  display::kivconvlt(768);

  constexpr std::int32_t kSize = demo::kImageSize;
  const float low = 0.0f;
  const float high = 1000.0f;
  const std::int32_t column = state.integer2.fb_width / 2 - 32;
  const std::int32_t line = state.integer2.fb_height / 2 + 32;
  constexpr std::string_view kTitle = "Focus Sequence                          ";  // 40 characters
  constexpr std::int32_t kBlockTransfer = 0;

  std::array<float, kSize * kSize> image{};
  for (int pass = 0; pass < 6; ++pass) {
    for (std::int32_t frame = 1; frame <= 16; ++frame) {
      demo::star_image(image, demo::star_width(frame));
      display::kivload(image, kSize, kSize, column, line, low, high, kTitle, frame, kBlockTransfer);
      demo::delay(delay);
    }
  }
  return 0;  // connected files are closed and kept at exit; the FIFOs close with the process
}
