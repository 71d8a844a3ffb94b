#pragma once
// Cuts a byte stream into whole packets by the header and data-length rule.
//
// The reader is fed bytes as they arrive and hands out one item at a time: a
// packet (header and a view of its data), a fault (bad checksum, truncated
// packet, bytes skipped to find the next header), or a request for more bytes.
// It never holds more than one packet and its following header beyond what it
// was fed in one chunk, so a hostile stream cannot make it grow without bound.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/packet.h"

namespace server {

// Largest data part a header can announce (32768 words); anything a header
// says beyond this is refused.
inline constexpr std::size_t kMaxData = 65536;
inline constexpr std::size_t kHeaderBytes = 16;

enum class FaultKind {
  kBadChecksum,  // header words do not sum to 0xFFFF; the packet is dropped
  kTruncated,    // input ended inside a packet
  kSkipped,      // bytes thrown away while looking for the next good header
};

struct ReadItem {
  enum class Type { kNeedMore, kEnd, kPacket, kFault };
  Type type = Type::kNeedMore;
  std::uint64_t number = 0;          // packet number, from 1, in stream order
  display::PacketHeader header{};    // kPacket, kBadChecksum, kTruncated
  std::span<const std::uint8_t> data;  // kPacket: valid until the next call
  FaultKind fault = FaultKind::kBadChecksum;
  std::size_t declared = 0;  // data bytes the header announced
  std::size_t bytes = 0;     // kTruncated: bytes that arrived; kSkipped: bytes skipped
  bool header_complete = false;  // kTruncated: whether a whole header arrived
};

// True when the header is one the client sends: good checksum and a known kind.
bool plausible_header(const display::PacketHeader& header);
const char* kind_name(std::int16_t subunit);
display::PacketHeader header_at(const std::uint8_t* bytes);

class PacketReader {
 public:
  PacketReader();

  // Appends bytes read from the stream.
  void feed(std::span<const std::uint8_t> bytes);
  // Marks the end of the current stream; leftovers turn into faults.
  void finish();
  // Starts a new stream (the next client); packet numbers keep counting.
  void restart();

  ReadItem next();

  // True when no partial packet is pending.
  bool at_boundary() const { return pos_ == buf_.size() && !resyncing_; }
  std::uint64_t packets() const { return count_; }
  std::size_t pending() const { return buf_.size() - pos_; }

 private:
  void compact();
  ReadItem scan();
  ReadItem end_resync();

  std::vector<std::uint8_t> buf_;
  std::size_t pos_ = 0;
  bool eof_ = false;
  bool resyncing_ = false;
  std::uint64_t resync_packet_ = 0;
  std::size_t resync_skipped_ = 0;
  std::uint64_t count_ = 0;
};

}  // namespace server
