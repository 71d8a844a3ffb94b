// The seed inputs of the server fuzz target, built from the client-style
// packet helpers. The test checks that the files in fuzz_corpus/ are these
// seeds and that each one reads as clean packets; run it with
// FBVIEW_WRITE_CORPUS=1 in the environment to write the files afresh.
//
// A seed is a control byte (low three bits: how many piece-size bytes follow;
// bit 3: reconnect halfway; bit 4: set the header checksums first), the piece
// sizes, then the stream.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "server/packet_reader.h"
#include "server/state.h"
#include "stream.h"

using namespace fbtest;

namespace {

Bytes seed(std::uint8_t control, const Bytes& sizes, const Bytes& stream) {
  Bytes out{control};
  append(out, sizes);
  append(out, stream);
  return out;
}

// A small 90 x 90 buffer keeps the seeds short.
constexpr int kChoice = 13;

Bytes small_record() {
  std::string rec = "Seed\n1. 0. 0. -1.   -8.5    40.5  0.1E+01  0.2E+03 1\n";
  rec.push_back('\0');
  return world_coord(rec, kChoice);
}

std::vector<std::pair<std::string, Bytes>> seeds() {
  Bytes startup;
  append(startup, start_packet());
  append(startup, first_world_coord(kChoice));
  append(startup, erase_packet(kChoice));
  append(startup, table_packet(768));

  Bytes block_px(3 * 90);
  for (std::size_t i = 0; i < block_px.size(); ++i) block_px[i] = static_cast<std::uint8_t>(i % 201);
  Bytes block = small_record();
  append(block, packet(0x7200, -3 * 90, 1, 0x8000, 0x8000 | 38, 1, 255, block_px));

  Bytes lines = small_record();
  for (int k = 0; k < 3; ++k)
    append(lines, packet(0x7200, -8, 1, 0x8000 | 10, static_cast<std::uint16_t>(0x8000 | (40 - k)), 1, 255,
                         Bytes(8, static_cast<std::uint8_t>(60 * k + 20))));
  append(lines, table_packet(0));  // ends the load

  Bytes session = startup;
  append(session, cursor_draw_packet());
  append(session, lines);

  return {{"startup", seed(0, {}, startup)},
          {"world_coord", seed(0, {}, small_record())},
          {"block_pixels", seed(16, {}, block)},
          {"line_transfer", seed(16 | 3, {1, 7, 16}, lines)},
          {"draw_record", seed(0, {}, cursor_draw_packet())},
          {"session_reconnect", seed(8 | 2, {5, 0}, session)}};
}

}  // namespace

TEST(FuzzCorpus, SeedsAreCleanStreamsAndMatchTheFiles) {
  const std::string dir = FUZZ_CORPUS_DIR;
  const bool write = std::getenv("FBVIEW_WRITE_CORPUS") != nullptr;
  for (const auto& [name, bytes] : seeds()) {
    SCOPED_TRACE(name);
    const std::size_t skip = 1 + (bytes[0] & 7u);
    server::PacketReader reader;
    reader.feed(std::span<const std::uint8_t>(bytes).subspan(skip));
    reader.finish();
    server::DisplayState state;
    for (;;) {
      const auto item = reader.next();
      if (item.type == server::ReadItem::Type::kEnd) break;
      ASSERT_EQ(item.type, server::ReadItem::Type::kPacket);
      state.apply(item.header, item.data);
    }
    const std::string path = dir + "/" + name;
    if (write) {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      ASSERT_TRUE(out.good());
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << path;
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(file, bytes);
  }
}
