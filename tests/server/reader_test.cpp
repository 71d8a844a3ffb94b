// Packet reader: whole packets by the header and data-length rule, and what it
// makes of damaged input.
#include <algorithm>
#include <gtest/gtest.h>

#include <random>

#include "server/packet_reader.h"
#include "server/trace.h"
#include "stream.h"

using namespace fbtest;
using server::FaultKind;
using server::PacketReader;
using server::ReadItem;

namespace {

// Feeds the stream in pieces of the given size, then ends it; collects items.
// most_pending, when given, receives the largest number of bytes held back.
std::vector<ReadItem> read_all(PacketReader& r, const Bytes& s, std::size_t piece,
                               std::vector<Bytes>* datas = nullptr, std::vector<std::string>* traces = nullptr,
                               std::size_t* most_pending = nullptr) {
  std::vector<ReadItem> items;
  std::size_t off = 0;
  for (;;) {
    ReadItem it = r.next();
    if (it.type == ReadItem::Type::kEnd) break;
    if (it.type == ReadItem::Type::kNeedMore) {
      if (off >= s.size()) {
        r.finish();
        continue;
      }
      const std::size_t n = std::min(piece, s.size() - off);
      r.feed(std::span<const std::uint8_t>(s.data() + off, n));
      off += n;
      if (most_pending) *most_pending = std::max(*most_pending, r.pending());
      continue;
    }
    if (datas) datas->push_back(Bytes(it.data.begin(), it.data.end()));
    if (traces) traces->push_back(server::trace_line(it));
    it.data = {};
    items.push_back(it);
  }
  return items;
}


}  // namespace

TEST(PacketReader, StartupPacketsComeOutWholeWhateverTheReadSizes) {
  struct Expect {
    std::int16_t kind;
    std::size_t length;
    std::uint16_t checksum;
  };
  // Checksums the client computes for these headers.
  const Expect expect[] = {{12, 6, 0x7EF3}, {17, 51, 0xC016}, {5, 2, 0xDCF1}, {13, 67, 0xC034}, {2, 6, 0xFC00}};
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{16}, std::size_t{4096}}) {
    SCOPED_TRACE(piece);
    PacketReader r;
    std::vector<Bytes> datas;
    const auto items = read_all(r, startup_stream(), piece, &datas);
    ASSERT_EQ(items.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(items[i].type, ReadItem::Type::kPacket);
      EXPECT_EQ(items[i].number, i + 1);
      EXPECT_EQ(items[i].header[display::kSubunit], expect[i].kind);
      EXPECT_EQ(datas[i].size(), expect[i].length);
      EXPECT_EQ(static_cast<std::uint16_t>(items[i].header[display::kChecksum]), expect[i].checksum);
    }
    EXPECT_TRUE(r.at_boundary());
  }
}

TEST(PacketReader, WordCountedDataIsTwiceThingct) {
  // Without the packed bit, -thingct counts 16-bit words.
  const Bytes p = packet(0x0100, -3, 2, 0, 0, 768, 0, Bytes(6, 0xAB));
  PacketReader r;
  std::vector<Bytes> datas;
  const auto items = read_all(r, p, 64, &datas);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(datas[0], Bytes(6, 0xAB));
}

TEST(PacketReader, FlippedChecksumBitDropsOnlyThatPacket) {
  Bytes s = startup_stream();
  s[22 + 6] ^= 0x01;  // checksum word of packet 2 (after the 22-byte start packet)
  PacketReader r;
  const auto items = read_all(r, s, 100);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].type, ReadItem::Type::kPacket);
  EXPECT_EQ(items[1].type, ReadItem::Type::kFault);
  EXPECT_EQ(items[1].fault, FaultKind::kBadChecksum);
  EXPECT_EQ(items[1].number, 2u);
  for (std::size_t i : {2u, 3u, 4u}) {
    EXPECT_EQ(items[i].type, ReadItem::Type::kPacket) << i;
    EXPECT_EQ(items[i].number, i + 1);
  }
  EXPECT_EQ(items[4].header[display::kSubunit], 2);
}

