#pragma once
// The 16-byte packet header that the client writes and the display server reads,
// with its checksum and data-length rule. Header-only: shared by display/ and server/.
#include <array>
#include <cstddef>
#include <cstdint>

namespace display {

// Eight 16-bit words in host byte order, in this order on the wire.
enum HeaderWord : std::size_t { kTid = 0, kThingct, kSubunit, kChecksum, kX, kY, kZ, kT };
using PacketHeader = std::array<std::int16_t, 8>;

inline constexpr std::uint16_t kPackedBit = 0x4000;  // in tid: data length counted in bytes
inline constexpr std::uint16_t kCoordBit = 0x8000;   // on top of x or y in some packets

// Packet kinds carried in the subunit word.
enum Subunit : std::int16_t {
  kPixelPacket = 1,
  kTablePacket = 2,
  kErasePacket = 5,
  kStartPacket = 12,
  kDrawPacket = 13,
  kWorldCoordPacket = 17,
};

// Sets the checksum word so that the eight words sum to 0xFFFF modulo 65536.
inline void imtoolchecksum(std::int16_t* header) {
  header[kChecksum] = 0;
  std::int32_t sum = 0;
  for (int i = 0; i < 8; ++i) sum += header[i];
  header[kChecksum] = static_cast<std::int16_t>(static_cast<std::uint16_t>(0xFFFF - (sum & 0xFFFF)));
}
inline void imtoolchecksum(PacketHeader& header) { imtoolchecksum(header.data()); }

// True when the eight words, read as unsigned, sum to 0xFFFF modulo 65536.
inline bool checksum_ok(const PacketHeader& header) {
  std::uint32_t sum = 0;
  for (std::int16_t w : header) sum += static_cast<std::uint16_t>(w);
  return (sum & 0xFFFF) == 0xFFFF;
}

// Bytes of data that follow the header: -thingct bytes when the packed bit is
// set, else -thingct 16-bit words. A positive thingct carries no data.
inline std::size_t data_length(const PacketHeader& header) {
  const std::int32_t n = -static_cast<std::int32_t>(header[kThingct]);
  if (n <= 0) return 0;
  const bool packed = (static_cast<std::uint16_t>(header[kTid]) & kPackedBit) != 0;
  return packed ? static_cast<std::size_t>(n) : 2 * static_cast<std::size_t>(n);
}

}  // namespace display
