#pragma once
// Forced into every file of the fuzz build (see tools/run-fuzz.sh). clang 14
// with this machine's standard library leaves <source_location> empty, as it
// lacks the builtin the header relies on; this supplies the small part the
// text facility uses, from the builtins that clang 14 does have.
#if defined(__clang__) && !__has_builtin(__builtin_source_location)
#include <cstdint>
namespace std {
struct source_location {
  static constexpr source_location current(const char* file = __builtin_FILE(), const char* function = __builtin_FUNCTION(),
                                           std::uint_least32_t line = __builtin_LINE()) noexcept {
    source_location s;
    s.file_ = file;
    s.function_ = function;
    s.line_ = line;
    return s;
  }
  constexpr const char* file_name() const noexcept { return file_; }
  constexpr const char* function_name() const noexcept { return function_; }
  constexpr std::uint_least32_t line() const noexcept { return line_; }
  constexpr std::uint_least32_t column() const noexcept { return 0; }

 private:
  const char* file_ = "";
  const char* function_ = "";
  std::uint_least32_t line_ = 0;
};
}  // namespace std
#endif
