// Image loading: the world-coordinate record, pixel packets, placement,
// scaling and the cases where the image does not fit.
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diag/diag.h"
#include "display/kiv.h"
#include "display/state.h"
#include "tests/display/wire.h"

namespace {

using display::display_state;
using display::kivload;
using display_test::Packet;
using display_test::StdoutCapture;
using display_test::Wire;
using W = std::vector<std::uint16_t>;

const std::string kMoved = " Starting location in frame was changed\n";
const std::string kTooBig =
    " POSSIBLE ERROR:  Buffer not wide enough for image;  try again\n"
    " Enter \"C\" if you wish to proceed\n";

// Level -2 reports return at once below this threshold: no confirmation read.
class NoConfirmation {
 public:
  NoConfirmation() { diag::setlev(-3); }
  ~NoConfirmation() { diag::setlev(-2); }
};

float step_of(float low, float high) { return (high - low) * 0.0050251256f; }

// An image whose pixel values are known: value p * step for p given by `pixel`.
template <class F>
std::vector<float> image_of(int width, int height, float step, F pixel) {
  std::vector<float> image(static_cast<std::size_t>(width) * height);
  for (int k = 1; k <= height; ++k) {
    for (int i = 1; i <= width; ++i) {
      image[static_cast<std::size_t>((k - 1) * width + (i - 1))] =
          static_cast<float>(pixel(i, k)) * step;
    }
  }
  return image;
}

int pattern(int i, int k) { return (3 * i + 5 * k) % 201; }

// The demonstration's load: 128 x 128 buffer, 64 x 64 image at 32, 96.
TEST(Load, DemonstrationLoad) {
  Wire wire;
  const float step = step_of(0.0f, 1000.0f);
  const auto image = image_of(64, 64, step, pattern);
  StdoutCapture out;
  kivload(image, 64, 64, 32, 96, 0.0f, 1000.0f, "Focus Sequence                          ", 1, 0);
  EXPECT_EQ(out.text(), "");
  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 2u);

  EXPECT_EQ(packets[0].word(display::kTid), 0x4000);
  EXPECT_EQ(packets[0].word(display::kThingct), static_cast<std::uint16_t>(-73));
  EXPECT_EQ(packets[0].word(display::kSubunit), 17);
  EXPECT_EQ(packets[0].word(display::kZ), 1);
  EXPECT_EQ(packets[0].word(display::kT), 10);
  EXPECT_TRUE(display::checksum_ok(packets[0].header));
  EXPECT_EQ(packets[0].data,
            std::string("Focus Sequence\n1. 0. 0. -1.   -30.5    97.5  0.50251E+01  0.10050E+04 1\n") +
                '\0');

  const Packet& pixels = packets[1];
  EXPECT_EQ(display_test::words(pixels.header),
            (W{0x7200, static_cast<std::uint16_t>(-8192), 1, 0xACDD, 0x8000, 0x8021, 1, 255}));
  ASSERT_EQ(pixels.data.size(), 8192u);
  // Frame line 33 + m holds image row 64 - m in bytes 32 to 95.
  for (int m = 0; m < 64; ++m) {
    for (int c = 0; c < 128; ++c) {
      const int expected = (c >= 32 && c <= 95) ? pattern(c - 31, 64 - m) : 0;
      ASSERT_EQ(static_cast<unsigned char>(pixels.data[static_cast<std::size_t>(m * 128 + c)]),
                expected)
          << "line " << m << " column " << c;
    }
  }

  auto& s = display_state();
  EXPECT_EQ(s.integer2.cur_frame, 1);
  EXPECT_EQ(s.integer2.frame_x0[0], 32);
  EXPECT_EQ(s.integer2.frame_y0[0], 96);
  EXPECT_EQ(s.integer2.frame_width[0], 64);
  EXPECT_EQ(s.integer2.frame_height[0], 64);
  EXPECT_FLOAT_EQ(s.real4.z_step[0], step);
  EXPECT_FLOAT_EQ(s.real4.z_low[0], step);
  EXPECT_FLOAT_EQ(s.real4.z_high[0], 1000.0f + step);
  EXPECT_EQ(std::string(s.titles[0].data(), 80), "Focus Sequence" + std::string(66, ' '));
}

