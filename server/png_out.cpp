#include "server/png_out.h"

#include <png.h>

#include <cstring>

namespace server {

std::string write_png(const std::string& path, int width, int height, int channels,
                      std::span<const std::uint8_t> pixels) {
  if (width <= 0 || height <= 0 || (channels != 1 && channels != 3))
    return "nothing to write";
  if (pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                          static_cast<std::size_t>(channels))
    return "picture smaller than its size";
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) {
    std::string why = image.message[0] ? image.message : "write failed";
    png_image_free(&image);
    return why;
  }
  return {};
}

int frame_picture(const FrameBuffer& fb, const Palette& palette, bool grey,
                  std::vector<std::uint8_t>& out) {
  const int channels = grey ? 1 : 3;
  out.resize(static_cast<std::size_t>(fb.width) * static_cast<std::size_t>(fb.height) *
             static_cast<std::size_t>(channels));
  std::size_t k = 0;
  for (int line = fb.height - 1; line >= 0; --line) {
    for (int col = 0; col < fb.width; ++col) {
      const Rgb c = palette[fb.at(col, line)];
      if (grey) {
        out[k++] = c.r;
      } else {
        out[k++] = c.r;
        out[k++] = c.g;
        out[k++] = c.b;
      }
    }
  }
  return channels;
}

std::string write_frame_png(const std::string& path, const FrameBuffer& fb, ColorMap map) {
  std::vector<std::uint8_t> pic;
  const bool grey = map == ColorMap::kGrey;
  const int channels = frame_picture(fb, make_palette(map), grey, pic);
  return write_png(path, fb.width, fb.height, channels, pic);
}

}  // namespace server
