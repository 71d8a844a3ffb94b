#include "png_read.h"

#include <png.h>

#include <cstring>

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
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
  img.format = PNG_FORMAT_RGB;
  p.width = static_cast<int>(img.width);
  p.height = static_cast<int>(img.height);
  p.rgb.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, p.rgb.data(), 0, nullptr)) {
    png_image_free(&img);
    return false;
  }
  return true;
}

}  // namespace fbtest
