#pragma once
// Decodes a PNG into 8-bit grey or RGB rows for checking what fbview wrote.
#include <cstdint>
#include <string>
#include <vector>

struct DecodedPng {
  int width = 0;
  int height = 0;
  int channels = 0;                 // 1 grey, 3 RGB, 4 RGBA
  std::vector<std::uint8_t> pixels; // row after row, top row first
  std::uint8_t grey(int x, int y) const { return pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};

// Returns false when the file cannot be read as a PNG.
bool read_png(const std::string& path, DecodedPng& out);
