// Integer and logical output fields.
#include <cstring>

#include "textio/edit_out.h"

namespace textio::detail {

void edit_integer(char* out, int width, int min_digits, std::int64_t value) {
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value)
                                     : static_cast<std::uint64_t>(value);
  char digits[24];
  int n = 0;
  while (magnitude != 0) {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  // Leading zeros up to m digits (m may exceed any sensible width: then asterisks).
  const std::int64_t shown = n > min_digits ? n : min_digits;
  const std::int64_t needed = shown + (negative ? 1 : 0);
  if (needed > width) {
    std::memset(out, '*', static_cast<std::size_t>(width));
    return;
  }
  char* p = out + width;
  for (int i = 0; i < n; ++i) *--p = digits[i];
  for (std::int64_t i = n; i < shown; ++i) *--p = '0';
  if (negative) *--p = '-';
  std::memset(out, ' ', static_cast<std::size_t>(p - out));
}

void edit_logical(char* out, int width, bool value) {
  if (width <= 0) return;
  std::memset(out, ' ', static_cast<std::size_t>(width - 1));
  out[width - 1] = value ? 'T' : 'F';
}

}  // namespace textio::detail
