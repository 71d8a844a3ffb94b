#pragma once
// Items of a formatted statement: what is written from or read into.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace textio {

enum class ItemKind : std::uint8_t {
  Character,  // `length` characters per element
  Integer1,
  Integer2,
  Integer4,
  Logical4,   // true is -1, false 0; tested by its lowest bit
  Real4,
  Real8,
};

// One entry of an item list: `count` consecutive elements of `length` bytes
// starting at `data`. Output statements only read through `data`.
struct Item {
  ItemKind kind;
  void* data;
  std::size_t length;  // bytes per element (characters for Character)
  std::size_t count;
  // Character items only: when set, the element length is read from here at
  // the moment the scan reaches the item (a length computed by an earlier
  // item of the same statement, such as the count stored by Q).
  const std::int32_t* runtime_length = nullptr;
};

namespace detail {
template <class T>
void* mut(const T* p) { return const_cast<T*>(p); }
}  // namespace detail

// Character output item: the whole text, trailing blanks included.
inline Item item(std::string_view text) {
  return {ItemKind::Character, detail::mut(text.data()), text.size(), 1};
}
// Character input item (or output of a mutable buffer).
inline Item chars(std::span<char> text) {
  return {ItemKind::Character, text.data(), text.size(), 1};
}
// `count` character elements of `element_length` each (for example 80A1 into 80 one-character items).
inline Item chars(std::span<char> text, std::size_t element_length) {
  return {ItemKind::Character, text.data(), element_length,
          element_length == 0 ? 0 : text.size() / element_length};
}
// A character item whose length is taken from *length when the scan reaches it.
inline Item chars_runtime(std::span<char> text, const std::int32_t& length) {
  return {ItemKind::Character, text.data(), text.size(), 1, &length};
}

inline Item item(const std::int8_t& v) { return {ItemKind::Integer1, detail::mut(&v), 1, 1}; }
inline Item item(const std::int16_t& v) { return {ItemKind::Integer2, detail::mut(&v), 2, 1}; }
inline Item item(const std::int32_t& v) { return {ItemKind::Integer4, detail::mut(&v), 4, 1}; }
inline Item item(const float& v) { return {ItemKind::Real4, detail::mut(&v), 4, 1}; }
inline Item item(const double& v) { return {ItemKind::Real8, detail::mut(&v), 8, 1}; }
inline Item logical(const std::int32_t& v) { return {ItemKind::Logical4, detail::mut(&v), 4, 1}; }

inline Item item(std::span<const std::int8_t> v) { return {ItemKind::Integer1, detail::mut(v.data()), 1, v.size()}; }
inline Item item(std::span<const std::int16_t> v) { return {ItemKind::Integer2, detail::mut(v.data()), 2, v.size()}; }
inline Item item(std::span<const std::int32_t> v) { return {ItemKind::Integer4, detail::mut(v.data()), 4, v.size()}; }
inline Item item(std::span<const float> v) { return {ItemKind::Real4, detail::mut(v.data()), 4, v.size()}; }
inline Item item(std::span<const double> v) { return {ItemKind::Real8, detail::mut(v.data()), 8, v.size()}; }

}  // namespace textio
