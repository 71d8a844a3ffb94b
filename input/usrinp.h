#pragma once
// The prompt-and-answer cycle: asks for one parameter under a keyword.
//
// The answer comes from the keyword buffer when one was preset there,
// otherwise from one line of standard input. It is echoed to the terminal and
// the transcript (unit 7), recorded in the save file (unit 49), and either
// kept as the default (empty answer) or converted into the caller's storage.
// Reports go through diag::error; a refused answer is asked for again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace input {

// var: the caller's storage, count elements of len bytes (defaults in, answer out).
// type: only its first character counts (F, A, I, L; anything else is taken as F).
void usrinp(std::span<std::byte> var, std::int32_t count, std::string_view type, std::int32_t len,
            std::int32_t mode, std::string_view keyword, std::string_view prompt);

// Typed conveniences: the whole span is the caller's storage.
inline void usrinp(std::span<float> var, std::int32_t mode, std::string_view keyword, std::string_view prompt) {
  usrinp(std::as_writable_bytes(var), static_cast<std::int32_t>(var.size()), "F", 4, mode, keyword, prompt);
}
inline void usrinp(std::span<double> var, std::int32_t mode, std::string_view keyword, std::string_view prompt) {
  usrinp(std::as_writable_bytes(var), static_cast<std::int32_t>(var.size()), "F", 8, mode, keyword, prompt);
}
inline void usrinp(std::span<std::int32_t> var, std::int32_t mode, std::string_view keyword,
                   std::string_view prompt) {
  usrinp(std::as_writable_bytes(var), static_cast<std::int32_t>(var.size()), "I", 4, mode, keyword, prompt);
}
inline void usrinp(std::span<std::int16_t> var, std::int32_t mode, std::string_view keyword,
                   std::string_view prompt) {
  usrinp(std::as_writable_bytes(var), static_cast<std::int32_t>(var.size()), "I", 2, mode, keyword, prompt);
}
// A text parameter: the whole span is one text.
inline void usrinp(std::span<char> var, std::int32_t mode, std::string_view keyword, std::string_view prompt) {
  usrinp(std::as_writable_bytes(var), 1, "A", static_cast<std::int32_t>(var.size()), mode, keyword, prompt);
}

// ---- The storing stage ----------------------------------------------------

inline constexpr std::size_t kDecodedCapacity = 2048;
// One range per colon at most, and an answer holds at most 4096 characters, so
// this many entries always suffice; start positions are full 32-bit indexes.
inline constexpr std::size_t kRangeCapacity = 4096;

struct RangeEntry {
  std::int32_t start = 0;  // index among the decoded values of the range's first value
  std::uint8_t kind = 0;   // 0 free, 1 start:end, 2 start:end:step
};

struct StoreState {
  std::array<RangeEntry, kRangeCapacity> ranges{};
  std::array<double, kDecodedCapacity> values{};
  // Every element passes through here on its way into or out of the
  // caller's storage.
  alignas(8) std::array<std::byte, 8> work{};
};
StoreState& store_state();

enum class StoreResult : std::uint8_t { Stored, AskAgain };

// Converts bkey() positions 1..n (n >= 1) into var as the type letter says.
// A numeric answer's colons are turned into commas in bkey(). Refusals are
// reported through diag::error (levels -1 and -3 only) before AskAgain is
// returned. Never writes beyond var nor beyond count * len bytes.
StoreResult store_answer(std::span<std::byte> var, std::int32_t count, char type, std::int32_t len,
                         std::int32_t n);

}  // namespace input
