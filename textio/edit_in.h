#pragma once
// Input editors: turn the characters of one field into a value.
#include <cstdint>
#include <string_view>

#include "textio/errors.h"

namespace textio::detail {

// Fw.d (also E, D, G) input: the characters of the field that are present in
// the record (a field beyond the record's end reads as blanks). Stores a float
// when `single`, else a double, at `dest`.
Status read_real(std::string_view field, int decimals, bool single, void* dest);
// Iw input: optional sign and digits, blanks ignored; all blank gives 0.
Status read_integer(std::string_view field, std::int64_t& value);
// Lw input: optional blanks and point, then T or F (either case); all blank gives false.
Status read_logical(std::string_view field, bool& value);

}  // namespace textio::detail
