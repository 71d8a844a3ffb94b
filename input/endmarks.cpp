#include "input/endmarks.h"

#include <algorithm>
#include <cstring>

namespace input {
namespace {

// Counts the elements in front of the first one for which is_marker holds,
// looking at no more than n elements and never beyond the span.
template <class T, class Pred>
std::int32_t count_before_marker(std::span<const T> values, std::int32_t n, Pred is_marker) {
  if (n <= 0) return 0;
  const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(n), values.size());
  for (std::size_t i = 0; i < limit; ++i) {
    if (is_marker(values[i])) return static_cast<std::int32_t>(i);
  }
  return static_cast<std::int32_t>(limit);
}

std::uint32_t first_word(const void* p) {
  std::uint32_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

}  // namespace

void isetend(std::int32_t& element) { element = kIntegerEndMarker; }
std::int32_t iendlin(const std::int32_t& element) { return element == kIntegerEndMarker ? 1 : 0; }
std::int32_t inel(std::span<const std::int32_t> values, std::int32_t n) {
  return count_before_marker(values, n, [](std::int32_t v) { return v == kIntegerEndMarker; });
}

void isetend(std::int16_t& element) { element = kShortEndMarker; }
std::int32_t iendlin(const std::int16_t& element) { return element == kShortEndMarker ? 1 : 0; }
std::int32_t inel(std::span<const std::int16_t> values, std::int32_t n) {
  return count_before_marker(values, n, [](std::int16_t v) { return v == kShortEndMarker; });
}

void setend(std::span<std::byte> element) {
  if (element.size() < 4) return;
  std::memcpy(element.data(), &kRealEndMarkerBits, 4);
}

std::int32_t endlin(std::span<const std::byte> element) {
  if (element.size() < 4) return 0;
  // The marker value has exactly one encoding, so equality as a
  // single-precision value is equality of the four bytes.
  return first_word(element.data()) == kRealEndMarkerBits ? 1 : 0;
}

void setend(float& element) { setend(std::as_writable_bytes(std::span<float, 1>(&element, 1))); }
void setend(double& element) { setend(std::as_writable_bytes(std::span<double, 1>(&element, 1))); }
std::int32_t endlin(const float& element) { return first_word(&element) == kRealEndMarkerBits ? 1 : 0; }
std::int32_t endlin(const double& element) { return first_word(&element) == kRealEndMarkerBits ? 1 : 0; }

std::int32_t nel(std::span<const float> values, std::int32_t n) {
  return count_before_marker(values, n, [](const float& v) { return endlin(v) == 1; });
}
std::int32_t neld(std::span<const double> values, std::int32_t n) {
  return count_before_marker(values, n, [](const double& v) { return endlin(v) == 1; });
}

}  // namespace input
