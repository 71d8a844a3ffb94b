#pragma once
// The keyword buffer: preset answers held as KEY=value records, and the shared
// answer record that the dialogue, the lookup and the save file work on.
//
// Store layout: "(" then each record preceded by one blank, then ")", then
// blanks up to 4096 characters, e.g. "( DELAY_TIME=0.5 FRAME_BUFFER=3)".
// Before the first strkey the store holds 4096 zero bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace input {

inline constexpr std::size_t kAnswerSize = 4096;
inline constexpr std::size_t kKeystoreSize = 4096;

// The answer line: positions 1..n hold the current answer, blanks after it.
struct AnswerRecord {
  std::array<char, kAnswerSize> text;
  AnswerRecord() { text.fill(' '); }
  std::string_view view() const { return {text.data(), text.size()}; }
  std::string_view first(std::size_t n) const { return {text.data(), n < text.size() ? n : text.size()}; }
};
AnswerRecord& bkey();

// The store of preset answers, private to strkey/addkey/getkey.
struct KeywordStore {
  std::array<char, kKeystoreSize> text{};  // zero bytes until the first strkey
  std::string_view view() const { return {text.data(), text.size()}; }
};
KeywordStore& keyword_store();

// Loads the store with `text` (cut to 4096 or padded with blanks); a text of
// two characters or fewer empties it to "()".
void strkey(std::string_view text);
// Appends `text` as a new record, or as the value of a record that ends in '='.
// Reports "PARAMETER BUFFER HAS OVERFLOWED" (level -3) when the closing ')' is
// lost at the end of the store.
void addkey(std::string_view text);
// Looks up `key` (exact substring match, trailing blanks count). n = -1 when
// absent; 0 for an empty value (the record stays); otherwise the value's
// length, the value is in bkey() positions 1..n and the record is consumed.
void getkey(std::string_view key, std::int32_t& n);

}  // namespace input
