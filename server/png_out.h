#pragma once
// PNG files of the frame buffer, through libpng.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "server/palette.h"
#include "server/state.h"

namespace server {

// Writes width x height pixels of 1 (grey) or 3 (RGB) channels, top row
// first. Returns an empty string on success, else what went wrong.
std::string write_png(const std::string& path, int width, int height, int channels,
                      std::span<const std::uint8_t> pixels);

// The frame buffer as a picture: highest line at the top. Grey maps write a
// one-channel picture, other maps RGB. Returns the channel count used.
int frame_picture(const FrameBuffer& fb, const Palette& palette, bool grey,
                  std::vector<std::uint8_t>& out);

std::string write_frame_png(const std::string& path, const FrameBuffer& fb, ColorMap map);

}  // namespace server
