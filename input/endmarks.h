#pragma once
// End-of-list markers: the element after the last value of a list holds a
// marker, so the number of values travels with the list itself.
//
// Integer lists end with -2147483648; real lists with the most negative finite
// single-precision value, whose four bytes are the pattern ff7fffff. The real
// marker is always looked for in the first four bytes of an element, so an
// 8-byte element counts as a marker whenever its first four bytes hold the
// pattern, whatever its other four bytes hold.
//
// Lists of 2-byte integers end with -32768, the most negative 16-bit value:
// the 4-byte integer marker does not fit such an element (its first two bytes
// would be zero on this machine, indistinguishable from the value 0).
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace input {

inline constexpr std::int32_t kIntegerEndMarker = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int16_t kShortEndMarker = std::numeric_limits<std::int16_t>::min();
inline constexpr std::uint32_t kRealEndMarkerBits = 0xff7fffffu;
inline constexpr float kRealEndMarker = -std::numeric_limits<float>::max();
// The marker the field decoder writes into its 8-byte elements: the real
// pattern in the first four bytes, zero in the last four.
inline constexpr std::uint64_t kDoubleEndMarkerBits = 0x00000000ff7fffffull;

// 4-byte integer elements.
void isetend(std::int32_t& element);
std::int32_t iendlin(const std::int32_t& element);  // 1: marker, 0: not
// Number of elements before the first marker among the first n; n when there
// is none; 0 when n <= 0. Never reads past n elements nor past the span.
std::int32_t inel(std::span<const std::int32_t> values, std::int32_t n);

// 2-byte integer elements.
void isetend(std::int16_t& element);
std::int32_t iendlin(const std::int16_t& element);
std::int32_t inel(std::span<const std::int16_t> values, std::int32_t n);

// Real elements of 4 or 8 bytes: only the first four bytes are written or read.
// Elements shorter than four bytes are left alone and never count as markers.
void setend(std::span<std::byte> element);
std::int32_t endlin(std::span<const std::byte> element);
void setend(float& element);
void setend(double& element);
std::int32_t endlin(const float& element);
std::int32_t endlin(const double& element);
std::int32_t nel(std::span<const float> values, std::int32_t n);
std::int32_t neld(std::span<const double> values, std::int32_t n);

}  // namespace input
