#include "tests/demo/png_read.h"

#include <png.h>

bool read_png(const std::string& path, DecodedPng& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_GRAY;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.channels = 1;
  out.pixels.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}
