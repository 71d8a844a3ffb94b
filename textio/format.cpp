// Parsing of format texts into descriptor lists. One pass, one switch on the
// current character; the first error found is remembered for the statement.
#include "textio/format.h"

#include <cstdint>

#include "textio/errors.h"

namespace textio {
namespace {

using detail::ErrorNumber;
using Code = Descriptor::Code;

constexpr int kMaxGroupDepth = 8;
constexpr std::size_t kMaxDescriptors = 1u << 16;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

class Parser {
 public:
  Parser(std::string_view text, std::string& literals, std::vector<Descriptor>& out)
      : s_(text), literals_(literals), out_(out) {}

  int parse(std::size_t& reversion) {
    skip_blanks();
    if (i_ < s_.size() && s_[i_] == '(') {
      ++i_;
      return parse_list(0, true, reversion);
    }
    return parse_list(0, false, reversion);
  }

 private:
  void skip_blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool next_is_digit() {
    skip_blanks();
    return i_ < s_.size() && is_digit(s_[i_]);
  }
  // Digits, blanks between them ignored. Returns false on overflow of 32 bits.
  bool read_number(std::int64_t& value) {
    value = 0;
    while (i_ < s_.size() && (is_digit(s_[i_]) || s_[i_] == ' ')) {
      if (s_[i_] != ' ') {
        value = value * 10 + (s_[i_] - '0');
        if (value > INT32_MAX) return false;
      }
      ++i_;
    }
    return true;
  }

  Descriptor& push(Code code, std::int64_t repeat) {
    out_.push_back(Descriptor{code});
    out_.back().repeat = static_cast<std::int32_t>(repeat);
    return out_.back();
  }

  int literal(char quote) {
    ++i_;
    const std::size_t start = literals_.size();
    while (true) {
      if (i_ >= s_.size()) return ErrorNumber::kFormatSyntax;
      if (s_[i_] == quote) {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == quote) {
          literals_.push_back(quote);
          i_ += 2;
          continue;
        }
        ++i_;
        break;
      }
      literals_.push_back(s_[i_++]);
    }
    Descriptor& d = push(Code::Literal, 1);
    d.literal_offset = static_cast<std::uint32_t>(start);
    d.literal_length = static_cast<std::uint32_t>(literals_.size() - start);
    return ErrorNumber::kOk;
  }

  // w of Iw, Lw (required) and Aw (optional).
  int width(Descriptor& d, bool required) {
    if (!next_is_digit()) return required ? ErrorNumber::kFormatSyntax : ErrorNumber::kOk;
    std::int64_t w = 0;
    if (!read_number(w)) return ErrorNumber::kFormatSyntax;
    if (w == 0 && required) return ErrorNumber::kFormatSyntax;
    d.width = static_cast<std::int32_t>(w);
    d.has_width = true;
    return ErrorNumber::kOk;
  }

  // w.d of F, E, G and D.
  int real_width(Descriptor& d) {
    if (!next_is_digit()) return ErrorNumber::kBadRealDescriptor;
    std::int64_t w = 0;
    if (!read_number(w) || w == 0) return ErrorNumber::kBadRealDescriptor;
    skip_blanks();
    if (i_ >= s_.size() || s_[i_] != '.') return ErrorNumber::kBadRealDescriptor;
    ++i_;
    if (!next_is_digit()) return ErrorNumber::kNumberMissing;
    std::int64_t digits = 0;
    if (!read_number(digits)) return ErrorNumber::kBadRealDescriptor;
    d.width = static_cast<std::int32_t>(w);
    d.digits = static_cast<std::int32_t>(digits);
    d.has_width = true;
    return ErrorNumber::kOk;
  }

  int descriptor(char letter, std::int64_t repeat, bool has_repeat) {
    if (repeat < 1) return ErrorNumber::kIllegalRepeatCount;
    switch (letter) {
      case 'X': {
        Descriptor& d = push(Code::Skip, 1);
        d.width = static_cast<std::int32_t>(repeat);
        return ErrorNumber::kOk;
      }
      case 'H': {
        // nH: the next n characters are a literal.
        if (!has_repeat || i_ + static_cast<std::size_t>(repeat) > s_.size()) {
          return ErrorNumber::kFormatSyntax;
        }
        Descriptor& d = push(Code::Literal, 1);
        d.literal_offset = static_cast<std::uint32_t>(literals_.size());
        d.literal_length = static_cast<std::uint32_t>(repeat);
        literals_.append(s_.substr(i_, static_cast<std::size_t>(repeat)));
        i_ += static_cast<std::size_t>(repeat);
        return ErrorNumber::kOk;
      }
      case 'Q':
        push(Code::Q, repeat);
        return ErrorNumber::kOk;
      case 'A':
        return width(push(Code::A, repeat), false);
      case 'L':
        return width(push(Code::L, repeat), true);
      case 'I': {
        Descriptor& d = push(Code::I, repeat);
        d.digits = 1;
        if (const int e = width(d, true); e != ErrorNumber::kOk) return e;
        skip_blanks();
        if (i_ < s_.size() && s_[i_] == '.') {
          ++i_;
          if (!next_is_digit()) return ErrorNumber::kNumberMissing;
          std::int64_t m = 0;
          if (!read_number(m)) return ErrorNumber::kFormatSyntax;
          d.digits = static_cast<std::int32_t>(m);
        }
        return ErrorNumber::kOk;
      }
      case 'F':
        return real_width(push(Code::F, repeat));
      case 'E':
        return real_width(push(Code::E, repeat));
      case 'G':
        return real_width(push(Code::G, repeat));
      case 'D':
        return real_width(push(Code::D, repeat));
      default:
        return ErrorNumber::kUnknownDescriptorLetter;
    }
  }