// The demonstration's star: W = 2 saturates the centre, W = 18 shows 10 there.
TEST(Load, StarCentrePixels) {
  for (const auto& [w, centre] : {std::pair{2.0f, 200}, std::pair{18.0f, 10}}) {
    std::vector<float> image(64 * 64);
    for (int j = 1; j <= 64; ++j) {
      for (int i = 1; i <= 64; ++i) {
        const float r = std::sqrt((i - 32.5f) * (i - 32.5f) + (j - 32.5f) * (j - 32.5f));
        image[static_cast<std::size_t>((j - 1) * 64 + i - 1)] =
            r / w < 8.0f ? 5000.0f / std::pow(w, 1.6f) * std::exp(-(r / w) * (r / w)) : 0.0f;
      }
    }
    Wire wire;
    kivload(image, 64, 64, 32, 96, 0.0f, 1000.0f, "Focus Sequence", 1, 0);
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 2u);
    // Image rows 32 and 33 are data lines 32 and 31; columns 32, 33 at bytes 63, 64.
    for (int m : {31, 32}) {
      for (int c : {63, 64}) {
        EXPECT_EQ(static_cast<unsigned char>(packets[1].data[static_cast<std::size_t>(m * 128 + c)]),
                  centre)
            << "W " << w;
      }
    }
  }
}

// One packet per row, truncation instead of rounding.
TEST(Load, LineTransfer) {
  Wire wire;
  const float step = step_of(0.0f, 199.0f);
  ASSERT_EQ(2.5f * step / step, 2.5f);
  const std::vector<float> image = {2.5f * step, 0.0f, 199.0f, 7.9f * step, 1e9f, -4.0f};
  kivload(image, 3, 2, 5, 20, 0.0f, 199.0f, "rows", 1, 1);
  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(display_test::words(packets[1].header)[display::kX], 0x8005);
  EXPECT_EQ(packets[1].word(display::kY), 0x8000 | 20);
  EXPECT_EQ(packets[2].word(display::kY), 0x8000 | 19);
  for (std::size_t p : {1u, 2u}) {
    EXPECT_EQ(packets[p].word(display::kTid), 0x7200);
    EXPECT_EQ(packets[p].word(display::kThingct), static_cast<std::uint16_t>(-3));
    EXPECT_EQ(packets[p].word(display::kSubunit), 1);
    EXPECT_EQ(packets[p].word(display::kZ), 1);
    EXPECT_EQ(packets[p].word(display::kT), 255);
    EXPECT_TRUE(display::checksum_ok(packets[p].header));
  }
  EXPECT_EQ(packets[1].data, std::string("\x02\x00\xC7", 3));  // 2.5 -> 2, high -> 199
  EXPECT_EQ(packets[2].data, std::string("\x07\xC8\x00", 3));  // 7.9 -> 7, far above -> 200
}

// Pixel values of single data values in both modes.
TEST(Load, PixelValues) {
  const float step = step_of(0.0f, 199.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float low, high, v;
    int block, line;
  } cases[] = {
      {0.0f, 199.0f, 0.0f, 0, 0},            // equal to low
      {0.0f, 199.0f, 199.0f, 199, 199},      // equal to high
      {0.0f, 1000.0f, 1000.0f, 199, 199},    // the demonstration's range
      {0.0f, 1000.0f, 0.0f, 0, 0},
      {0.0f, 199.0f, 2.5f * step, 3, 2},     // halves away from zero / truncated
      {0.0f, 199.0f, 1.49f * step, 1, 1},
      {0.0f, 199.0f, 1e30f, 200, 200},       // far above high
      {0.0f, 199.0f, -1e30f, 0, 0},          // below low
      {0.0f, 199.0f, -0.5f * step, 0, 0},
      {10.0f, 209.0f, 10.0f, 0, 0},
      {0.0f, 199.0f, inf, 200, 200},
      {0.0f, 199.0f, -inf, 0, 0},
      {0.0f, 199.0f, nan, 0, 0},
      {5.0f, 5.0f, 5.0f, 0, 0},              // no range: NaN
      {5.0f, 5.0f, 6.0f, 200, 200},
      {1000.0f, 0.0f, 0.0f, 199, 199},       // reversed range
  };
  for (const auto& c : cases) {
    for (int mode : {0, 1}) {
      Wire wire;
      const float image[1] = {c.v};
      kivload(image, 1, 1, 7, 0, c.low, c.high, "p", 1, mode);
      const auto packets = wire.packets();
      ASSERT_EQ(packets.size(), 2u);
      const std::string& data = packets[1].data;
      ASSERT_EQ(data.size(), mode == 0 ? 128u : 1u);
      const int got = static_cast<unsigned char>(data[mode == 0 ? 7 : 0]);
      EXPECT_EQ(got, mode == 0 ? c.block : c.line)
          << "v " << c.v << " low " << c.low << " high " << c.high << " mode " << mode;
    }
  }
}

