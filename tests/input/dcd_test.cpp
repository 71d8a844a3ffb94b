// The field decoder: classification, the format text it builds, and the values.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "input/dcd.h"
#include "input/endmarks.h"
#include "tests/input/in_process.h"

namespace {

// An expected element: a number, or the eight characters of a text chunk.
using Element = std::variant<double, std::string>;

struct Row {
  std::string line;
  std::int32_t count;
  std::string format;  // empty: not checked
  std::vector<Element> values;
};

std::string chunk(const double& element) {
  char c[8];
  std::memcpy(c, &element, 8);
  return std::string(c, 8);
}

void check_row(const Row& r) {
  SCOPED_TRACE("line [" + r.line + "] count " + std::to_string(r.count));
  // One guard element after the count elements.
  const std::size_t size = static_cast<std::size_t>(std::max(r.count, 0));
  std::vector<double> values(size + 1, 42.0);
  input::dcd(r.line, static_cast<std::int32_t>(r.line.size()), std::span<double>(values.data(), size), r.count);
  if (!r.format.empty()) {
    EXPECT_EQ(input::decoder_state().format_text, r.format);
  }
  const std::int32_t n = input::neld(values, r.count);
  ASSERT_EQ(n, static_cast<std::int32_t>(r.values.size()));
  for (std::size_t k = 0; k < r.values.size(); ++k) {
    SCOPED_TRACE("element " + std::to_string(k + 1));
    if (std::holds_alternative<double>(r.values[k])) {
      EXPECT_DOUBLE_EQ(values[k], std::get<double>(r.values[k]));
    } else {
      EXPECT_EQ(chunk(values[k]), std::get<std::string>(r.values[k]));
    }
  }
  // Every element after the values holds the decoder's marker pattern exactly.
  for (std::size_t k = r.values.size(); k < static_cast<std::size_t>(std::max(r.count, 0)); ++k) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(values[k]), input::kDoubleEndMarkerBits) << k;
  }
  // The element past count is never touched.
  EXPECT_EQ(values.back(), 42.0);
}

std::string text8(std::string s) {
  s.resize(8, ' ');
  return s;
}

class FieldDecoder : public input_test::InProcess {};

TEST_F(FieldDecoder, WorkedExample) {
  check_row({"  12,abc 1.5E3", 20, "(2X,F2.0,1X,A3,1X,F5.1)", {12.0, text8("abc"), 1500.0}});
}

TEST_F(FieldDecoder, Table) {
  const Row rows[] = {
      {"", 5, "", {}},
      {" ,, , ", 5, "", {}},
      {",,5", 5, "(2X,F1.0)", {5.0}},
      {"1,,2", 5, "(F1.0,2X,F1.0)", {1.0, 2.0}},
      // Fields that are text.
      {"1.2.3", 5, "(A5)", {text8("1.2.3")}},
      {"12AB", 5, "(A4)", {text8("12AB")}},
      {"1.5e3", 5, "(A5)", {text8("1.5e3")}},
      {"1.5E123", 5, "(A7)", {text8("1.5E123")}},
      {"1.5E+123", 5, "(A8)", {text8("1.5E+123")}},
      {"1-2", 5, "(A3)", {text8("1-2")}},
      {"1E5.", 5, "(A4)", {text8("1E5.")}},
      {"E5", 5, "(A2)", {text8("E5")}},
      {"1D5", 5, "(A3)", {text8("1D5")}},
      {"1\t2", 5, "(A3)", {text8("1\t2")}},
      {"$", 5, "(A1)", {text8("$")}},
      {"&", 5, "(A1)", {text8("&")}},
      {"abcdefghijklmnopq", 5, "(A8,A8,A1)", {std::string("abcdefgh"), std::string("ijklmnop"), text8("q")}},
      // Numbers and their descriptors.
      {"-.5", 5, "(F3.1)", {-0.5}},
      {"+7", 5, "(F2.0)", {7.0}},
      {"1E5", 5, "(F3.0)", {100000.0}},
      {"1.5E+12", 5, "(F7.1)", {1.5e12}},
      {"1E-12", 5, "(F5.0)", {1e-12}},
      {"12.345", 5, "(F6.3)", {12.345}},
      {"0.25E2", 5, "(F6.2)", {25.0}},
      {"100.", 5, "(F4.0)", {100.0}},
      {"+", 5, "(F1.0)", {0.0}},
      {"-", 5, "(F1.0)", {0.0}},
      {"1" + std::string(12, ' ') + "2", 5, "(F1.0,12X,F1.0)", {1.0, 2.0}},
      {"1 abc 2", 5, "(F1.0,1X,A3,1X,F1.0)", {1.0, text8("abc"), 2.0}},
      // A number too long for the input editor is decoded as text.
      {std::string(394, '0') + "5", 60, "(F395.0)", {5.0}},
      {std::string(395, '0') + "5", 1, "(A8)", {std::string(8, '0')}},
      // The count limit.
      {"1 2", 1, "(F1.0)", {1.0}},
      {"abcdefghijkl", 1, "(A8)", {std::string("abcdefgh")}},
      {"1 abcdefghijkl", 2, "(F1.0,1X,A8)", {1.0, std::string("abcdefgh")}},
      {"1 2 3", 3, "(F1.0,1X,F1.0,1X,F1.0)", {1.0, 2.0, 3.0}},
  };
  for (const Row& r : rows) check_row(r);
}

