#pragma once
// A format: an ordered list of edit descriptors, parsed once and reused.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace textio {

// One edit descriptor. Literals point into the format's own text of literals.
struct Descriptor {
  enum class Code : std::uint8_t {
    Literal,  // 'text' (also "text" and nHtext)
    Skip,     // nX: `width` holds n
    Slash,    // /
    Dollar,   // $
    Q,
    A,        // width 0 = item length (has_width false)
    I,
    F,
    E,
    G,
    L,
    D,        // like E, with the letter D in the exponent part
  };
  Code code;
  std::int32_t repeat = 1;
  std::int32_t width = 0;
  std::int32_t digits = 0;     // d of Fw.d/Ew.d/Gw.d, m of Iw.m
  bool has_width = false;
  std::uint32_t literal_offset = 0;  // into the format's literal text
  std::uint32_t literal_length = 0;

  bool is_data() const { return code >= Code::Q; }
};

class Format {
 public:
  // Accepts the list with or without its enclosing parentheses, for example
  // "1X,G13.6,2X" or "(2X,F2.0,1X,A3)". Characters after the parenthesis that
  // closes the list are not read. A syntax error is remembered and reported
  // (error numbers 221, 222, 226, 249, 250, 251, 254) by the first statement
  // that uses the format.
  explicit Format(std::string_view text);

  const std::vector<Descriptor>& descriptors() const { return descriptors_; }
  std::string_view literal(const Descriptor& d) const {
    return std::string_view(literals_).substr(d.literal_offset, d.literal_length);
  }
  int error_number() const { return error_number_; }  // 0 when the format is sound
  std::string_view text() const { return text_; }
  // Where the scan starts again when the format ends with items left: the
  // first descriptor, or the start of the last parenthesised group.
  std::size_t reversion_index() const { return reversion_; }

 private:
  std::string text_;
  std::string literals_;
  std::vector<Descriptor> descriptors_;
  std::size_t reversion_ = 0;
  int error_number_ = 0;
};

}  // namespace textio
