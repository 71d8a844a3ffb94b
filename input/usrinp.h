#pragma once
// The prompt-and-answer cycle: asks for one parameter under a keyword.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace input {

// var: the caller's storage, count elements of len bytes (defaults in, answer out).
// type: only its first character counts (F, A, I, L; anything else is taken as F).
void usrinp(std::span<std::byte> var, std::int32_t count, std::string_view type, std::int32_t len,
            std::int32_t mode, std::string_view keyword, std::string_view prompt);

}  // namespace input
