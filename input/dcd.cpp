#include "input/dcd.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#include "input/endmarks.h"
#include "textio/format.h"
#include "textio/io.h"
#include "textio/item.h"

namespace input {

DecoderState& decoder_state() {
  static DecoderState state = [] {
    DecoderState s;
    s.format_text.reserve(300);
    return s;
  }();
  return state;
}

void dcd_initialize(FieldState& state) { state = FieldState{}; }

namespace {

// The longest field that the fixed-point input editor converts. A longer
// "number" could only end the run with a conversion error, so it is decoded as
// text instead and the storing stage refuses it with a report.
constexpr std::int32_t kLongestNumber = 395;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return c == ' ' || c == ','; }

class FormatBuilder {
 public:
  explicit FormatBuilder(std::string& out) : out_(out) {
    out_.clear();
    out_.push_back('(');
  }
  void number(std::int64_t value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    out_.append(digits, r.ptr);
  }
  void gap(std::int64_t length) {
    number(length);
    out_.append("X,");
  }
  void text_chunk(std::int64_t length) {
    out_.push_back('A');
    number(length);
    out_.push_back(',');
  }
  void fixed(std::int64_t width, std::int64_t decimals) {
    out_.push_back('F');
    number(width);
    out_.push_back('.');
    number(decimals);
    out_.push_back(',');
  }
  // The comma after the last descriptor becomes the closing parenthesis.
  void close() {
    if (out_.size() > 1) {
      out_.back() = ')';
    } else {
      out_.push_back(')');
    }
  }

 private:
  std::string& out_;
};

}  // namespace

void dcd(std::string_view text, std::int32_t length, std::span<double> values, std::int32_t count) {
  count = static_cast<std::int32_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(values.size())));
  length = static_cast<std::int32_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(text.size())));
  if (count <= 0) return;  // nothing filled, nothing read

  for (std::int32_t k = 0; k < count; ++k) std::memcpy(&values[k], &kDoubleEndMarkerBits, 8);

  DecoderState& state = decoder_state();
  FormatBuilder format(state.format_text);
  std::vector<bool>& is_text = state.is_text;
  is_text.clear();

  FieldState field;
  dcd_initialize(field);
  std::int32_t n = 0;      // values formed
  std::int32_t start = 1;  // 1-based start of the current run, field or gap
  std::int32_t i = 1;      // 1-based current position

  auto close_field = [&](std::int32_t l) {
    if (field.text || l > kLongestNumber) {
      std::int64_t remaining = std::min<std::int64_t>(l, 8LL * (count - n));
      while (remaining > 0) {
        format.text_chunk(std::min<std::int64_t>(remaining, 8));
        remaining -= 8;
        is_text.push_back(true);
        ++n;
      }
    } else {
      const std::int32_t exponent = field.exponent == 0 ? i : field.exponent;
      const std::int32_t point = field.decimal_point == 0 ? i : field.decimal_point;
      const std::int32_t decimals = std::max(0, exponent - point - 1);
      format.fixed(l, decimals);
      is_text.push_back(false);
      ++n;
    }
  };

  for (; i <= length; ++i) {
    const char c = text[static_cast<std::size_t>(i - 1)];
    if (c == '\0' || n >= count) break;
    if (is_separator(c)) {
      if (!field.between_fields) {
        close_field(i - start);
        start = i;
        dcd_initialize(field);
      }
    } else if (field.between_fields) {
      if (i - start > 0) format.gap(i - start);
      start = i;
      field.between_fields = false;
      if (c == '.') {
        field.decimal_point = i;
      } else if (!(is_digit(c) || c == '+' || c == '-')) {
        field.text = true;
      }
    } else if (field.text) {
      // Once text, always text.
    } else if (!field.exponent_seen) {
      if (c == 'E') {
        field.exponent_seen = true;
        field.exponent = i;
      } else if (c == '.') {
        if (field.decimal_point != 0) {
          field.text = true;
        } else {
          field.decimal_point = i;
        }
      } else if (!is_digit(c)) {
        field.text = true;
      }
    } else if (!field.exponent_lead) {
      if (c == '+' || c == '-') {
        field.exponent_sign_width = 1;
        field.exponent_lead = true;
      } else if (is_digit(c)) {
        field.exponent_lead = true;
      } else {
        field.text = true;
      }
    } else if (!is_digit(c) || i > field.exponent + field.exponent_sign_width + 2) {
      field.text = true;
    }
  }
  if (!field.between_fields && i > start) close_field(i - start);
  format.close();

  if (n < 1) return;

  std::vector<textio::Item>& items = state.items;
  items.clear();
  for (std::size_t k = 0; k < is_text.size(); ++k) {
    if (!is_text[k]) {
      items.push_back(textio::item(values[k]));
    } else {
      items.push_back({textio::ItemKind::Character, &values[k], 8, 1});
    }
  }
  const textio::Format parsed(state.format_text);
  textio::internal_read(text.substr(0, static_cast<std::size_t>(length)), parsed, items);
}

}  // namespace input
