// Input editing: F, A, Q, X and the records of read statements.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/common/child.h"
#include "textio/io.h"
#include "textio/units.h"

namespace {

using textio::Format;
using textio::item;

TEST(RealInput, FixedPointFields) {
  struct Row {
    const char* format;
    const char* record;
    double expected;
  };
  const Row rows[] = {
      {"F10.2", "  1234", 12.34},     {"F10.2", "12.345", 12.345},   {"F10.2", "1.5E2", 150.0},
      {"F3.0", "1 5", 15.0},          {"F10.0", "          ", 0.0},  {"F5.0", "", 0.0},
      {"F3.0", "-", 0.0},             {"F3.0", "+", 0.0},            {"F3.1", "-.5", -0.5},
      {"F2.0", "+7", 7.0},            {"F3.0", "1E5", 100000.0},     {"F7.1", "1.5E+12", 1.5e12},
      {"F10.2", "1.5e2", 150.0},      {"F10.2", "1.5D2", 150.0},     {"F10.2", "1.5d2", 150.0},
      {"F10.2", "1.5+2", 150.0},      {"F10.2", "1.5-2", 0.015},     {"F10.2", "15-1", 0.015},
      {"F10.2", "  -12 34", -12.34},  {"F10.3", "1.5E 1 2", 1.5e12}, {"F10.0", "0.1", 0.1},
      {"F4.0", "12", 12.0},           // the field reaches beyond the record: blanks
      {"F3.0", "1,5", 1.0},           {"F10.2", "7,", 0.07},         {"F10.2", ",", 0.0},
      {"F30.0", "1e400", HUGE_VAL},   {"F30.0", "1e-400", 0.0},
  };
  for (const auto& r : rows) {
    double value = -99.0;
    textio::internal_read(r.record, Format(r.format), {item(value)});
    EXPECT_EQ(value, r.expected) << r.format << " [" << r.record << "]";
  }
}

TEST(RealInput, SinglePrecisionIsRoundedOnce) {
  struct Row {
    const char* record;
    float expected;
  };
  // The decimal value is rounded straight to single precision.
  const Row rows[] = {{"0.1", 0.1f}, {"16777217", 16777216.0f}, {"3.4028235e38", 3.4028235e38f},
                      {"1.00000006", 1.00000006f}};
  for (const auto& r : rows) {
    float value = 0;
    textio::internal_read(r.record, Format("F20.0"), {item(value)});
    EXPECT_EQ(value, r.expected) << r.record;
  }
}

TEST(RealInput, CommaEndsTheField) {
  double a = 0, b = 0;
  textio::internal_read("1,5", Format("F3.0,F1.0"), {item(a), item(b)});
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 5.0);
  textio::internal_read("12,3456", Format("F5.1,F2.0"), {item(a), item(b)});
  EXPECT_EQ(a, 1.2);
  EXPECT_EQ(b, 34.0);
}

TEST(RealInput, ConversionErrors) {
  // 395 characters after the leading blanks are read; 396 are not.
  const std::string longest = "1." + std::string(393, '0');
  const std::string long_field = "1." + std::string(394, '0');
  double value = 0;
  textio::internal_read(longest, Format("F400.0"), {item(value)});
  EXPECT_EQ(value, 1.0);
  const char* records[] = {"abc", "1.2.3", "12a", "1.5E2x", "1.5E2.", "1e+-2", "1 . 5 ."};
  for (const char* r : records) {
    EXPECT_EXIT(textio::internal_read(r, Format("F10.0"), {item(value)}),
                ::testing::ExitedWithCode(1),
                ::testing::HasSubstr("kiv i/o error 231: formatted read, internal file: error on data conversion"))
        << r;
  }
  EXPECT_EXIT(textio::internal_read(long_field, Format("F400.0"), {item(value)}),
              ::testing::ExitedWithCode(1), ::testing::HasSubstr("error 231"));
  // Leading blanks do not count towards the limit.
  value = 0;
  textio::internal_read("     " + longest, Format("F400.0"), {item(value)});
  EXPECT_EQ(value, 1.0);
}

TEST(CharacterInput, Fields) {
  struct Row {
    const char* format;
    const char* record;
    std::size_t length;
    const char* expected;
  };
  const Row rows[] = {
      {"A", "abcdef", 4, "abcd"},   {"A3", "abcdef", 5, "abc  "}, {"A5", "abcde", 3, "cde"},
      {"A", "ab", 4, "ab  "},       {"A0", "abc", 3, "   "},      {"2X,A2", "abcdef", 2, "cd"},
      {"A8", "", 2, "  "},
  };
  for (const auto& r : rows) {
    std::string value(r.length, '?');
    textio::internal_read(r.record, Format(r.format), {textio::chars(std::span<char>(value))});
    EXPECT_EQ(value, r.expected) << r.format << " [" << r.record << "]";
  }
}