// Block transfer for every menu size: lines per packet, sizes, line numbers.
TEST(Load, BlockPacketSizesForEveryWidth) {
  struct Case {
    std::int16_t width, height;
    int per;
  } cases[] = {
      {512, 512, 16},  {800, 800, 10},  {1024, 1024, 8}, {1600, 1600, 5}, {2048, 2048, 4},
      {4096, 4096, 2}, {4096, 1024, 2}, {1024, 4096, 8}, {1144, 880, 7},  {1144, 764, 7},
      {128, 128, 64},  {256, 256, 32},  {90, 90, 91},
  };
  for (const auto& c : cases) {
    const int height = std::min<int>(100, c.height);
    const int width = 10;
    const float step = step_of(0.0f, 199.0f);
    const auto image = image_of(width, height, step, pattern);
    const int line = c.height - 1;
    Wire wire(1, c.width, c.height);
    kivload(image, width, height, 3, line, 0.0f, 199.0f, "sizes", 2, 0);
    const auto packets = wire.packets();
    const int expected_packets = (height + c.per - 1) / c.per;
    ASSERT_EQ(packets.size(), static_cast<std::size_t>(1 + expected_packets)) << c.width;
    int row = 1;
    for (int n = 1; n <= expected_packets; ++n) {
      const Packet& p = packets[static_cast<std::size_t>(n)];
      const int lines = std::min(c.per, height - row + 1);
      const int last = row + lines - 1;
      EXPECT_LE(c.width * lines, 8192);
      EXPECT_EQ(p.data.size(), static_cast<std::size_t>(c.width * lines)) << c.width;
      EXPECT_EQ(p.word(display::kY), 0x8000 | (line + 1 - last)) << c.width << " packet " << n;
      EXPECT_EQ(p.word(display::kX), 0x8000);
      EXPECT_TRUE(display::checksum_ok(p.header));
      // Data line m holds image row last - m at columns 3 to 12.
      for (int m = 0; m < lines && m < 3; ++m) {
        for (int col : {2, 3, 12, 13}) {
          const int expected = (col >= 3 && col <= 12) ? pattern(col - 2, last - m) : 0;
          EXPECT_EQ(static_cast<unsigned char>(p.data[static_cast<std::size_t>(m * c.width + col)]),
                    expected)
              << c.width << " packet " << n << " line " << m << " column " << col;
        }
      }
      row = last + 1;
    }
  }
}

