#pragma once
// The display routines: start-up, erase, colour table, image loading and
// overlay drawing. Each packet is a header put through imtoolchecksum and
// written with one si_write, then its data written with a second si_write.
// None of them looks at the transport's status.
#include <cstdint>
#include <span>
#include <string_view>

namespace display {

// Chooses the frame-buffer size (shows the menu and asks under FRAME_BUFFER=
// when the choice is 0; an answer outside 1 to 13 is asked again; a preset
// outside the table leaves the size unchanged) and opens the FIFOs.
void kivstart();

// Start packet, the first world-coordinate record for the whole frame
// buffer; set_index 0, cur_frame 1; then kiveras.
void kivfirst();

// Erase packet, then kiv_erase_cursor(1).
void kiveras();

// Table packet carrying value (cut to 16 bits) in its z word.
void kivconvlt(std::int32_t value);

// Loads a width x height image (column index fastest, row 1 first) at the
// requested column and line of the frame buffer, clamped to fit; frame (1 to
// 16) is the bookkeeping slot. mode 0: block transfer, 1: line transfer,
// other: only the world-coordinate record.
void kivload(std::span<const float> image, std::int32_t width, std::int32_t height,
             std::int32_t column, std::int32_t line, float low, float high,
             std::string_view title, std::int32_t frame, std::int32_t mode);

// One draw packet. x and y are image coordinates of `frame` and are sent as
// image coordinates of the current frame. extra holds the count extra values;
// count <= 0 sends none.
void kiv_draw(std::int32_t code1, std::int32_t code2, std::int32_t code3, float x, float y,
              std::int32_t frame, float value1, float value2, float value3,
              std::span<const float> extra, std::int32_t count);

// Erases the cursor: flag 0 or 1 picks the code (any other flag keeps the
// previous one); the position 1.0, 1.0 is given in the current frame.
void kiv_erase_cursor(std::int32_t flag);

// Largest title that kivload sends: the record is the title plus 59 bytes
// and must fit the packet buffer.
inline constexpr std::int32_t kMaxRecordTitle = 8192 - 59;
// Largest count of extra values that fits one draw record.
inline constexpr std::int32_t kMaxDrawExtra = (8192 - 67) / 10;

}  // namespace display
