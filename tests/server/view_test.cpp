// Terminal picture: fitting, sampling, and the escape sequences, on strings.
#include <gtest/gtest.h>

#include "server/palette.h"
#include "server/term_view.h"

using namespace server;

namespace {

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
  return n;
}

FrameBuffer blank(int w, int h) {
  FrameBuffer fb;
  fb.resize(w, h);
  return fb;
}

const std::string kHalf = "\u2580";

}  // namespace

TEST(Fit, KeepsTheShapeAndLeavesTwoLines) {
  struct Case {
    int fbw, fbh, cols, rows;
    Fit want;
  };
  const Case cases[] = {
      {128, 128, 100, 50, {96, 96, 48}},     // rows limit: 2 x 48 pixel rows
      {128, 128, 80, 24, {44, 44, 22}},      // small terminal
      {128, 128, 60, 200, {60, 60, 30}},     // columns limit
      {90, 90, 300, 100, {196, 196, 98}},    // enlarged
      {4096, 1024, 100, 50, {100, 25, 13}},  // wide buffer: odd pixel rows round up to cells
      {1024, 4096, 100, 50, {24, 96, 48}},
      {128, 128, 1, 1, {1, 1, 1}},           // never empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.fbw) + "x" + std::to_string(c.fbh) + " in " + std::to_string(c.cols) + "x" +
                 std::to_string(c.rows));
    const Fit f = fit_to_terminal(c.fbw, c.fbh, c.cols, c.rows);
    EXPECT_EQ(f.cols, c.want.cols);
    EXPECT_EQ(f.pix_rows, c.want.pix_rows);
    EXPECT_EQ(f.rows, c.want.rows);
  }
}

TEST(Sample, HighestLineIsTheTopHalfOfTheFirstRow) {
  FrameBuffer fb = blank(4, 4);
  fb.line_ptr(3)[0] = 200;  // top line, left
  fb.line_ptr(0)[3] = 100;  // bottom line, right
  std::vector<Cell> cells;
  sample_cells(fb, Fit{4, 4, 2}, cells);
  ASSERT_EQ(cells.size(), 8u);
  EXPECT_EQ(cells[0], (Cell{200, 0}));
  EXPECT_EQ(cells[7], (Cell{0, 100}));
  for (std::size_t i = 1; i < 7; ++i) EXPECT_EQ(cells[i], (Cell{0, 0})) << i;
}

TEST(Sample, ShrinkingKeepsASinglePointSource) {
  FrameBuffer fb = blank(128, 128);
  fb.line_ptr(64)[63] = 200;
  std::vector<Cell> cells;
  const Fit fit = fit_to_terminal(128, 128, 30, 20);
  sample_cells(fb, fit, cells);
  int bright = 0;
  for (const Cell& c : cells) bright += (c.top == 200) + (c.bottom == 200);
  EXPECT_EQ(bright, 1);
}

TEST(Compose, FullDrawHasEveryCellAndEndsBelowTheStatus) {
  FrameBuffer fb = blank(8, 8);
  fb.line_ptr(7)[0] = 200;
  const std::string s = render(fb, make_palette(ColorMap::kGrey), ColorMode::kTrueColor, Fit{8, 8, 4}, "status text");
  EXPECT_EQ(count(s, kHalf), 32u);
  EXPECT_EQ(count(s, "\r\n"), 5u);  // 4 picture rows and the status line
  EXPECT_EQ(s.rfind("\x1b[38;2;255;255;255m\x1b[48;2;0;0;0m" + kHalf, 0), 0u);  // top-left top half white
  EXPECT_NE(s.find("status text\x1b[K\r\n"), std::string::npos);
  // Colour codes only when they change: one black background for the whole first row.
  const std::string first_row = s.substr(0, s.find("\r\n"));
  EXPECT_EQ(count(first_row, "\x1b[48;2;0;0;0m"), 1u);
  EXPECT_EQ(count(first_row, "\x1b[38;2;0;0;0m"), 1u);
  EXPECT_EQ(s.find("\x1b[A"), std::string::npos);
}