TEST_F(FieldDecoder, NulEndsTheLine) {
  const std::string line("1 2\0 3 4", 8);
  std::array<double, 5> values{};
  input::dcd(line, 8, values, 5);
  EXPECT_EQ(input::neld(values, 5), 2);
  EXPECT_EQ(values[0], 1.0);
  EXPECT_EQ(values[1], 2.0);
  EXPECT_EQ(input::decoder_state().format_text, "(F1.0,1X,F1.0)");
}

TEST_F(FieldDecoder, LengthShorterThanText) {
  std::array<double, 4> values{};
  input::dcd("12 34 56", 5, values, 4);
  EXPECT_EQ(input::neld(values, 4), 2);
  EXPECT_EQ(values[1], 34.0);
}

TEST_F(FieldDecoder, CountZeroOrNegativeTouchesNothing) {
  std::array<double, 3> values{7.0, 8.0, 9.0};
  input::dcd("1 2 3", 5, values, 0);
  EXPECT_EQ(values, (std::array<double, 3>{7.0, 8.0, 9.0}));
  input::dcd("1 2 3", 5, values, -4);
  EXPECT_EQ(values, (std::array<double, 3>{7.0, 8.0, 9.0}));
}

TEST_F(FieldDecoder, CountBeyondTheArrayIsBoundedByIt) {
  std::array<double, 2> values{};
  input::dcd("1 2 3 4", 7, values, 100);
  EXPECT_EQ(input::neld(values, 2), 2);
  EXPECT_EQ(values[1], 2.0);
}

TEST_F(FieldDecoder, FormatTextLongerThan300StillDecodesEveryField) {
  // 38 one-digit numbers need 302 characters of format text; 200 need far more.
  for (const int fields : {38, 200}) {
    std::string line;
    for (int k = 0; k < fields; ++k) line += std::to_string(k % 10) + " ";
    std::vector<double> values(2048);
    input::dcd(line, static_cast<std::int32_t>(line.size()), values, 2048);
    ASSERT_EQ(input::neld(values, 2048), fields);
    for (int k = 0; k < fields; ++k) EXPECT_EQ(values[static_cast<std::size_t>(k)], k % 10);
    EXPECT_GT(input::decoder_state().format_text.size(), 300u);
  }
}

TEST_F(FieldDecoder, StateDoesNotCarryOver) {
  std::array<double, 4> values{};
  input::dcd("abc", 3, values, 4);
  input::dcd("5", 1, values, 4);
  EXPECT_EQ(input::neld(values, 4), 1);
  EXPECT_EQ(values[0], 5.0);
  EXPECT_EQ(input::decoder_state().format_text, "(F1.0)");
}

TEST_F(FieldDecoder, InitializeResetsEveryItem) {
  input::FieldState s;
  s.between_fields = false;
  s.text = true;
  s.decimal_point = 3;
  s.exponent = 4;
  s.exponent_seen = true;
  s.exponent_lead = true;
  s.exponent_sign_width = 1;
  input::dcd_initialize(s);
  EXPECT_TRUE(s.between_fields);
  EXPECT_FALSE(s.text);
  EXPECT_EQ(s.decimal_point, 0);
  EXPECT_EQ(s.exponent, 0);
  EXPECT_FALSE(s.exponent_seen);
  EXPECT_FALSE(s.exponent_lead);
  EXPECT_EQ(s.exponent_sign_width, 0);
}

}  // namespace
