#pragma once
// Data values to pixel values 0 to 200 (internal to the display library,
// visible to its tests).
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace display::detail {

// q = (v - low) / step, rounded to the nearest integer with halves away from
// zero (round) or truncated toward zero, then clamped to 0 to 200. q is
// clamped as a real first, so NaN (-> 0), infinities and huge values never
// reach a conversion; within 0 to 201 truncation plus the exact fraction
// q - trunc(q) gives the rounding without a library call.
inline std::int32_t pixel_value(float v, float low, float step, bool round) {
  const float q = (v - low) / step;
  const float c = std::min(std::max(0.0f, q), 201.0f);  // max(0, NaN) is 0
  std::int32_t t = static_cast<std::int32_t>(c);
  if (round) t += static_cast<std::int32_t>((c - static_cast<float>(t)) >= 0.5f);
  return std::min(t, 200);
}

// pixel_value of `count` data values, one byte each.
void pixel_row(const float* src, unsigned char* dst, std::size_t count, float low, float step,
               bool round);

}  // namespace display::detail
