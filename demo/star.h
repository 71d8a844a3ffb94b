#pragma once
// The synthetic star of the focus sequence.
#include <span>

namespace demo {

inline constexpr int kImageSize = 64;  // the image is kImageSize x kImageSize

// Star width for frames 1 to 16: 4, 6, ..., 18, 16, ..., 4, 2.
float star_width(int frame);

// Fills `image` (row after row, column index fastest) with a star of width `w`
// centred between the four middle pixels; pixels beyond 8 widths are exactly 0.
void star_image(std::span<float, kImageSize * kImageSize> image, float w);

}  // namespace demo
