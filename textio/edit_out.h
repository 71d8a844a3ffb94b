#pragma once
// Output editors: each fills exactly `width` characters of a record.
#include <cstdint>

#include "textio/format.h"

namespace textio::detail {

// Iw.m: sign and digits right-justified; asterisks when they do not fit.
void edit_integer(char* out, int width, int min_digits, std::int64_t value);
// Lw: w - 1 blanks, then T or F.
void edit_logical(char* out, int width, bool value);
// Fw.d, Ew.d, Dw.d and Gw.d of a real; `single` selects the digit count of
// single-precision items for E editing and for the choice step of G.
void edit_real(char* out, const Descriptor& d, double value, bool single);

}  // namespace textio::detail
