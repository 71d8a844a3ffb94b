#pragma once
// The field decoder: cuts an answer line into fields at blanks and commas,
// classifies each field as a number or as text, writes a format text that
// describes the line exactly (nX for every run of separators, Fw.d for every
// number, A1..A8 for every eight-character piece of text) and reads the line
// through that format into 8-byte elements.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textio/item.h"

namespace input {

// The per-field classification state, reset before every field.
struct FieldState {
  bool between_fields = true;
  bool text = false;
  std::int32_t decimal_point = 0;   // 1-based position in the line, 0 = none
  std::int32_t exponent = 0;        // position of the exponent letter E, 0 = none
  bool exponent_seen = false;
  bool exponent_lead = false;       // the sign or first digit after E has come
  std::int32_t exponent_sign_width = 0;
};
void dcd_initialize(FieldState& state);

// Decodes text[0, length) (stopping at a NUL character) into values[0, count):
// numbers as double-precision values, text fields as chunks of eight
// characters (left-justified, blank-padded), every other element the
// double-precision end marker (pattern 00000000ff7fffff). Count the values with
// neld(values, count). count is also bounded by values.size(), length by text.size().
void dcd(std::string_view text, std::int32_t length, std::span<double> values, std::int32_t count);

// The decoder's working storage. Nothing in it carries a meaning from one
// call to the next; format_text keeps the text built by the last call, "("
// ... ")", for inspection. It grows beyond its usual 300 characters when a
// line needs more descriptors, so every field of a long line is decoded.
struct DecoderState {
  std::string format_text;
  std::vector<bool> is_text;          // kind of each element formed, in order
  std::vector<textio::Item> items;    // the item list of the read
};
DecoderState& decoder_state();

}  // namespace input