// Placement clamps and their messages.
TEST(Load, Placement) {
  struct Case {
    const char* what;
    int width, height, column, line;
    int x, y;
    bool moved, too_big;
  } cases[] = {
      {"fits as asked", 64, 64, 32, 96, 32, 96, false, false},
      {"column -5", 64, 64, -5, 96, 0, 96, true, false},
      {"line 10, 64 rows", 64, 64, 32, 10, 32, 63, true, false},
      {"column too far right", 64, 64, 100, 96, 64, 96, true, false},
      {"column beyond the buffer", 10, 10, 500, 96, 118, 96, true, false},
      {"line above the top", 10, 10, 0, 500, 0, 127, true, false},
      {"negative line", 1, 1, 0, -7, 0, 0, true, false},
      {"whole buffer", 128, 128, 0, 127, 0, 127, false, false},
      {"too wide", 200, 10, 0, 50, -72, 50, true, true},
      {"too wide, asked at its place", 200, 10, -72, 50, -72, 50, false, true},
      {"too wide, moved", 200, 10, 5, 50, -72, 50, true, true},
      {"too tall", 10, 200, 0, 50, 0, 199, true, true},
  };
  NoConfirmation quiet;
  for (const auto& c : cases) {
    Wire wire;
    const std::vector<float> image(static_cast<std::size_t>(c.width) * c.height, 0.0f);
    StdoutCapture out;
    kivload(image, c.width, c.height, c.column, c.line, 0.0f, 1.0f, "t", 3, 2);
    const std::string text = out.text();
    EXPECT_EQ(text, std::string(c.moved ? kMoved : "") + (c.too_big ? kTooBig : "")) << c.what;
    EXPECT_EQ(display_state().integer2.frame_x0[2], c.x) << c.what;
    EXPECT_EQ(display_state().integer2.frame_y0[2], c.y) << c.what;
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 1u) << c.what;
    const std::string& record = packets[0].data;
    // 1.5 - X and Y + 1.5 in F7.1 after "t\n1. 0. 0. -1. ".
    char expected[32];
    std::snprintf(expected, sizeof expected, "%7.1f %7.1f", 1.5 - c.x, c.y + 1.5);
    EXPECT_EQ(record.substr(15, 15), expected) << c.what;
  }
}

// An image wider than the frame buffer is clipped: each frame line holds the
// image columns that land on it, nothing is written outside the lines.
TEST(Load, TooWideIsClipped) {
  NoConfirmation quiet;
  const float step = step_of(0.0f, 199.0f);
  const int width = 200, height = 3;
  const auto image = image_of(width, height, step, pattern);
  for (int mode : {0, 1}) {
    Wire wire;
    StdoutCapture out;
    kivload(image, width, height, 0, 50, 0.0f, 199.0f, "wide", 1, mode);
    EXPECT_EQ(out.text(), kMoved + kTooBig);
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), mode == 0 ? 2u : 4u);
    // X = -72: frame column c shows image column c + 73.
    for (int k = 1; k <= height; ++k) {
      const std::string& line =
          mode == 0 ? packets[1].data.substr(static_cast<std::size_t>((height - k) * 128), 128)
                    : packets[static_cast<std::size_t>(k)].data;
      ASSERT_EQ(line.size(), 128u) << mode;
      for (int c = 0; c < 128; ++c) {
        ASSERT_EQ(static_cast<unsigned char>(line[static_cast<std::size_t>(c)]), pattern(c + 73, k))
            << "mode " << mode << " row " << k << " column " << c;
      }
      if (mode == 1) {
        EXPECT_EQ(packets[static_cast<std::size_t>(k)].word(display::kX), 0x8000);
        EXPECT_EQ(packets[static_cast<std::size_t>(k)].word(display::kY), 0x8000 | (51 - k));
      }
    }
    if (mode == 0) {
      EXPECT_EQ(packets[1].word(display::kY), 0x8000 | 48);
    }
  }
}

