#pragma once
// Colour maps from pixel values to colours. Pixel values run 0 to 200; 0 is
// black and 200 (and anything above it) the brightest colour of the map.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace server {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

enum class ColorMap { kGrey, kHeat };
std::optional<ColorMap> color_map_named(std::string_view name);

inline constexpr int kTopPixel = 200;

using Palette = std::array<Rgb, 256>;
Palette make_palette(ColorMap map);

// Nearest colour of the 256-colour terminal set (6x6x6 cube or grey ramp).
int xterm256(Rgb c);

}  // namespace server