TEST(CharacterInput, QueryAndRuntimeWidth) {
  // 1X,Q,A with the A width taken from the Q item.
  std::int32_t n = -1;
  std::string text(20, '?');
  textio::internal_read(" DELAY_TIME=0.5", Format("1X,Q,A"),
                        {item(n), textio::chars_runtime(std::span<char>(text), n)});
  EXPECT_EQ(n, 14);
  EXPECT_EQ(text, "DELAY_TIME=0.5      ");
  // A run-time width of 0 reads nothing and blanks the item.
  textio::internal_read(" ", Format("1X,Q,A"),
                        {item(n), textio::chars_runtime(std::span<char>(text), n)});
  EXPECT_EQ(n, 0);
  EXPECT_EQ(text, std::string(20, ' '));
  // Q,80A1 on an empty line: 0 and 80 blanks.
  std::string eighty(80, '?');
  n = -1;
  textio::internal_read("", Format("Q,80A1"), {item(n), textio::chars(std::span<char>(eighty), 1)});
  EXPECT_EQ(n, 0);
  EXPECT_EQ(eighty, std::string(80, ' '));
  // Q after the end of a record gives 0; Q counts into small integers too.
  std::int8_t small = -1;
  textio::internal_read("ab", Format("5X,Q"), {item(small)});
  EXPECT_EQ(small, 0);
}

// The run-time format of the field decoder, read into 8-byte elements.
TEST(MixedInput, FieldDecoderFormat) {
  double values[3] = {};
  textio::internal_read("  12,abc 1.5E3", Format("(2X,F2.0,1X,A3,1X,F5.1)"),
                        {item(values[0]),
                         {textio::ItemKind::Character, &values[1], 8, 1},
                         item(values[2])});
  EXPECT_EQ(values[0], 12.0);
  EXPECT_EQ(std::memcmp(&values[1], "abc     ", 8), 0);
  EXPECT_EQ(values[2], 1500.0);
  // A on a Real8 item stores the characters into its bytes.
  double chunk = 0;
  textio::internal_read("xyz", Format("A3"), {item(chunk)});
  EXPECT_EQ(std::memcmp(&chunk, "xyz     ", 8), 0);
}

TEST(IntegerAndLogicalInput, Fields) {
  struct Row {
    const char* format;
    const char* record;
    std::int32_t expected;
  };
  const Row rows[] = {{"I5", "  -42", -42}, {"I3", "1 2", 12},  {"I4", "", 0},
                      {"L3", " .T", -1},    {"L2", "F", 0},     {"L1", "t", -1}};
  for (const auto& r : rows) {
    std::int32_t value = 99;
    if (r.format[0] == 'L') {
      textio::internal_read(r.record, Format(r.format), {textio::logical(value)});
    } else {
      textio::internal_read(r.record, Format(r.format), {item(value)});
    }
    EXPECT_EQ(value, r.expected) << r.format << " [" << r.record << "]";
  }
}

// Reads from a file unit: a new record per statement, further records while
// items remain, end of file handed back when asked for.
TEST(UnitInput, Records) {
  testing_support::TempDir dir;
  const std::string path = dir / "in.txt";
  testing_support::write_file(path, "ab\ncd\nleft over\n\nlast");
  ASSERT_EQ(textio::unit_open(60, path, "OLD"), textio::IoStatus::Done);
  std::string four(4, '?');
  ASSERT_EQ(textio::unit_read(60, Format("2A1"), {textio::chars(std::span<char>(four), 1)}),
            textio::IoStatus::Done);
  EXPECT_EQ(four, "abcd");
  std::string one(1, '?');
  std::int32_t n = -1;
  // A new statement starts a new record: "left over" is read, not the rest of "cd".
  ASSERT_EQ(textio::unit_read(60, Format("Q,A1"), {item(n), textio::chars(std::span<char>(one))}),
            textio::IoStatus::Done);
  EXPECT_EQ(n, 9);
  EXPECT_EQ(one, "l");
  ASSERT_EQ(textio::unit_read(60, Format("Q"), {item(n)}), textio::IoStatus::Done);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(textio::unit_read(60, Format("Q"), {item(n)}), textio::IoStatus::Done);
  EXPECT_EQ(n, 4);  // a last line without a line feed is a record
  EXPECT_EQ(textio::unit_read(60, Format("Q"), {item(n)}, textio::Handling::EndOfFile),
            textio::IoStatus::EndOfFile);
  EXPECT_EQ(textio::unit_read(60, Format("Q"), {item(n)}, textio::Handling::Errors),
            textio::IoStatus::Failed);  // after the end of file
  textio::unit_rewind(60);
  ASSERT_EQ(textio::unit_read(60, Format("Q"), {item(n)}), textio::IoStatus::Done);
  EXPECT_EQ(n, 2);
  textio::unit_close(60);
}

}  // namespace