// An image taller than the frame buffer: rows above the top line are dropped.
TEST(Load, TooTallIsClipped) {
  NoConfirmation quiet;
  const float step = step_of(0.0f, 199.0f);
  const int width = 4, height = 200;
  const auto image = image_of(width, height, step, pattern);
  for (int mode : {0, 1}) {
    Wire wire;
    StdoutCapture out;
    kivload(image, width, height, 0, 10, 0.0f, 199.0f, "tall", 1, mode);
    EXPECT_EQ(out.text(), kMoved + kTooBig);
    const auto packets = wire.packets();
    // Y = 199: image row k on line 200 - k; rows 73 to 200 fit lines 127 to 0.
    std::vector<int> line_of_row(201, -1);
    std::size_t pixel_bytes = 0;
    for (std::size_t n = 1; n < packets.size(); ++n) {
      const Packet& p = packets[n];
      const int y = p.word(display::kY) & 0x7FFF;
      pixel_bytes += p.data.size();
      if (mode == 1) {
        ASSERT_EQ(p.data.size(), 4u);
        const int k = 200 - y;
        line_of_row[static_cast<std::size_t>(k)] = y;
        EXPECT_EQ(static_cast<unsigned char>(p.data[0]), pattern(1, k));
      } else {
        ASSERT_EQ(p.data.size() % 128, 0u);
        const int lines = static_cast<int>(p.data.size() / 128);
        for (int m = 0; m < lines; ++m) {
          const int k = 200 - (y + m);
          line_of_row[static_cast<std::size_t>(k)] = y + m;
          EXPECT_EQ(static_cast<unsigned char>(p.data[static_cast<std::size_t>(m * 128)]),
                    pattern(1, k));
        }
      }
    }
    EXPECT_EQ(pixel_bytes, mode == 0 ? 128u * 128u : 128u * 4u);
    for (int k = 1; k <= 200; ++k) {
      EXPECT_EQ(line_of_row[static_cast<std::size_t>(k)], k >= 73 ? 200 - k : -1)
          << "mode " << mode << " row " << k;
    }
  }
}

// Cases that send only the world-coordinate packet.
TEST(Load, OnlyTheRecord) {
  NoConfirmation quiet;
  struct Case {
    const char* what;
    int width, height, mode;
    std::int16_t fb_width;
    std::size_t image_size;
    std::string report;
  } cases[] = {
      {"height 0", 4, 0, 0, 128, 0, ""},
      {"height 0, line transfer", 4, 0, 1, 128, 0, ""},
      {"mode 2", 4, 4, 2, 128, 16, ""},
      {"mode -1", 4, 4, -1, 128, 16, ""},
      {"image smaller than its size", 4, 4, 0, 128, 15,
       " ERROR:  Image smaller than its width and height;  no pixels sent\n"},
      {"frame buffer wider than a packet", 4, 4, 0, 9000, 16,
       " ERROR:  Frame buffer wider than 8192;  no pixels sent\n"},
      {"no frame buffer size", 4, 4, 0, 0, 16, kMoved + kTooBig},
  };
  for (const auto& c : cases) {
    Wire wire(11, c.fb_width, 128);
    const std::vector<float> image(c.image_size, 1.0f);
    StdoutCapture out;
    kivload(image, c.width, c.height, 0, 10, 0.0f, 1.0f, "only", 1, c.mode);
    EXPECT_EQ(out.text(), c.report) << c.what;
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 1u) << c.what;
    EXPECT_EQ(packets[0].word(display::kSubunit), 17) << c.what;
  }
}

// A width of 0 or less still sends the rows: in block transfer whole
// frame-buffer lines of zeros (no image column to fill), in line transfer one
// header per row whose thingct is minus the width and no data.
TEST(Load, NoColumnsStillSendsTheRows) {
  struct Case {
    const char* what;
    int width, height, mode;
    W headers;  // thingct and y of each pixel packet
  } cases[] = {
      {"width 0, block", 0, 4, 0, {static_cast<std::uint16_t>(-512), 0x8000 | 7}},
      {"width -3, block", -3, 2, 0, {static_cast<std::uint16_t>(-256), 0x8000 | 9}},
      {"width 0, block, 70 rows", 0, 70, 0,
       {static_cast<std::uint16_t>(-8192), 0x8000 | 6, static_cast<std::uint16_t>(-768), 0x8000 | 0}},
      {"width 0, line", 0, 2, 1, {0, 0x8000 | 10, 0, 0x8000 | 9}},
      {"width -3, line", -3, 2, 1, {3, 0x8000 | 10, 3, 0x8000 | 9}},
  };
  for (const auto& c : cases) {
    const int line = c.height > 11 ? 69 : 10;
    Wire wire;
    display_state().integer2.packet.fill('\x7F');  // left over from an earlier packet
    StdoutCapture out;
    kivload({}, c.width, c.height, 0, line, 0.0f, 1.0f, "none", 1, c.mode);
    EXPECT_EQ(out.text(), "") << c.what;
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 1 + c.headers.size() / 2) << c.what;
    W got;
    for (std::size_t n = 1; n < packets.size(); ++n) {
      const auto& p = packets[n];
      got.push_back(p.word(display::kThingct));
      got.push_back(p.word(display::kY));
      EXPECT_EQ(p.word(display::kTid), 0x7200) << c.what;
      EXPECT_EQ(p.word(display::kSubunit), 1) << c.what;
      EXPECT_EQ(p.word(display::kX), 0x8000) << c.what;
      EXPECT_EQ(p.word(display::kZ), 1) << c.what;
      EXPECT_EQ(p.word(display::kT), 255) << c.what;
      EXPECT_TRUE(display::checksum_ok(p.header)) << c.what;
      EXPECT_EQ(p.data, std::string(p.data.size(), '\0')) << c.what;
    }
    EXPECT_EQ(got, c.headers) << c.what;
  }
}

