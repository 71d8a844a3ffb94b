// PNG files: they decode, with the size and pixels expected.
#include <gtest/gtest.h>

#include <cstring>

#include "child.h"
#include "png_read.h"
#include "server/png_out.h"
#include "server/sheet.h"

using namespace server;

using Decoded = fbtest::Picture;
using fbtest::read_png;

namespace {
bool decode(const std::string& path, Decoded& d) { return read_png(path, d); }
}  // namespace

TEST(Png, FrameBufferIsWrittenUpright) {
  fbtest::TempDir dir;
  FrameBuffer fb;
  fb.resize(6, 4);
  fb.line_ptr(3)[0] = 200;  // top line: top-left of the picture
  fb.line_ptr(0)[5] = 100;  // bottom line: bottom-right
  fb.line_ptr(1)[2] = 250;  // beyond 200 is as bright as 200
  for (ColorMap map : {ColorMap::kGrey, ColorMap::kHeat}) {
    const std::string path = dir.file(map == ColorMap::kGrey ? "grey.png" : "heat.png");
    ASSERT_EQ(write_frame_png(path, fb, map), "");
    Decoded d;
    ASSERT_TRUE(decode(path, d));
    EXPECT_EQ(d.width, 6);
    EXPECT_EQ(d.height, 4);
    const Palette p = make_palette(map);
    EXPECT_EQ(d.at(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(d.at(5, 3), p[100]);
    EXPECT_EQ(d.at(2, 2), (Rgb{255, 255, 255}));
    EXPECT_EQ(d.at(0, 3), (Rgb{0, 0, 0}));
    EXPECT_EQ(d.at(5, 0), (Rgb{0, 0, 0}));
  }
}

TEST(Png, UnwritablePathIsReported) {
  FrameBuffer fb;
  fb.resize(2, 2);
  EXPECT_NE(write_frame_png("/nonexistent-dir/x.png", fb, ColorMap::kGrey), "");
}

TEST(Sheet, TilesInLoadOrder) {
  fbtest::TempDir dir;
  ContactSheet sheet;
  FrameBuffer fb;
  fb.resize(16, 16);
  for (int n = 0; n < 20; ++n) {
    std::fill(fb.pixels.begin(), fb.pixels.end(), static_cast<std::uint8_t>(n * 10));
    sheet.capture(fb, Area{2, 9, 5, 3});
  }
  ASSERT_EQ(sheet.tiles().size(), 16u);
  EXPECT_EQ(sheet.tiles()[0].width, 5);
  EXPECT_EQ(sheet.tiles()[0].height, 3);
  const std::string path = dir.file("sheet.png");
  ASSERT_EQ(sheet.write(path, ColorMap::kGrey), "");
  Decoded d;
  ASSERT_TRUE(decode(path, d));
  EXPECT_EQ(d.width, 4 * 5 + 5 * kSheetGap);
  EXPECT_EQ(d.height, 4 * 3 + 5 * kSheetGap);
  const Palette p = make_palette(ColorMap::kGrey);
  for (int n = 0; n < 16; ++n) {
    const int x = kSheetGap + (n % 4) * (5 + kSheetGap) + 2;
    const int y = kSheetGap + (n / 4) * (3 + kSheetGap) + 1;
    EXPECT_EQ(d.at(x, y), p[static_cast<std::size_t>(n * 10)]) << n;
  }
}
