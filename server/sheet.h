#pragma once
// Contact sheet: the image areas of the first 16 loads, 4 x 4, in load order.
#include <cstdint>
#include <string>
#include <vector>

#include "server/palette.h"
#include "server/state.h"

namespace server {

inline constexpr int kSheetSide = 4;
inline constexpr int kSheetTiles = kSheetSide * kSheetSide;
inline constexpr int kSheetGap = 2;  // pixels of background between tiles
// Longest side of a tile. A larger load area is shrunk to fit, keeping its
// shape, each tile pixel the brightest frame-buffer pixel it covers; so the
// sheet stays below 2058 x 2058 pixels whatever sizes the loads had.
inline constexpr int kSheetMaxTile = 512;

struct Tile {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // top row first
};

class ContactSheet {
 public:
  // Keeps the area of a completed load (shrunk beyond kSheetMaxTile) while
  // fewer than 16 are kept.
  void capture(const FrameBuffer& fb, const Area& area);
  bool full() const { return tiles_.size() >= static_cast<std::size_t>(kSheetTiles); }
  const std::vector<Tile>& tiles() const { return tiles_; }

  // Each cell is as large as the largest tile; tiles sit centred in their
  // cells. Returns the picture's size through width and height (RGB).
  std::vector<std::uint8_t> compose(const Palette& palette, int& width, int& height) const;
  std::string write(const std::string& path, ColorMap map) const;

 private:
  std::vector<Tile> tiles_;
};

}  // namespace server
