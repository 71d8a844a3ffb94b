#pragma once
// Helpers shared by the display routines (internal to the display library).
#include <cstdint>

#include "display/packet.h"
#include "display/si_subs.h"
#include "display/state.h"

namespace display::detail {

inline std::int16_t word(std::int32_t value) { return static_cast<std::int16_t>(value); }

// Fills the header array, sets its checksum and writes its 16 bytes.
inline void send_header(std::int32_t tid, std::int32_t thingct, std::int32_t subunit,
                        std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t t) {
  PacketHeader& h = display_state().header;
  h = {word(tid), word(thingct), word(subunit), 0, word(x), word(y), word(z), word(t)};
  imtoolchecksum(h);
  si_write(h.data(), sizeof h);
}

// Writes the first count bytes of the packet buffer.
inline void send_data(std::int32_t count) {
  si_write(display_state().integer2.packet.data(), count);
}

}  // namespace display::detail
