#pragma once
// Small helpers shared by the text facility's tests.
#include <initializer_list>
#include <string>
#include <string_view>

#include "textio/io.h"

namespace textio_test {

// The internal record of `length` characters written by `format` from `items`.
inline std::string render(std::string_view format, std::size_t length,
                          std::initializer_list<textio::Item> items) {
  std::string record(length, '?');
  textio::internal_write(std::span<char>(record), textio::Format(format), items);
  return record;
}

// The width w of a descriptor text such as "G13.6" or "I10".
inline std::size_t width_of(std::string_view descriptor) {
  std::size_t i = 0;
  while (i < descriptor.size() && !(descriptor[i] >= '0' && descriptor[i] <= '9')) ++i;
  std::size_t w = 0;
  while (i < descriptor.size() && descriptor[i] >= '0' && descriptor[i] <= '9') {
    w = w * 10 + static_cast<std::size_t>(descriptor[i++] - '0');
  }
  return w;
}

// One field: the descriptor applied to one item in a record of its width.
inline std::string field(std::string_view descriptor, const textio::Item& item) {
  return render(descriptor, width_of(descriptor), {item});
}

}  // namespace textio_test
