#include "display/pixels.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace display::detail {

void pixel_row(const float* src, unsigned char* dst, std::size_t count, float low, float step,
               bool round) {
  std::size_t i = 0;
#ifdef __SSE2__
  // Sixteen values at a time, with the same operations as pixel_value: the
  // division and the clamps are IEEE single precision like the scalar code,
  // max(q, 0) yields 0 for NaN, and the final clamp to 200 is done on
  // 16-bit lanes before packing to bytes.
  const __m128 vlow = _mm_set1_ps(low);
  const __m128 vstep = _mm_set1_ps(step);
  const __m128 zero = _mm_setzero_ps();
  const __m128 top = _mm_set1_ps(201.0f);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128i limit = _mm_set1_epi16(200);
  auto four = [&](const float* p) {
    const __m128 q = _mm_div_ps(_mm_sub_ps(_mm_loadu_ps(p), vlow), vstep);
    const __m128 c = _mm_min_ps(_mm_max_ps(q, zero), top);
    __m128i t = _mm_cvttps_epi32(c);
    if (round) {
      const __m128 up = _mm_cmpge_ps(_mm_sub_ps(c, _mm_cvtepi32_ps(t)), half);
      t = _mm_sub_epi32(t, _mm_castps_si128(up));  // the mask is -1 where rounding up
    }
    return t;
  };
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_min_epi16(_mm_packs_epi32(four(src + i), four(src + i + 4)), limit);
    const __m128i b = _mm_min_epi16(_mm_packs_epi32(four(src + i + 8), four(src + i + 12)), limit);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
  }
#endif
  for (; i < count; ++i) {
    dst[i] = static_cast<unsigned char>(pixel_value(src[i], low, step, round));
  }
}

}  // namespace display::detail