// The packet buffer after a load: block transfer clears it once per call, so
// a short last packet leaves the earlier packet's lines behind it; line
// transfer writes only the row's bytes and leaves the rest as it was.
TEST(Load, PacketBufferAfterTheLoad) {
  const float step = step_of(0.0f, 199.0f);
  {
    // 70 rows of 4 at column 0: a packet of rows 64..1, then one of rows 70..65.
    Wire wire;
    display_state().integer2.packet.fill('\x7F');
    const auto image = image_of(4, 70, step, pattern);
    kivload(image, 4, 70, 0, 69, 0.0f, 199.0f, "block", 1, 0);
    const auto& packet = display_state().integer2.packet;
    const auto byte = [&](int at) { return static_cast<unsigned char>(packet[static_cast<std::size_t>(at)]); };
    for (int m = 0; m < 64; ++m) {
      const int row = m < 6 ? 70 - m : 64 - m;  // first 6 lines from the second packet
      for (int c = 0; c < 128; ++c) {
        ASSERT_EQ(byte(m * 128 + c), c < 4 ? pattern(c + 1, row) : 0) << "line " << m << " column " << c;
      }
    }
    wire.bytes();
  }
  {
    Wire wire;
    display_state().integer2.packet.fill('\x7F');
    const auto image = image_of(3, 2, step, pattern);
    kivload(image, 3, 2, 5, 20, 0.0f, 199.0f, "rows", 1, 1);
    const auto& packet = display_state().integer2.packet;
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(static_cast<unsigned char>(packet[static_cast<std::size_t>(c)]), pattern(c + 1, 2));
    }
    // Past the world-coordinate record ("rows": 4 + 59 bytes) nothing was touched.
    const std::string rest(packet.data() + 63, 8192 - 63);
    EXPECT_EQ(rest.find_first_not_of('\x7F'), std::string::npos);
    wire.bytes();
  }
}

// Title length n, record n + 59 bytes.
TEST(Load, Titles) {
  struct Case {
    const char* what;
    std::string title;
    std::string sent;
    std::string stored;  // the 80-character slot
  } cases[] = {
      {"all blank", std::string(40, ' '), " ", std::string(80, ' ')},
      {"empty", "", " ", std::string(80, ' ')},
      {"trailing blanks", "A title  ", "A title", "A title" + std::string(73, ' ')},
      {"leading blank kept", "  x", "  x", "  x" + std::string(77, ' ')},
      {"longer than 80", std::string(100, 'Q'), std::string(100, 'Q'), std::string(80, 'Q')},
      {"too long for the buffer", std::string(9000, 'L'), std::string(8133, 'L'),
       std::string(80, 'L')},
  };
  for (const auto& c : cases) {
    Wire wire;
    const float image[1] = {0.0f};
    kivload(image, 1, 1, 0, 0, 0.0f, 1.0f, c.title, 5, 2);
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 1u) << c.what;
    const std::string& record = packets[0].data;
    ASSERT_EQ(record.size(), c.sent.size() + 59) << c.what;
    EXPECT_EQ(packets[0].word(display::kThingct),
              static_cast<std::uint16_t>(-static_cast<int>(c.sent.size() + 59)));
    EXPECT_TRUE(display::checksum_ok(packets[0].header));
    EXPECT_EQ(record.substr(0, c.sent.size()), c.sent) << c.what;
    EXPECT_EQ(record.substr(c.sent.size()),
              std::string("\n1. 0. 0. -1.     1.5     1.5  0.50251E-02  0.10050E+01 1\n") + '\0')
        << c.what;
    EXPECT_EQ(std::string(display_state().titles[4].data(), 80), c.stored) << c.what;
  }
}

