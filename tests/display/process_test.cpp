// Whole runs of the display client in a process of their own: a display
// server that never reads, and a load that needs the user's confirmation.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diag/diag.h"
#include "display/kiv.h"
#include "display/state.h"
#include "tests/display/wire.h"

namespace {

using display::display_state;
using display_test::FifoPair;
using display_test::TempDir;

std::vector<std::string> fifo_env(const TempDir& dir, const FifoPair& pair) {
  return {"HOME=" + dir.path(), "INDEV=" + pair.in, "OUTDEV=" + pair.out, "NO_STOP_MESSAGE=1"};
}

std::vector<float> flat_image(int width, int height) {
  std::vector<float> image(static_cast<std::size_t>(width) * height);
  for (std::size_t n = 0; n < image.size(); ++n) image[n] = static_cast<float>(n % 1000);
  return image;
}

// The start-up and one load of the demonstration, with messages around them.
DISPLAY_CHILD(demonstration_without_reader) {
  diag::message("before the display");
  display::get_endian();
  display_state().integer4.fb_choice = 11;
  display::kivstart();
  display::kivfirst();
  display::kivconvlt(768);
  const auto image = flat_image(64, 64);
  display::kivload(image, 64, 64, 32, 96, 0.0f, 1000.0f, "Focus Sequence", 1, 0);
  diag::message("after the display");
  return 0;
}

// Nobody reads the output FIFO: every write fails and is reported, the run
// ends normally and the transcript keeps the messages.
TEST(Process, DemonstrationWithoutReaderRunsToItsEnd) {
  TempDir dir;
  FifoPair pair(dir);
  const auto r = display_test::run_self("demonstration_without_reader", fifo_env(dir, pair),
                                        dir.path());
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exit_status, 0);
  std::string expected_err;
  // start, world coordinates, erase, cursor erase, table, load record, pixels:
  // a header and its data each.
  for (int n = 0; n < 14; ++n) expected_err += "(si_write_) can't write\nBroken pipe\n";
  EXPECT_EQ(r.err, expected_err);
  EXPECT_EQ(r.out, " before the display\n after the display\n");
  EXPECT_EQ(testing_support::read_file(dir / "fort.7"),
            " before the display\n after the display\n");
}

// A load too wide for the frame buffer waits for the confirmation read, then
// sends the clipped image.
DISPLAY_CHILD(confirmed_wide_load) {
  display::get_endian();
  display_state().integer4.fb_choice = 13;
  display::kivstart();
  const auto image = flat_image(100, 2);
  display::kivload(image, 100, 2, 0, 89, 0.0f, 199.0f, "wide", 1, 0);
  diag::message("loaded");
  return 0;
}

TEST(Process, ConfirmedLoadIsClipped) {
  TempDir dir;
  FifoPair pair(dir);
  display_test::FifoReader reader(pair.out);
  const auto r =
      display_test::run_self("confirmed_wide_load", fifo_env(dir, pair), dir.path(), "C\n");
  const auto packets = display_test::parse_packets(reader.finish());
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out,
            " Starting location in frame was changed\n"
            " POSSIBLE ERROR:  Buffer not wide enough for image;  try again\n"
            " Enter \"C\" if you wish to proceed\n"
            " loaded\n");
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(packets.size(), 2u);
  // 90 x 90 buffer, X = -10: frame column c shows image column c + 11.
  const std::string& data = packets[1].data;
  ASSERT_EQ(data.size(), 180u);
  EXPECT_EQ(packets[1].word(display::kY), 0x8000 | 88);
  for (int m = 0; m < 2; ++m) {
    const int k = 2 - m;
    for (int c = 0; c < 90; ++c) {
      const int value = ((k - 1) * 100 + (c + 10)) % 1000;
      const int expected = value >= 199 ? (value > 199 ? 200 : 199) : value;
      ASSERT_EQ(static_cast<unsigned char>(data[static_cast<std::size_t>(m * 90 + c)]), expected)
          << "line " << m << " column " << c;
    }
  }
}

}  // namespace
