#include "server/sheet.h"

#include <algorithm>

#include "server/png_out.h"

namespace server {

namespace {
constexpr Rgb kBackground{48, 48, 64};
}

void ContactSheet::capture(const FrameBuffer& fb, const Area& area) {
  if (full()) return;
  Tile t;
  const int col0 = std::clamp(area.column, 0, fb.width);
  const int col1 = std::clamp(area.column + area.width, 0, fb.width);
  const int top = std::min(area.top, fb.height - 1);
  const int bottom = std::max(area.top - area.height + 1, 0);
  const int sw = std::max(col1 - col0, 0);
  const int sh = std::max(top - bottom + 1, 0);
  const int longer = std::max(sw, sh);
  if (sw == 0 || sh == 0) {
    // Nothing of the area lies in the frame buffer: an empty tile.
  } else if (longer <= kSheetMaxTile) {
    t.width = sw;
    t.height = sh;
  } else {
    t.width = std::max(static_cast<int>(static_cast<long long>(sw) * kSheetMaxTile / longer), 1);
    t.height = std::max(static_cast<int>(static_cast<long long>(sh) * kSheetMaxTile / longer), 1);
  }
  t.pixels.reserve(static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height));
  // Tile pixel (x, y) covers source columns [x * sw / width, (x + 1) * sw / width)
  // and picture rows likewise, row 0 being the top line; at full size one each.
  for (int y = 0; y < t.height; ++y) {
    const int r0 = static_cast<int>(static_cast<long long>(y) * sh / t.height);
    const int r1 = std::max(static_cast<int>(static_cast<long long>(y + 1) * sh / t.height), r0 + 1);
    for (int x = 0; x < t.width; ++x) {
      const int c0 = static_cast<int>(static_cast<long long>(x) * sw / t.width);
      const int c1 = std::max(static_cast<int>(static_cast<long long>(x + 1) * sw / t.width), c0 + 1);
      std::uint8_t v = 0;
      for (int r = r0; r < r1; ++r)
        for (int c = c0; c < c1; ++c) v = std::max(v, fb.at(col0 + c, top - r));
      t.pixels.push_back(v);
    }
  }
  tiles_.push_back(std::move(t));
}

std::vector<std::uint8_t> ContactSheet::compose(const Palette& palette, int& width,
                                                int& height) const {
  int cw = 1, ch = 1;
  for (const Tile& t : tiles_) {
    cw = std::max(cw, t.width);
    ch = std::max(ch, t.height);
  }
  width = kSheetSide * cw + (kSheetSide + 1) * kSheetGap;
  height = kSheetSide * ch + (kSheetSide + 1) * kSheetGap;
  std::vector<std::uint8_t> pic(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (std::size_t i = 0; i < pic.size(); i += 3) {
    pic[i] = kBackground.r;
    pic[i + 1] = kBackground.g;
    pic[i + 2] = kBackground.b;
  }
  for (std::size_t n = 0; n < tiles_.size(); ++n) {
    const Tile& t = tiles_[n];
    const int cx = static_cast<int>(n) % kSheetSide, cy = static_cast<int>(n) / kSheetSide;
    const int x0 = kSheetGap + cx * (cw + kSheetGap) + (cw - t.width) / 2;
    const int y0 = kSheetGap + cy * (ch + kSheetGap) + (ch - t.height) / 2;
    for (int y = 0; y < t.height; ++y)
      for (int x = 0; x < t.width; ++x) {
        const Rgb c = palette[t.pixels[static_cast<std::size_t>(y * t.width + x)]];
        const std::size_t k = (static_cast<std::size_t>(y0 + y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x0 + x)) * 3;
        pic[k] = c.r;
        pic[k + 1] = c.g;
        pic[k + 2] = c.b;
      }
  }
  return pic;
}

std::string ContactSheet::write(const std::string& path, ColorMap map) const {
  int w = 0, h = 0;
  const auto pic = compose(make_palette(map), w, h);
  return write_png(path, w, h, 3, pic);
}

}  // namespace server
