// PNG files: they decode, with the size and pixels expected.
#include <gtest/gtest.h>

#include <algorithm>
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

// A stream of 67 KB could make 16 loads of whole 4096 x 4096 buffers; kept at
// full size their sheet took 16394 x 16394 RGB pixels (over 800 MB) and a
// minute and a half to compose in the fuzz build. Large tiles are shrunk when
// captured, keeping the brightest pixel each sheet pixel covers.
TEST(Sheet, LargeLoadsAreShrunkSoTheSheetStaysSmall) {
  ContactSheet sheet;
  FrameBuffer fb;
  fb.resize(4096, 4096);
  fb.pixels[static_cast<std::size_t>(1000) * 4096 + 3001] = 200;  // one bright point
  for (int n = 0; n < kSheetTiles; ++n) sheet.capture(fb, Area{0, 4095, 4096, 4096});
  ASSERT_EQ(sheet.tiles().size(), static_cast<std::size_t>(kSheetTiles));
  const Tile& t = sheet.tiles()[0];
  EXPECT_EQ(t.width, kSheetMaxTile);
  EXPECT_EQ(t.height, kSheetMaxTile);
  ASSERT_EQ(t.pixels.size(), static_cast<std::size_t>(kSheetMaxTile) * kSheetMaxTile);
  // Frame line 1000 is picture row 4095 - 1000 from the top; 8 frame pixels per tile pixel.
  EXPECT_EQ(t.pixels[static_cast<std::size_t>((4095 - 1000) / 8) * kSheetMaxTile + 3001 / 8], 200);
  EXPECT_EQ(std::count(t.pixels.begin(), t.pixels.end(), 200), 1);

  int w = 0, h = 0;
  const auto pic = sheet.compose(make_palette(ColorMap::kGrey), w, h);
  EXPECT_EQ(w, kSheetSide * kSheetMaxTile + (kSheetSide + 1) * kSheetGap);
  EXPECT_EQ(h, w);
  EXPECT_EQ(pic.size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
}

TEST(Sheet, ShrinkingKeepsTheShape) {
  ContactSheet sheet;
  FrameBuffer fb;
  fb.resize(4096, 1024);
  sheet.capture(fb, Area{0, 1023, 4096, 1024});
  sheet.capture(fb, Area{100, 1023, 3, 1024});  // tall and thin: never narrower than a pixel
  sheet.capture(fb, Area{7, 500, kSheetMaxTile, 20});  // not beyond the limit: kept as it is
  // Wide but outside the buffer's lines, and tall but beyond its last column: empty.
  sheet.capture(fb, Area{0, -1, 4096, 1});
  sheet.capture(fb, Area{4096, 1023, 1, 1024});
  ASSERT_EQ(sheet.tiles().size(), 5u);
  for (int n : {3, 4}) {
    EXPECT_EQ(sheet.tiles()[static_cast<std::size_t>(n)].width * sheet.tiles()[static_cast<std::size_t>(n)].height, 0);
    EXPECT_TRUE(sheet.tiles()[static_cast<std::size_t>(n)].pixels.empty());
  }
  EXPECT_EQ(sheet.tiles()[0].width, kSheetMaxTile);
  EXPECT_EQ(sheet.tiles()[0].height, kSheetMaxTile / 4);
  EXPECT_EQ(sheet.tiles()[1].width, 1);
  EXPECT_EQ(sheet.tiles()[1].height, kSheetMaxTile);
  EXPECT_EQ(sheet.tiles()[2].width, kSheetMaxTile);
  EXPECT_EQ(sheet.tiles()[2].height, 20);
  for (const Tile& t : sheet.tiles())
    EXPECT_EQ(t.pixels.size(), static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height));
}
