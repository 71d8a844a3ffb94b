#include "stream.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fbtest {

Bytes packet(std::uint16_t tid, std::int16_t thingct, std::int16_t subunit, std::uint16_t x,
             std::uint16_t y, std::int16_t z, std::int16_t t, const Bytes& data) {
  display::PacketHeader h{static_cast<std::int16_t>(tid), thingct, subunit, 0,
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), z, t};
  display::imtoolchecksum(h);
  Bytes out(16);
  std::memcpy(out.data(), h.data(), 16);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

Bytes start_packet() { return packet(0x0100, -3, 12, 0x8000, 0, 0, 3, Bytes(6, 0)); }

Bytes world_coord(const std::string& record, int choice) {
  Bytes data(record.begin(), record.end());
  return packet(0x4000, static_cast<std::int16_t>(-static_cast<int>(data.size())), 17, 0, 0, 1,
                static_cast<std::int16_t>(choice - 1), data);
}

Bytes first_world_coord(int choice) {
  static const int heights[] = {512, 800, 1024, 1600, 2048, 4096, 1024, 4096, 880, 764, 128, 256, 90};
  char line[64];
  std::snprintf(line, sizeof line, "1. 0. 0. -1.    1.5 %7.1f   1. 200. 1\n", heights[choice - 1] + 0.5);
  std::string rec = std::string(9, ' ') + "\n" + line;
  rec.push_back('\0');
  return world_coord(rec, choice);
}

Bytes erase_packet(int choice) {
  const Bytes word{0x00, 0x80};  // 0x8000, little-endian host
  return packet(static_cast<std::uint16_t>(0x2200 + choice - 1), -1, 5, 0x8000, 0x8000, 1, 255, word);
}

Bytes cursor_draw_packet() {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%2d %4d %8d %9.3f %9.3f %9.3f %9.3f %9.3f ", 10, 256, 201, 1.0, 1.0, 1.0, 1.0, 0.0);
  const std::string rec = buf;
  return packet(0x4000, -67, 13, 0, 0, 1, 0, Bytes(rec.begin(), rec.end()));
}

Bytes table_packet(std::int16_t value) { return packet(0x0100, -3, 2, 0, 0, value, 0, Bytes(6, 0)); }

std::string demo_record() {
  std::string rec = "Focus Sequence\n1. 0. 0. -1.   -30.5    97.5  0.50251E+01  0.10050E+04 1\n";
  rec.push_back('\0');
  return rec;
}

int star_width(int f) {
  const int d = f - 16 * ((f + 8) / 16);
  return 2 * std::abs(d) + 2;
}

std::vector<std::uint8_t> star_image(int f) {
  const float w = static_cast<float>(star_width(f));
  const float step = 1000.0f * 0.0050251256f;
  std::vector<std::uint8_t> img(64 * 64);
  for (int k = 1; k <= 64; ++k)
    for (int i = 1; i <= 64; ++i) {
      const float di = static_cast<float>(i) - 32.5f, dk = static_cast<float>(k) - 32.5f;
      const float r = std::sqrt(di * di + dk * dk);
      float v = 0;
      if (r / w < 8.0f) v = 5000.0f / std::pow(w, 1.6f) * std::exp(-(r / w) * (r / w));
      const float q = (v - 0.0f) / step;
      long p = std::lround(q);  // halves away from zero
      if (p < 0) p = 0;
      if (p > 200) p = 200;
      img[static_cast<std::size_t>((k - 1) * 64 + (i - 1))] = static_cast<std::uint8_t>(p);
    }
  return img;
}

Bytes star_block(const std::vector<std::uint8_t>& image) {
  Bytes data(8192, 0);
  for (int m = 0; m < 64; ++m) {
    const int row = 64 - m;  // image row on data line m
    for (int i = 0; i < 64; ++i)
      data[static_cast<std::size_t>(m * 128 + 32 + i)] = image[static_cast<std::size_t>((row - 1) * 64 + i)];
  }
  return packet(0x7200, -8192, 1, 0x8000, 0x8021, 1, 255, data);
}

Bytes startup_stream() {
  Bytes s;
  append(s, start_packet());
  append(s, first_world_coord(11));
  append(s, erase_packet(11));
  append(s, cursor_draw_packet());
  append(s, table_packet(768));
  return s;
}

Bytes demo_stream(int loads) {
  Bytes s = startup_stream();
  for (int n = 0; n < loads; ++n) {
    append(s, world_coord(demo_record(), 11));
    append(s, star_block(star_image(n % 16 + 1)));
  }
  return s;
}

}  // namespace fbtest