TEST(Compose, RedrawWritesOnlyChangedCells) {
  const Fit fit{8, 8, 4};
  std::vector<Cell> a(32), b(32);
  b[2 * 8 + 5] = Cell{200, 0};
  const CellColors colors(make_palette(ColorMap::kGrey), ColorMode::kTrueColor);

  std::string same;
  compose_frame(a, "s", a, "s", fit, colors, same);
  EXPECT_EQ(count(same, kHalf), 0u);
  EXPECT_EQ(same.rfind("\x1b[5A\r", 0), 0u);  // back up over 4 rows and the status line
  EXPECT_EQ(same.find("s\x1b[K"), std::string::npos);  // unchanged status not rewritten

  std::string one;
  compose_frame(a, "s", b, "t", fit, colors, one);
  EXPECT_EQ(count(one, kHalf), 1u);
  EXPECT_NE(one.find("\x1b[6G\x1b[38;2;255;255;255m\x1b[48;2;0;0;0m" + kHalf), std::string::npos);
  EXPECT_NE(one.find("t\x1b[K"), std::string::npos);
  EXPECT_EQ(count(one, "\r\n"), 5u);
}

TEST(Compose, Fallback256Colours) {
  FrameBuffer fb = blank(2, 2);
  fb.line_ptr(1)[0] = 200;
  const std::string s = render(fb, make_palette(ColorMap::kGrey), ColorMode::k256, Fit{2, 2, 1}, "");
  EXPECT_NE(s.find("\x1b[38;5;231m"), std::string::npos);  // white
  EXPECT_NE(s.find("\x1b[48;5;16m"), std::string::npos);   // black
  EXPECT_EQ(s.find("38;2;"), std::string::npos);
}

TEST(ColorMode, FromColorterm) {
  EXPECT_EQ(color_mode_from_env("truecolor"), ColorMode::kTrueColor);
  EXPECT_EQ(color_mode_from_env("24bit"), ColorMode::kTrueColor);
  EXPECT_EQ(color_mode_from_env(""), ColorMode::k256);
  EXPECT_EQ(color_mode_from_env(nullptr), ColorMode::k256);
}

TEST(Palette, EndsAndSteps) {
  struct Case {
    ColorMap map;
    int value;
    Rgb want;
  };
  const Case cases[] = {{ColorMap::kGrey, 0, {0, 0, 0}},       {ColorMap::kGrey, 200, {255, 255, 255}},
                        {ColorMap::kGrey, 255, {255, 255, 255}}, {ColorMap::kGrey, 100, {128, 128, 128}},
                        {ColorMap::kHeat, 0, {0, 0, 0}},       {ColorMap::kHeat, 200, {255, 255, 255}},
                        {ColorMap::kHeat, 50, {191, 0, 0}},    {ColorMap::kHeat, 100, {255, 128, 0}}};
  for (const Case& c : cases) {
    const Rgb got = make_palette(c.map)[static_cast<std::size_t>(c.value)];
    EXPECT_EQ(got, c.want) << c.value << " -> " << int(got.r) << "," << int(got.g) << "," << int(got.b);
  }
  // Heat never gets darker as the value grows.
  const Palette heat = make_palette(ColorMap::kHeat);
  for (int v = 1; v <= 200; ++v) {
    const auto& a = heat[static_cast<std::size_t>(v - 1)];
    const auto& b = heat[static_cast<std::size_t>(v)];
    EXPECT_LE(a.r + a.g + a.b, b.r + b.g + b.b) << v;
  }
}

TEST(Status, TitleLoadRangeRate) {
  WorldCoord wc;
  wc.title = "Focus Sequence";
  wc.numbers_ok = true;
  wc.z1_text = "0.50251E+01";
  wc.z2_text = "0.10050E+04";
  EXPECT_EQ(status_line(wc, true, 96, 9.84, 0), "Focus Sequence  load 96  z 0.50251E+01..0.10050E+04  9.8 loads/s");
  EXPECT_EQ(status_line(wc, true, 96, 9.84, 14), "Focus Sequence");
  wc.title = "bad\x1b[2Jtitle";
  EXPECT_EQ(status_line(wc, true, 1, 0, 0).substr(0, 13), "bad?[2Jtitle ");
}
