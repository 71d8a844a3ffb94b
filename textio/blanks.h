#pragma once
// Texts in records are padded with blanks; these take the padding off.
#include <string_view>

namespace textio {

inline std::string_view trim_trailing_blanks(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

inline std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return trim_trailing_blanks(s);
}

}  // namespace textio
