#pragma once
// Packet streams built the way the client builds them, for feeding the server.
#include <cstdint>
#include <string>
#include <vector>

#include "display/packet.h"

namespace fbtest {

using Bytes = std::vector<std::uint8_t>;

// Header with its checksum set, then data.
Bytes packet(std::uint16_t tid, std::int16_t thingct, std::int16_t subunit, std::uint16_t x,
             std::uint16_t y, std::int16_t z, std::int16_t t, const Bytes& data);
void append(Bytes& to, const Bytes& from);

Bytes start_packet();
Bytes first_world_coord(int choice);                     // whole-buffer record, 51 bytes for 128
Bytes world_coord(const std::string& record, int choice);  // any record text
Bytes erase_packet(int choice);
Bytes cursor_draw_packet();
Bytes table_packet(std::int16_t value);

// The demonstration's load record: "Focus Sequence" at column 32, line 96,
// data range 0 to 1000.
std::string demo_record();

// Star image of frame f (1..16): 64 x 64 pixel values, row k (1..64) at
// index (k - 1) * 64, column i at + (i - 1).
std::vector<std::uint8_t> star_image(int f);
int star_width(int f);  // W of frame f

// One block-transfer packet of a 128-wide buffer carrying a 64 x 64 image at
// column 32 with its first row on line 96.
Bytes star_block(const std::vector<std::uint8_t>& image);

// Start-up packets, then loads of frames 1..16 repeated, loads in all.
// The five start-up packets of a run with the 128 x 128 frame buffer.
Bytes startup_stream();
Bytes demo_stream(int loads);

}  // namespace fbtest
