// Fuzz target: arbitrary bytes through the packet reader into the display
// state, then the terminal picture and the contact sheet, all in memory.
//
// Input layout: byte 0 holds the number of chunk-size bytes that follow (low
// three bits) and whether the stream is cut in two with a reconnect between
// the halves (bit 3), and whether the checksums of the headers met when
// walking the stream by its length rule are set right before it is fed
// (bit 4), so that changes to header words reach the state rather than the
// resynchronisation. The chunk-size bytes are used in turn, cyclically, as
// the sizes of the pieces the stream is fed in (0 means a large piece). The
// rest is the stream itself. Without chunk-size bytes the stream is fed whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "server/packet_reader.h"
#include "server/palette.h"
#include "server/sheet.h"
#include "server/state.h"
#include "server/term_view.h"
#include "server/trace.h"

namespace {

// The server's read buffer is 64 KiB; a piece never exceeds it.
constexpr std::size_t kLargePiece = 65536;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// Sets the checksum of each header met when walking the stream packet by packet.
void repair_checksums(std::vector<std::uint8_t>& s) {
  std::size_t off = 0;
  while (s.size() - off >= server::kHeaderBytes) {
    display::PacketHeader h = server::header_at(s.data() + off);
    display::imtoolchecksum(h);
    std::memcpy(s.data() + off, h.data(), server::kHeaderBytes);
    const std::size_t len = display::data_length(h);
    if (len > server::kMaxData || s.size() - off - server::kHeaderBytes < len) break;
    off += server::kHeaderBytes + len;
  }
}

// Hands every item the reader has in hand to the state, as the server does.
void drain(server::PacketReader& reader, server::DisplayState& state, bool to_end) {
  // Each item consumes at least one byte or ends the stream, so the number of
  // items is bounded by what is pending; more means the reader is stuck.
  std::size_t budget = reader.pending() + 4;
  for (;;) {
    check(budget-- > 0);
    const server::ReadItem item = reader.next();
    if (item.type == server::ReadItem::Type::kNeedMore) {
      check(!to_end);
      break;
    }
    if (item.type == server::ReadItem::Type::kEnd) {
      check(to_end);
      break;
    }
    // The descriptions the trace file and stderr get.
    const std::string line = server::trace_line(item);
    if (item.type == server::ReadItem::Type::kFault) {
      const std::string why = server::fault_message(item);
      continue;
    }
    check(item.data.size() == item.declared && item.declared <= server::kMaxData);
    state.apply(item.header, item.data);
  }
  // Whatever is left waiting is at most one packet and the header after it.
  check(reader.pending() <= server::kMaxData + 2 * server::kHeaderBytes);
}

void feed_stream(server::PacketReader& reader, server::DisplayState& state,
                 std::span<const std::uint8_t> stream, std::span<const std::uint8_t> sizes,
                 std::size_t& turn) {
  while (!stream.empty()) {
    std::size_t n = kLargePiece;
    if (!sizes.empty()) {
      const std::uint8_t s = sizes[turn++ % sizes.size()];
      if (s != 0) n = s;
    }
    n = std::min(n, stream.size());
    reader.feed(stream.first(n));
    stream = stream.subspan(n);
    drain(reader, state, false);
  }
  reader.finish();
  drain(reader, state, true);
  state.end_of_stream();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::size_t nsizes = std::min<std::size_t>(control & 7u, size - 1);
  const std::span<const std::uint8_t> sizes(data + 1, nsizes);
  std::vector<std::uint8_t> bytes(data + 1 + nsizes, data + size);
  if (control & 16u) repair_checksums(bytes);
  std::span<const std::uint8_t> stream(bytes);

  server::DisplayState state;
  server::ContactSheet sheet;
  state.on_load = [&sheet](const server::DisplayState& s, const server::LoadInfo& info) {
    // A completed load lies within the frame buffer.
    const server::FrameBuffer& fb = s.frame();
    const server::Area& a = info.area;
    check(a.width >= 1 && a.height >= 1);
    check(a.column >= 0 && a.column + a.width <= fb.width);
    check(a.top < fb.height && a.top - a.height + 1 >= 0);
    sheet.capture(fb, a);
  };

  server::PacketReader reader;
  std::size_t turn = 0;
  if (control & 8u) {
    // The first client goes away halfway; the next one starts afresh.
    const std::size_t half = stream.size() / 2;
    feed_stream(reader, state, stream.first(half), sizes, turn);
    reader.restart();
    stream = stream.subspan(half);
  }
  feed_stream(reader, state, stream, sizes, turn);

  const server::Palette palette = server::make_palette(server::ColorMap::kHeat);
  const std::string status =
      server::status_line(state.record(), state.has_record(), state.loads(), 2.5, 0);
  const server::FrameBuffer& fb = state.frame();
  struct Term {
    int cols, rows;
    server::ColorMode mode;
  };
  for (const Term t : {Term{80, 24, server::ColorMode::kTrueColor}, Term{17, 5, server::ColorMode::k256}}) {
    const server::Fit fit = server::fit_to_terminal(fb.width, fb.height, t.cols, t.rows);
    check(fit.cols <= t.cols && fit.rows <= std::max(t.rows - 2, 1));
    const std::string picture = server::render(fb, palette, t.mode, fit,
                                               server::status_line(state.record(), state.has_record(),
                                                                   state.loads(), 2.5, t.cols));
    check(!picture.empty());
  }
  check(!status.empty());

  int w = 0, h = 0;
  const std::vector<std::uint8_t> pic = sheet.compose(palette, w, h);
  check(pic.size() == static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  return 0;
}