// A frame number outside 1 to 16 loads nothing and touches no slot.
TEST(Load, FrameOutsideTheSlots) {
  for (int frame : {0, 17, -1, 1000}) {
    Wire wire;
    auto& s = display_state();
    s.integer2.cur_frame = 4;
    const auto before = s.integer2;
    const float image[1] = {0.0f};
    StdoutCapture out;
    kivload(image, 1, 1, 0, 0, 0.0f, 1.0f, "x", frame, 0);
    EXPECT_EQ(out.text(), " ERROR:  Frame number must be from 1 to 16;  image not loaded\n");
    EXPECT_EQ(s.integer2.cur_frame, 4);
    EXPECT_EQ(s.integer2.frame_x0, before.frame_x0);
    EXPECT_EQ(s.integer2.frame_width, before.frame_width);
    EXPECT_EQ(wire.bytes(), "") << frame;
  }
}

// The byte sent is the first of the 16-bit value's memory form only when the
// host is known to be little-endian, else the second: with an unknown order,
// or before anybody asked for it, a little-endian host sends the high-order
// byte, always 0. The load itself never asks for the order.
TEST(Load, ByteSentFollowsTheByteOrderFlag) {
  const bool little = std::endian::native == std::endian::little;
  for (char order : {'L', 'B', 'U', ' '}) {
    Wire wire;
    display_state().sys_endian = order;
    const float image[2] = {1.0f, 199.0f};
    StdoutCapture out;
    kivload(image, 2, 1, 0, 0, 0.0f, 199.0f, "e", 1, 0);
    EXPECT_EQ(out.text(), "") << "'" << order << "'";
    EXPECT_EQ(display_state().sys_endian, order);
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 2u);
    const bool low_byte = (order == 'L') == little;
    EXPECT_EQ(packets[1].data.substr(0, 2), low_byte ? std::string("\x01\xC7", 2) : std::string(2, '\0'))
        << "'" << order << "'";
  }
}

// Loads keep the frame's slot; cur_frame follows the latest load.
TEST(Load, Bookkeeping) {
  Wire wire;
  const std::vector<float> image(6, 0.0f);
  kivload(image, 3, 2, 10, 20, -1.0f, 198.0f, "first", 2, 2);
  kivload(image, 2, 3, 30, 40, 0.0f, 1.0f, "second", 16, 2);
  auto& s = display_state();
  EXPECT_EQ(s.integer2.cur_frame, 16);
  EXPECT_EQ(s.integer4.set_index, 0);
  EXPECT_EQ(s.integer2.frame_x0[1], 10);
  EXPECT_EQ(s.integer2.frame_y0[1], 20);
  EXPECT_EQ(s.integer2.frame_width[1], 3);
  EXPECT_EQ(s.integer2.frame_height[1], 2);
  EXPECT_EQ(s.integer2.frame_x0[15], 30);
  EXPECT_EQ(s.integer2.frame_y0[15], 40);
  EXPECT_EQ(s.integer2.frame_width[15], 2);
  EXPECT_EQ(s.integer2.frame_height[15], 3);
  EXPECT_EQ(std::string(s.titles[1].data(), 5), "first");
  EXPECT_EQ(std::string(s.titles[15].data(), 6), "second");
  EXPECT_FLOAT_EQ(s.real4.z_step[0], 1.0f * 0.0050251256f);
  EXPECT_EQ(wire.packets().size(), 2u);
}

}  // namespace