TEST(PacketReader, DamagedLengthResynchronisesOnTheNextGoodHeader) {
  Bytes s = startup_stream();
  s[22 + 2] = 0x10;  // thingct of packet 2 now claims far more data
  PacketReader r;
  std::vector<Bytes> datas;
  const auto items = read_all(r, s, 1000, &datas);
  ASSERT_GE(items.size(), 4u);
  EXPECT_EQ(items[1].fault, FaultKind::kBadChecksum);
  EXPECT_EQ(items[1].number, 2u);
  EXPECT_EQ(items[2].type, ReadItem::Type::kFault);
  EXPECT_EQ(items[2].fault, FaultKind::kSkipped);
  EXPECT_EQ(items[2].number, 2u);
  EXPECT_EQ(items[2].bytes, 16u + 51u);  // the damaged packet, up to the erase header
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[3].header[display::kSubunit], 5);
  EXPECT_EQ(items[3].number, 3u);
}

TEST(PacketReader, TruncatedStreamsAreReportedWithTheirPacketNumber) {
  struct Case {
    const char* name;
    std::size_t keep;  // bytes of the stream kept
    bool header_complete;
    std::size_t bytes;
  };
  const Bytes full = startup_stream();  // 22 + 67 + 18 + 83 + 22 = 212 bytes
  const Case cases[] = {{"inside a header", 22 + 67 + 10, false, 10},
                        {"inside data", 22 + 67 + 16 + 1, true, 1},
                        {"header without data", 22 + 67 + 18 + 16, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PacketReader r;
    const auto items = read_all(r, Bytes(full.begin(), full.begin() + static_cast<long>(c.keep)), 5);
    ASSERT_FALSE(items.empty());
    const ReadItem& last = items.back();
    EXPECT_EQ(last.type, ReadItem::Type::kFault);
    EXPECT_EQ(last.fault, FaultKind::kTruncated);
    EXPECT_EQ(last.header_complete, c.header_complete);
    EXPECT_EQ(last.bytes, c.bytes);
    EXPECT_EQ(last.number, items.size());
  }
}

TEST(PacketReader, RandomBytesNeverGrowTheBufferWithoutBound) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 20; ++round) {
    Bytes s(200000);
    for (auto& b : s) b = static_cast<std::uint8_t>(rng());
    PacketReader r;
    std::size_t most = 0;
    const auto items = read_all(r, s, 65536, nullptr, nullptr, &most);
    const auto faults = std::count_if(items.begin(), items.end(),
                                      [](const ReadItem& it) { return it.type == ReadItem::Type::kFault; });
    EXPECT_GT(faults, 0);
    EXPECT_LE(most, 2 * (server::kMaxData + 32));
  }
}

TEST(PacketReader, GoodStreamAfterGarbageIsFound) {
  Bytes s(37, 0x5A);
  append(s, startup_stream());
  PacketReader r;
  const auto items = read_all(r, s, 3);
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[0].fault, FaultKind::kBadChecksum);
  EXPECT_EQ(items[1].fault, FaultKind::kSkipped);
  EXPECT_EQ(items[1].bytes, 37u);
  EXPECT_EQ(items[2].header[display::kSubunit], 12);
  EXPECT_EQ(items[6].header[display::kSubunit], 2);
}

TEST(Trace, OneLinePerPacketWithTheChecksumVerdict) {
  Bytes s = startup_stream();
  s[22 + 6] ^= 0x01;
  s.resize(s.size() - 3);
  PacketReader r;
  std::vector<std::string> lines;
  const auto items = read_all(r, s, 50, nullptr, &lines);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1],
            "packet 2 world-coord tid=0x4000 thingct=-51 subunit=17 checksum=0xc017 x=0x0000 y=0x0000 z=1 t=10 "
            "checksum-bad data=51 dropped");
  EXPECT_EQ(lines[2],
            "packet 3 erase tid=0x220a thingct=-1 subunit=5 checksum=0xdcf1 x=0x8000 y=0x8000 z=1 t=255 "
            "checksum-ok data=2");
  EXPECT_EQ(lines[4],
            "packet 5 table tid=0x0100 thingct=-3 subunit=2 checksum=0xfc00 x=0x0000 y=0x0000 z=768 t=0 "
            "checksum-ok data=6 truncated after 3");
  EXPECT_EQ(server::fault_message(items[1]),
            "packet 2: bad checksum 0xc017 (header words do not sum to 0xffff), packet dropped");
}