  int group(int depth, std::int64_t repeat, std::size_t& reversion) {
    if (repeat < 1) return ErrorNumber::kIllegalRepeatCount;
    if (depth + 1 > kMaxGroupDepth) return ErrorNumber::kFormatSyntax;
    ++i_;
    const std::size_t start = out_.size();
    if (const int e = parse_list(depth + 1, true, reversion); e != ErrorNumber::kOk) return e;
    const std::size_t length = out_.size() - start;
    if (length * static_cast<std::size_t>(repeat) + start > kMaxDescriptors) {
      return ErrorNumber::kIllegalRepeatCount;
    }
    for (std::int64_t r = 1; r < repeat; ++r) {
      for (std::size_t j = 0; j < length; ++j) out_.push_back(out_[start + j]);
    }
    if (depth == 0) reversion = start;
    return ErrorNumber::kOk;
  }

  int parse_list(int depth, bool closed, std::size_t& reversion) {
    // A comma is required between two descriptors; / and $ separate by
    // themselves and may also stand beside commas.
    bool need_separator = false;
    bool comma_allowed = false;
    while (true) {
      skip_blanks();
      if (i_ >= s_.size()) return closed ? ErrorNumber::kUnbalancedParentheses : ErrorNumber::kOk;
      if (out_.size() > kMaxDescriptors) return ErrorNumber::kIllegalRepeatCount;
      char c = s_[i_];
      if (c == ')') {
        if (!closed) return ErrorNumber::kUnbalancedParentheses;
        ++i_;
        return ErrorNumber::kOk;
      }
      if (c == ',') {
        if (!comma_allowed) return ErrorNumber::kFormatSyntax;
        ++i_;
        need_separator = false;
        comma_allowed = false;
        continue;
      }
      if (c == '/' || c == '$') {
        push(c == '/' ? Code::Slash : Code::Dollar, 1);
        ++i_;
        need_separator = false;
        comma_allowed = true;
        continue;
      }
      if (need_separator) return ErrorNumber::kFormatSyntax;
      if (c == '\'' || c == '"') {
        if (const int e = literal(c); e != ErrorNumber::kOk) return e;
        need_separator = comma_allowed = true;
        continue;
      }
      std::int64_t repeat = 1;
      bool has_repeat = false;
      if (c == '+' || c == '-' || is_digit(c)) {
        const bool negative = c == '-';
        if (!is_digit(c)) {
          ++i_;
          if (!next_is_digit()) return ErrorNumber::kNumberMissing;
        }
        if (!read_number(repeat)) return ErrorNumber::kIllegalRepeatCount;
        if (negative) repeat = -repeat;
        has_repeat = true;
        skip_blanks();
        if (i_ >= s_.size()) return ErrorNumber::kFormatSyntax;
        c = s_[i_];
      }
      if (c == '(') {
        if (const int e = group(depth, repeat, reversion); e != ErrorNumber::kOk) return e;
        need_separator = comma_allowed = true;
        continue;
      }
      if (c == '/') {
        if (repeat < 1) return ErrorNumber::kIllegalRepeatCount;
        push(Code::Slash, repeat);
        ++i_;
        need_separator = false;
        comma_allowed = true;
        continue;
      }
      if (!is_letter(c)) {
        const bool fortran_character = c == '.' || c == '*' || c == '=' || c == ':' ||
                                       c == ';' || c == '<' || c == '>' || c == '+' ||
                                       c == '-' || c == ',' || c == ')' || c == '\'' ||
                                       c == '"' || c == '$';
        return fortran_character ? ErrorNumber::kFormatSyntax
                                 : ErrorNumber::kIllegalFormatCharacter;
      }
      ++i_;
      if (const int e = descriptor(upper(c), repeat, has_repeat); e != ErrorNumber::kOk) return e;
      need_separator = comma_allowed = true;
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  std::string& literals_;
  std::vector<Descriptor>& out_;
};

}  // namespace

Format::Format(std::string_view text) : text_(text) {
  Parser parser(text_, literals_, descriptors_);
  error_number_ = parser.parse(reversion_);
  if (error_number_ != 0) {
    descriptors_.clear();
    reversion_ = 0;
  }
}

}  // namespace textio
