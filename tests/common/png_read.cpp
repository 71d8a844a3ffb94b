#include "tests/common/png_read.h"

#include <png.h>

#include <cstring>

namespace testing_support {

bool read_png_rgb(const std::string& path, RgbImage& out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace testing_support
