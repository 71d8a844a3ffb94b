#include "demo/star.h"

#include <cmath>
#include <cstdlib>

namespace demo {

float star_width(int frame) {
  const int d = frame - 16 * ((frame + 8) / 16);
  return static_cast<float>(2 * std::abs(d)) + 2.0f;
}

void star_image(std::span<float, kImageSize * kImageSize> image, float w) {
  // Everything in single precision, with a real power for w^1.6.
  const float peak = 5000.0f / std::pow(w, 1.6f);
  for (int j = 1; j <= kImageSize; ++j) {
    const float dy = static_cast<float>(j) - 32.5f;
    for (int i = 1; i <= kImageSize; ++i) {
      const float dx = static_cast<float>(i) - 32.5f;
      const float r = std::sqrt(dx * dx + dy * dy);
      const float rw = r / w;
      image[(j - 1) * kImageSize + (i - 1)] = rw < 8.0f ? peak * std::exp(-(rw * rw)) : 0.0f;
    }
  }
}

}  // namespace demo
