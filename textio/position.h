#pragma once
// Where a statement stands in the program, for the fatal diagnostic. Taken at
// the call site through a default argument, as std::source_location would, but
// also with compilers whose library lacks that header.
namespace textio {

class StatementPosition {
 public:
  static constexpr StatementPosition current(const char* file = __builtin_FILE(),
                                             unsigned line = __builtin_LINE()) noexcept {
    return StatementPosition(file, line);
  }
  constexpr const char* file_name() const noexcept { return file_; }
  constexpr unsigned line() const noexcept { return line_; }

 private:
  constexpr StatementPosition(const char* file, unsigned line) : file_(file), line_(line) {}
  const char* file_;
  unsigned line_;
};

}  // namespace textio
