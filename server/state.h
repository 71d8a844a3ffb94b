#pragma once
// What the packets do: the frame buffer, the latest records, and the loads.
//
// Frame lines are numbered from 0 (bottom) to height - 1 (top), the way the
// client numbers them: an image whose first row is at line Y covers lines
// Y down to Y - rows + 1, and Y never exceeds height - 1. Columns count from 0
// at the left.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "display/packet.h"
#include "server/records.h"

namespace server {

struct FrameBuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // line 0 first, width bytes per line

  void resize(int w, int h);
  std::uint8_t at(int column, int line) const {
    return pixels[static_cast<std::size_t>(line) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(column)];
  }
  std::uint8_t* line_ptr(int line) {
    return pixels.data() + static_cast<std::size_t>(line) * static_cast<std::size_t>(width);
  }
};

struct FbSize {
  int width;
  int height;
};
// Frame-buffer size for the selector word t of a world-coordinate packet
// (t = choice - 1, choices 1 to 13); nothing for other values.
std::optional<FbSize> frame_buffer_size(int selector);

// Rectangle of frame-buffer pixels: first column, top line, size.
struct Area {
  int column = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct LoadInfo {
  std::uint64_t number = 0;  // 1 for the first load
  WorldCoord record;
  Area area;  // the image's place in the frame buffer, clipped to it
};

struct KindCounts {
  std::uint64_t start = 0, world = 0, erase = 0, table = 0, pixel = 0, draw = 0, unknown = 0;
};

class DisplayState {
 public:
  DisplayState();

  // Called when a load is complete, before the packet that ended it acts.
  std::function<void(const DisplayState&, const LoadInfo&)> on_load;

  // Applies one well-formed packet. Returns a note for the log when the
  // packet was understood only in part (unknown kind, bad record, ...).
  std::optional<std::string> apply(const display::PacketHeader& header,
                                   std::span<const std::uint8_t> data);
  // The stream ended: a load in progress is complete.
  void end_of_stream();

  const FrameBuffer& frame() const { return fb_; }
  const WorldCoord& record() const { return record_; }
  bool has_record() const { return has_record_; }
  std::uint64_t loads() const { return loads_; }
  // A world-coordinate record has been followed by pixels, not yet counted.
  bool load_in_progress() const { return load_pixels_; }
  // The load in progress as it stands now.
  LoadInfo current_load() const;
  const KindCounts& kinds() const { return kinds_; }
  std::uint64_t clipped_bytes() const { return clipped_; }
  const std::optional<DrawRecord>& last_draw() const { return draw_; }
  int table_value() const { return table_; }
  bool started() const { return started_; }

 private:
  void complete_load();
  std::optional<std::string> apply_pixels(const display::PacketHeader& h,
                                          std::span<const std::uint8_t> data);

  FrameBuffer fb_;
  WorldCoord record_;
  bool has_record_ = false;
  bool load_pixels_ = false;  // pixels came after the record
  int low_line_ = 0, high_line_ = 0;  // lines written by the load in progress
  int row_width_ = 0;                 // widest line-transfer row of the load
  bool block_ = false;                // the load used whole-line blocks
  std::uint64_t loads_ = 0;
  std::uint64_t clipped_ = 0;
  KindCounts kinds_;
  std::optional<DrawRecord> draw_;
  int table_ = 0;
  bool started_ = false;
};

}  // namespace server
