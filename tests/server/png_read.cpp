#include "png_read.h"

#include "tests/common/png_read.h"

namespace fbtest {

server::Rgb Picture::at(int x, int y) const {
  const std::size_t k = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  return server::Rgb{rgb[k], rgb[k + 1], rgb[k + 2]};
}

int Picture::brightness(int x, int y) const {
  const auto c = at(x, y);
  return c.r + c.g + c.b;
}

bool read_png(const std::string& path, Picture& p) {
  testing_support::RgbImage image;
  if (!testing_support::read_png_rgb(path, image)) return false;
  p.width = image.width;
  p.height = image.height;
  p.rgb = std::move(image.rgb);
  return true;
}

}  // namespace fbtest
