#pragma once
// Decodes a PNG through libpng into RGB, for checking what fbview wrote.
#include <cstdint>
#include <string>
#include <vector>

#include "server/palette.h"

namespace fbtest {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  server::Rgb at(int x, int y) const;
  int brightness(int x, int y) const;  // r + g + b
};

bool read_png(const std::string& path, Picture& p);

}  // namespace fbtest
