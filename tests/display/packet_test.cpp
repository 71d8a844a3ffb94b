// Checksum and data-length rules of the packet header.
#include <gtest/gtest.h>

#include "display/packet.h"

namespace {

using display::PacketHeader;

PacketHeader header(std::uint16_t tid, std::uint16_t thingct, std::uint16_t subunit,
                    std::uint16_t checksum, std::uint16_t x, std::uint16_t y, std::uint16_t z,
                    std::uint16_t t) {
  auto w = [](std::uint16_t v) { return static_cast<std::int16_t>(v); };
  return {w(tid), w(thingct), w(subunit), w(checksum), w(x), w(y), w(z), w(t)};
}

struct ChecksumCase {
  const char* what;
  PacketHeader h;
  std::uint16_t expected;
};

TEST(Checksum, KnownHeaders) {
  const ChecksumCase cases[] = {
      {"all zero", header(0, 0, 0, 0, 0, 0, 0, 0), 0xFFFF},
      {"start packet", header(0x0100, 0xFFFD, 12, 0, 0x8000, 0, 0, 3), 0x7EF3},
      {"world coordinates, choice 11", header(0x4000, 0xFFCD, 17, 0, 0, 0, 1, 10), 0xC016},
      {"erase, choice 11", header(0x220A, 0xFFFF, 5, 0, 0x8000, 0x8000, 1, 255), 0xDCF1},
      {"table 768", header(0x0100, 0xFFFD, 2, 0, 0, 0, 768, 0), 0xFC00},
      {"draw, 67 bytes", header(0x4000, 0xFFBD, 13, 0, 0, 0, 1, 0), 0xC034},
      {"demo pixel packet", header(0x7200, 0xE000, 1, 0, 0x8000, 0x8021, 1, 255), 0xACDD},
      // Whatever the checksum word held before does not count.
      {"stale checksum word", header(0x0100, 0xFFFD, 12, 0x1234, 0x8000, 0, 0, 3), 0x7EF3},
      {"stale negative word", header(0, 0, 0, 0x8000, 0, 0, 0, 0), 0xFFFF},
  };
  for (const auto& c : cases) {
    PacketHeader h = c.h;
    display::imtoolchecksum(h);
    EXPECT_EQ(static_cast<std::uint16_t>(h[display::kChecksum]), c.expected) << c.what;
    EXPECT_TRUE(display::checksum_ok(h)) << c.what;
    // Only the checksum word changes.
    for (std::size_t i = 0; i < 8; ++i) {
      if (i != display::kChecksum) {
        EXPECT_EQ(h[i], c.h[i]) << c.what << " word " << i;
      }
    }
  }
}

TEST(Checksum, AnyOtherWordChangedIsDetected) {
  PacketHeader h = header(0x7200, 0xE000, 1, 0, 0x8000, 0x8021, 1, 255);
  display::imtoolchecksum(h);
  for (std::size_t i = 0; i < 8; ++i) {
    PacketHeader bad = h;
    bad[i] = static_cast<std::int16_t>(bad[i] ^ 0x0100);
    EXPECT_FALSE(display::checksum_ok(bad)) << "word " << i;
  }
}

TEST(DataLength, PackedBytesOrWords) {
  struct Case {
    std::uint16_t tid;
    std::int16_t thingct;
    std::size_t bytes;
  } cases[] = {
      {0x0100, -3, 6},      // three words
      {0x4000, -51, 51},    // packed: bytes
      {0x2200, -1, 2},      // one word
      {0x7200, -8192, 8192},
      {0x7200, -64, 64},
      {0x4000, 0, 0},
      {0x0100, 5, 0},       // positive: no data
      {0x0100, -32768, 65536},
  };
  for (const auto& c : cases) {
    const PacketHeader h = header(c.tid, static_cast<std::uint16_t>(c.thingct), 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(display::data_length(h), c.bytes) << std::hex << c.tid << " " << std::dec << c.thingct;
  }
}

}  // namespace
