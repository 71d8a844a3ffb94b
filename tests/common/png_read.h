#pragma once
// Decodes a PNG file through libpng into 8-bit RGB rows, top row first, for
// checking the pictures that fbview writes.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // three bytes a pixel, row after row
  std::uint8_t red(int x, int y) const {
    return rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
  }
};

// False when the file cannot be read as a PNG.
bool read_png_rgb(const std::string& path, RgbImage& out);

}  // namespace testing_support
