#include "server/palette.h"

#include <algorithm>
#include <cstdlib>

namespace server {

std::optional<ColorMap> color_map_named(std::string_view name) {
  if (name == "grey" || name == "gray") return ColorMap::kGrey;
  if (name == "heat") return ColorMap::kHeat;
  return std::nullopt;
}

namespace {
std::uint8_t level(int num, int den) {
  const int v = std::clamp((255 * num + den / 2) / den, 0, 255);
  return static_cast<std::uint8_t>(v);
}
}  // namespace

Palette make_palette(ColorMap map) {
  Palette p{};
  for (int v = 0; v < 256; ++v) {
    const int t = std::min(v, kTopPixel);
    Rgb& c = p[static_cast<std::size_t>(v)];
    if (map == ColorMap::kGrey) {
      c.r = c.g = c.b = level(t, kTopPixel);
    } else {
      // Black through red and yellow to white, each third of the range one ramp.
      c.r = level(std::clamp(3 * t, 0, kTopPixel), kTopPixel);
      c.g = level(std::clamp(3 * t - kTopPixel, 0, kTopPixel), kTopPixel);
      c.b = level(std::clamp(3 * t - 2 * kTopPixel, 0, kTopPixel), kTopPixel);
    }
  }
  return p;
}

int xterm256(Rgb c) {
  static constexpr int kSteps[6] = {0, 95, 135, 175, 215, 255};
  auto nearest_step = [](int v) {
    int best = 0;
    for (int i = 1; i < 6; ++i)
      if (std::abs(kSteps[i] - v) < std::abs(kSteps[best] - v)) best = i;
    return best;
  };
  const int ri = nearest_step(c.r), gi = nearest_step(c.g), bi = nearest_step(c.b);
  auto dist = [&](int r, int g, int b) {
    return (r - c.r) * (r - c.r) + (g - c.g) * (g - c.g) + (b - c.b) * (b - c.b);
  };
  const int cube = 16 + 36 * ri + 6 * gi + bi;
  const int cube_d = dist(kSteps[ri], kSteps[gi], kSteps[bi]);
  const int avg = (c.r + c.g + c.b) / 3;
  const int gi2 = std::clamp((avg - 8 + 5) / 10, 0, 23);
  const int grey = 8 + 10 * gi2;
  const int grey_d = dist(grey, grey, grey);
  return grey_d < cube_d ? 232 + gi2 : cube;
}

}  // namespace server
