#include "server/trace.h"

#include <cstdio>

namespace server {

namespace {
std::string header_words(const display::PacketHeader& h) {
  char buf[160];
  auto u = [&](std::size_t i) { return static_cast<unsigned>(static_cast<std::uint16_t>(h[i])); };
  std::snprintf(buf, sizeof buf,
                "tid=0x%04x thingct=%d subunit=%d checksum=0x%04x x=0x%04x y=0x%04x z=%d t=%d",
                u(display::kTid), h[display::kThingct], h[display::kSubunit], u(display::kChecksum),
                u(display::kX), u(display::kY), h[display::kZ], h[display::kT]);
  return buf;
}
}  // namespace

std::string trace_line(const ReadItem& item) {
  const std::string num = "packet " + std::to_string(item.number) + " ";
  switch (item.type) {
    case ReadItem::Type::kPacket:
      return num + kind_name(item.header[display::kSubunit]) + " " + header_words(item.header) +
             " checksum-ok data=" + std::to_string(item.data.size());
    case ReadItem::Type::kFault:
      switch (item.fault) {
        case FaultKind::kBadChecksum:
          return num + kind_name(item.header[display::kSubunit]) + " " + header_words(item.header) +
                 " checksum-bad data=" + std::to_string(item.declared) + " dropped";
        case FaultKind::kTruncated:
          if (!item.header_complete)
            return num + "truncated header of " + std::to_string(item.bytes) + " bytes";
          return num + kind_name(item.header[display::kSubunit]) + " " + header_words(item.header) +
                 " checksum-ok data=" + std::to_string(item.declared) + " truncated after " +
                 std::to_string(item.bytes);
        case FaultKind::kSkipped:
          return num + "skipped " + std::to_string(item.bytes) + " bytes to the next good header";
      }
      break;
    default:
      break;
  }
  return num;
}

std::string fault_message(const ReadItem& item) {
  const std::string num = "packet " + std::to_string(item.number) + ": ";
  switch (item.fault) {
    case FaultKind::kBadChecksum: {
      char buf[96];
      std::snprintf(buf, sizeof buf, "bad checksum 0x%04x (header words do not sum to 0xffff)",
                    static_cast<unsigned>(static_cast<std::uint16_t>(item.header[display::kChecksum])));
      return num + buf + ", packet dropped";
    }
    case FaultKind::kTruncated:
      if (!item.header_complete)
        return num + "input ended inside the header (" + std::to_string(item.bytes) + " of 16 bytes)";
      return num + "input ended inside the data (" + std::to_string(item.bytes) + " of " +
             std::to_string(item.declared) + " bytes)";
    case FaultKind::kSkipped:
      return num + "skipped " + std::to_string(item.bytes) +
             " bytes while looking for the next good header";
  }
  return num;
}

}  // namespace server
