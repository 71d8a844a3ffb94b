#include "server/state.h"

#include <algorithm>
#include <cstring>

namespace server {

namespace {
constexpr std::array<FbSize, 13> kSizes{{{512, 512},
                                         {800, 800},
                                         {1024, 1024},
                                         {1600, 1600},
                                         {2048, 2048},
                                         {4096, 4096},
                                         {4096, 1024},
                                         {1024, 4096},
                                         {1144, 880},
                                         {1144, 764},
                                         {128, 128},
                                         {256, 256},
                                         {90, 90}}};
constexpr std::uint16_t kCoordMask = 0x7FFF;
}  // namespace

void FrameBuffer::resize(int w, int h) {
  width = w;
  height = h;
  pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
}

std::optional<FbSize> frame_buffer_size(int selector) {
  if (selector < 0 || selector >= static_cast<int>(kSizes.size())) return std::nullopt;
  return kSizes[static_cast<std::size_t>(selector)];
}

// Until a record names a size, the buffer has the client's default size (choice 1).
DisplayState::DisplayState() { fb_.resize(kSizes[0].width, kSizes[0].height); }

LoadInfo DisplayState::current_load() const {
  LoadInfo info;
  info.number = loads_ + (load_pixels_ ? 1 : 0);
  info.record = record_;
  if (!load_pixels_) return info;
  // Top line from the record when it lies within what the load wrote, else the
  // highest line written. Width: the row length of line transfer; whole-line
  // blocks do not tell it, so the image is taken as square from its column.
  int top = high_line_;
  if (record_.numbers_ok) {
    const int y = record_.top_line();
    if (y >= low_line_ && y <= high_line_) top = y;
  }
  int column = record_.numbers_ok ? record_.first_column() : 0;
  column = std::clamp(column, 0, fb_.width - 1);
  const int height = top - low_line_ + 1;
  int width = row_width_ > 0 && !block_ ? row_width_ : height;
  width = std::min(width, fb_.width - column);
  info.area = Area{column, top, std::max(width, 1), std::max(height, 1)};
  return info;
}

void DisplayState::complete_load() {
  if (!load_pixels_) {
    return;
  }
  const LoadInfo info = current_load();
  ++loads_;
  load_pixels_ = false;
  if (on_load) on_load(*this, info);
}

void DisplayState::end_of_stream() { complete_load(); }

std::optional<std::string> DisplayState::apply_pixels(const display::PacketHeader& h,
                                                      std::span<const std::uint8_t> data) {
  const int column = static_cast<std::uint16_t>(h[display::kX]) & kCoordMask;
  const int line = static_cast<std::uint16_t>(h[display::kY]) & kCoordMask;
  const std::size_t w = static_cast<std::size_t>(fb_.width);
  if (data.empty()) return std::nullopt;

  int lo = 0, hi = 0;
  bool wrote = false;
  auto note_line = [&](int l) {
    if (!wrote) {
      lo = hi = l;
      wrote = true;
    } else {
      lo = std::min(lo, l);
      hi = std::max(hi, l);
    }
  };

  if (column == 0) {
    // Whole lines from the first column: data line m is frame line line + m.
    const std::size_t lines = (data.size() + w - 1) / w;
    for (std::size_t m = 0; m < lines; ++m) {
      const std::size_t off = m * w;
      const std::size_t n = std::min(w, data.size() - off);
      const long l = static_cast<long>(line) + static_cast<long>(m);
      if (l >= fb_.height) {
        clipped_ += n;
        continue;
      }
      std::memcpy(fb_.line_ptr(static_cast<int>(l)), data.data() + off, n);
      note_line(static_cast<int>(l));
    }
    // Several lines in one packet: a block, whose image width is not told.
    if (data.size() > w) block_ = true;
    else row_width_ = std::max(row_width_, static_cast<int>(data.size()));
  } else {
    // One row of pixels on one line, from the given column; the part beyond
    // the line's end is clipped.
    if (line >= fb_.height || column >= fb_.width) {
      clipped_ += data.size();
    } else {
      const std::size_t n = std::min(data.size(), w - static_cast<std::size_t>(column));
      std::memcpy(fb_.line_ptr(line) + column, data.data(), n);
      clipped_ += data.size() - n;
      note_line(line);
      row_width_ = std::max(row_width_, static_cast<int>(data.size()));
    }
  }

  if (wrote) {
    if (!load_pixels_) {
      low_line_ = lo;
      high_line_ = hi;
    } else {
      low_line_ = std::min(low_line_, lo);
      high_line_ = std::max(high_line_, hi);
    }
    // Pixels without a record before them still make a load, placed by what they wrote.
    load_pixels_ = true;
  }
  if (!wrote) return "pixels outside the frame buffer, clipped";
  return std::nullopt;
}

std::optional<std::string> DisplayState::apply(const display::PacketHeader& h,
                                               std::span<const std::uint8_t> data) {
  const std::int16_t kind = h[display::kSubunit];
  // A load is complete when its run of pixel packets ends.
  if (kind != display::kPixelPacket) complete_load();

  switch (kind) {
    case display::kStartPacket:
      ++kinds_.start;
      started_ = true;
      return std::nullopt;
    case display::kTablePacket:
      ++kinds_.table;
      table_ = h[display::kZ];
      return std::nullopt;
    case display::kErasePacket:
      ++kinds_.erase;
      std::fill(fb_.pixels.begin(), fb_.pixels.end(), std::uint8_t{0});
      return std::nullopt;
    case display::kDrawPacket:
      ++kinds_.draw;
      draw_ = parse_draw(data);
      if (!draw_) return "draw record not understood";
      return std::nullopt;
    case display::kWorldCoordPacket: {
      ++kinds_.world;
      std::optional<std::string> note;
      if (auto size = frame_buffer_size(h[display::kT])) {
        if (size->width != fb_.width || size->height != fb_.height) fb_.resize(size->width, size->height);
      } else {
        note = "unknown frame-buffer size selector " + std::to_string(h[display::kT]) + ", size kept";
      }
      auto wc = parse_world_coord(data);
      if (!wc) {
        record_ = WorldCoord{};
        has_record_ = false;
        note = "world-coordinate record without a title line";
      } else {
        record_ = *wc;
        has_record_ = true;
        if (!wc->numbers_ok && !note) note = "world-coordinate numbers not understood";
      }
      load_pixels_ = false;
      row_width_ = 0;
      block_ = false;
      return note;
    }
    case display::kPixelPacket: {
      ++kinds_.pixel;
      if (!load_pixels_) {
        row_width_ = 0;
        block_ = false;
      }
      return apply_pixels(h, data);
    }
    default:
      ++kinds_.unknown;
      return "unknown kind " + std::to_string(kind) + ", " + std::to_string(data.size()) +
             " data bytes skipped";
  }
}

}  // namespace server
