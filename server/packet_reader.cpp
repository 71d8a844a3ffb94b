#include "server/packet_reader.h"

#include <cstring>

namespace server {

display::PacketHeader header_at(const std::uint8_t* bytes) {
  display::PacketHeader h{};
  std::memcpy(h.data(), bytes, kHeaderBytes);
  return h;
}

namespace {
constexpr const char* kUnknownKind = "unknown";
}  // namespace

const char* kind_name(std::int16_t subunit) {
  switch (subunit) {
    case display::kPixelPacket: return "pixel";
    case display::kTablePacket: return "table";
    case display::kErasePacket: return "erase";
    case display::kStartPacket: return "start";
    case display::kDrawPacket: return "draw";
    case display::kWorldCoordPacket: return "world-coord";
    default: return kUnknownKind;
  }
}

bool plausible_header(const display::PacketHeader& header) {
  if (!display::checksum_ok(header)) return false;
  if (kind_name(header[display::kSubunit]) == kUnknownKind) return false;
  return display::data_length(header) <= kMaxData;
}

PacketReader::PacketReader() { buf_.reserve(2 * (kMaxData + 2 * kHeaderBytes)); }

void PacketReader::compact() {
  if (pos_ == 0) return;
  buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
  pos_ = 0;
}

void PacketReader::feed(std::span<const std::uint8_t> bytes) {
  compact();
  buf_.insert(buf_.end(), bytes.begin(), bytes.end());
}

void PacketReader::finish() { eof_ = true; }

void PacketReader::restart() {
  buf_.clear();
  pos_ = 0;
  eof_ = false;
  resyncing_ = false;
  resync_skipped_ = 0;
}

// Looks for the next plausible header after a damaged one. Bytes before it are
// dropped and reported once, as one kSkipped fault for the damaged packet.
ReadItem PacketReader::scan() {
  while (buf_.size() - pos_ >= kHeaderBytes) {
    if (plausible_header(header_at(buf_.data() + pos_))) return end_resync();
    ++pos_;
    ++resync_skipped_;
  }
  if (!eof_) return ReadItem{};  // kNeedMore
  resync_skipped_ += buf_.size() - pos_;
  pos_ = buf_.size();
  return end_resync();
}

// The one fault that reports the bytes skipped while resynchronising.
ReadItem PacketReader::end_resync() {
  resyncing_ = false;
  ReadItem item;
  item.type = ReadItem::Type::kFault;
  item.fault = FaultKind::kSkipped;
  item.number = resync_packet_;
  item.bytes = resync_skipped_;
  return item;
}

ReadItem PacketReader::next() {
  if (resyncing_) return scan();

  ReadItem item;
  const std::size_t avail = buf_.size() - pos_;
  if (avail < kHeaderBytes) {
    if (!eof_) return item;  // kNeedMore
    if (avail == 0) {
      item.type = ReadItem::Type::kEnd;
      return item;
    }
    item.type = ReadItem::Type::kFault;
    item.fault = FaultKind::kTruncated;
    item.number = ++count_;
    item.bytes = avail;
    pos_ = buf_.size();
    return item;
  }

  const display::PacketHeader h = header_at(buf_.data() + pos_);
  const std::size_t len = display::data_length(h);
  item.header = h;
  item.declared = len;

  if (display::checksum_ok(h) && len <= kMaxData) {
    if (avail < kHeaderBytes + len) {
      if (!eof_) return item;  // kNeedMore
      item.type = ReadItem::Type::kFault;
      item.fault = FaultKind::kTruncated;
      item.header_complete = true;
      item.number = ++count_;
      item.bytes = avail - kHeaderBytes;
      pos_ = buf_.size();
      return item;
    }
    item.type = ReadItem::Type::kPacket;
    item.number = ++count_;
    item.data = std::span<const std::uint8_t>(buf_.data() + pos_ + kHeaderBytes, len);
    pos_ += kHeaderBytes + len;
    return item;
  }

  // A damaged header. When its length still leads exactly to a good header (or
  // to the end of the stream), only the checksum was hit: drop this one packet.
  // Otherwise its length cannot be trusted: look for the next good header from
  // the byte after this one.
  if (len <= kMaxData) {
    const std::size_t after = kHeaderBytes + len;
    if (avail < after + kHeaderBytes && !eof_) return item;  // kNeedMore
    const bool lands = (eof_ && avail == after) ||
                       (avail >= after + kHeaderBytes &&
                        plausible_header(header_at(buf_.data() + pos_ + after)));
    if (lands) {
      item.type = ReadItem::Type::kFault;
      item.fault = FaultKind::kBadChecksum;
      item.number = ++count_;
      pos_ += after;
      return item;
    }
  }
  item.type = ReadItem::Type::kFault;
  item.fault = FaultKind::kBadChecksum;
  item.number = ++count_;
  resyncing_ = true;
  resync_packet_ = item.number;
  // Scan from the byte after this header's first byte, so that a good header
  // overlapping the damaged one is not missed.
  pos_ += 1;
  resync_skipped_ = 1;
  return item;
}

}  // namespace server
