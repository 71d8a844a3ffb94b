// Output editing: every descriptor, the rounding rules of reals, the layout
// of records and the failures of write statements.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/common/child.h"
#include "tests/textio/helpers.h"
#include "textio/io.h"
#include "textio/units.h"

namespace {

using textio::Format;
using textio::item;
using textio_test::field;
using textio_test::render;

struct SingleRow {
  const char* descriptor;
  float value;
  const char* expected;
};
struct DoubleRow {
  const char* descriptor;
  double value;
  const char* expected;
};

TEST(RealOutput, EdgeCaseTableSingle) {
  const SingleRow rows[] = {
      {"G13.6", 0.0f, " 0.000000E+00"},     {"G13.6", 12.5f, "  12.5000    "},
      {"G13.6", -3.14159265f, " -3.14159    "}, {"G13.6", 100.0f, "  100.000    "},
      {"G13.6", 0.1f, " 0.100000    "},     {"G13.6", -0.5f, "-0.500000    "},
      {"G13.6", 0.05f, " 0.500000E-01"},    {"G13.6", 0.099999994f, " 0.100000E+00"},
      {"G13.6", 1234567.0f, " 0.123457E+07"}, {"G13.6", 999999.875f, " 1000000.    "},
      {"G11.4", 1.0f, "  1.000    "},       {"G11.4", -7.25f, " -7.250    "},
      {"G11.4", 12345.0f, " 0.1235E+05"},   {"E12.5", 1234.5f, " 0.12345E+04"},
      {"E12.5", -0.000123456f, "-0.12346E-03"}, {"E12.5", 0.0f, " 0.00000E+00"},
      {"F7.1", 0.25f, "    0.3"},           {"F7.1", -0.04f, "    0.0"},
      {"F7.1", 12345.67f, "12345.7"},       {"F7.1", -12345.67f, "*******"},
      {"F9.3", -0.0005f, "   -0.001"},      {"F9.3", 123456.0f, "*********"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
}

TEST(RealOutput, EdgeCaseTableDouble) {
  const DoubleRow rows[] = {
      {"G16.9", 1.0 / 3.0, " 0.333333333    "},
      {"G16.9", -2.0 / 3.0, "-0.666666667    "},
      {"G16.9", 123456789.0, "  123456789.    "},
      {"G16.9", 1234567890.0, " 0.123456789E+10"},
      {"G16.9", 1.0e100, " 0.100000000+101"},
      {"F4.2", -0.5, "-.50"},
      {"E11.5", -1234.5, "-.12345E+04"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
}

// Half-up rounding from the exact binary value, in two stages.
TEST(RealOutput, RoundingBoundariesSingle) {
  const SingleRow rows[] = {
      {"F3.0", 2.5f, " 3."},            // a tie goes away from zero
      {"F3.0", -2.5f, "-3."},
      {"F5.2", 0.125f, " 0.13"},
      {"F5.2", -0.125f, "-0.13"},
      {"F7.1", 0.05f, "    0.1"},       // first digit is the rounding digit
      {"F7.1", -0.05f, "   -0.1"},
      {"F4.1", 0.15f, " 0.2"},          // 0.1500000059... is above the tie
      {"F6.3", 9.9999f, "10.000"},      // carry into a new integer digit
      {"F5.3", 9.9999f, "*****"},
      {"F4.0", 512.0f, "512."},
      {"F4.2", 0.5f, "0.50"},
      {"F3.2", 0.5f, ".50"},            // the fitting rule drops the leading 0
      {"F3.2", -0.5f, "***"},
      {"E12.5", 9.999996f, " 0.10000E+02"},
      {"E12.5", 0.5f, " 0.50000E+00"},
      {"E9.2", 1.0f, " 0.10E+01"},
      // 2^-12 = 0.000244140625 has nine digits: a tie at the eighth digit.
      {"E15.8", 0.000244140625f, " 0.24414063E-03"},
      // 2^-23 = 1.1920928955078125e-07: a tie at the sixteenth digit (F editing).
      {"F30.28", 1.1920928955078125e-07f, "0.0000001192092895507813000000"},
      {"G13.6", 0.1f, " 0.100000    "},
      {"G13.6", 1000000.0f, " 0.100000E+07"},  // k = 7 > d
      {"G13.6", 10000000.0f, " 0.100000E+08"},
      {"G13.6", 0.0999999f, " 0.999999E-01"},
      {"G13.6", 123456.5f, "  123457.    "},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
}

TEST(RealOutput, RoundingBoundariesDouble) {
  const DoubleRow rows[] = {
      {"F5.2", 0.125, " 0.13"},
      {"F3.0", 2.5, " 3."},
      {"F7.1", 0.25, "    0.3"},
      // 0.15 is 0.14999999999999999444...: its 16-digit string is 1500000000000000,
      // which the second stage then rounds up.
      {"F4.1", 0.15, " 0.2"},
      {"F4.1", 0.35, " 0.4"},
      // 1e23 is 99999999999999991611392 exactly.
      {"E25.17", 1.0e23, "  0.99999999999999992E+23"},
      {"E12.5", 1.0e23, " 0.10000E+24"},
      {"F25.0", 1.0e23, " 99999999999999990000000."},  // 16 digits, then zeros
      // 2^-25 = 2.98023223876953125e-08: a tie at the seventeenth digit.
      {"E25.17", 2.98023223876953125e-08, "  0.29802322387695313E-07"},
      {"E12.5", 1.0e-100, " 0.10000E-99"},
      {"E12.5", 1.0e-101, " 0.10000-100"},
      {"G16.9", 999999999.5, " 1000000000.    "},  // the choice is made before rounding
      {"G16.9", 0.1, " 0.100000000    "},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
}

TEST(RealOutput, ExtremesAndSpecialValues) {
  const float fmax = std::numeric_limits<float>::max();
  const float fmin = std::numeric_limits<float>::min();
  const float fden = std::numeric_limits<float>::denorm_min();
  const double dmax = std::numeric_limits<double>::max();
  const double dden = std::numeric_limits<double>::denorm_min();
  const float finf = std::numeric_limits<float>::infinity();
  const float fnan = std::numeric_limits<float>::quiet_NaN();
  const SingleRow singles[] = {
      {"E12.5", fmax, " 0.34028E+39"},  {"E12.5", fmin, " 0.11755E-37"},
      {"E12.5", fden, " 0.14013E-44"},  {"G13.6", fden, " 0.140130E-44"},
      {"F7.1", fden, "    0.0"},        {"F7.1", -fden, "    0.0"},
      {"F7.1", -0.0f, "    0.0"},       {"E12.5", -0.0f, " 0.00000E+00"},
      {"G13.6", -0.0f, " 0.000000E+00"}, {"F7.1", finf, "    inf"},
      {"F7.1", -finf, "   -inf"},       {"E12.5", fnan, "         nan"},
      {"G13.6", -fnan, "         -nan"}, {"F2.0", finf, "**"},
      {"F40.1", fmax, "****************************************"},
      {"F41.1", fmax, "340282346638528900000000000000000000000.0"},
  };
  for (const auto& r : singles) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
  const DoubleRow doubles[] = {
      {"E12.5", dmax, " 0.17977+309"},
      {"E12.5", dden, " 0.49407-323"},
      {"E25.17", dden, "  0.49406564584124654-323"},
      {"G16.9", -0.0, " 0.000000000E+00"},
  };
  for (const auto& r : doubles) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
}

TEST(IntegerOutput, Fields) {
  struct Row {
    const char* descriptor;
    std::int32_t value;
    const char* expected;
  };
  const Row rows[] = {
      {"I10", -42, "       -42"}, {"I10", INT32_MIN, "**********"}, {"I11", INT32_MIN, "-2147483648"},
      {"I2", 100, "**"},          {"I2", -5, "-5"},                {"I1", 0, "0"},
      {"I3.0", 0, "   "},         {"I5.3", 7, "  007"},            {"I5.3", -7, " -007"},
      {"I4.4", -7, "****"},       {"I3", 999, "999"},              {"I6", 123456, "123456"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, item(r.value)), r.expected) << r.descriptor << " " << r.value;
  }
  const std::int16_t h = -32768;
  EXPECT_EQ(field("I6", item(h)), "-32768");
  EXPECT_EQ(field("I4", item(h)), "****");
  const std::int8_t b = -128;
  EXPECT_EQ(field("I6", item(b)), "  -128");
}

TEST(LogicalOutput, Fields) {
  struct Row {
    const char* descriptor;
    std::int32_t value;
    const char* expected;
  };
  const Row rows[] = {
      {"L1", -1, "T"}, {"L1", 0, "F"}, {"L3", 1, "  T"}, {"L3", 2, "  F"}, {"L2", -2, " F"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(field(r.descriptor, textio::logical(r.value)), r.expected) << r.value;
  }
}

TEST(CharacterOutput, Fields) {
  struct Row {
    const char* format;
    const char* text;
    std::size_t length;
    const char* expected;
  };
  const Row rows[] = {
      {"A5", "ABC", 5, "  ABC"}, {"A2", "ABC", 2, "AB"},   {"A", "ABC ", 4, "ABC "},
      {"A", "", 3, "???"},       {"A,A", "x", 2, "x "},   // one item: the second A is not reached
      {"A0", "ABC", 3, "???"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(render(r.format, r.length, {item(std::string_view(r.text))}), r.expected)
        << r.format << " " << r.text;
  }
  // A on items that are not characters writes their bytes.
  const std::int8_t letter = 'x';
  EXPECT_EQ(render("A1", 1, {item(letter)}), "x");
  double chunk;
  std::memcpy(&chunk, "abc     ", 8);
  EXPECT_EQ(render("A", 8, {item(chunk)}), "abc     ");
  EXPECT_EQ(render("A3", 3, {item(chunk)}), "abc");
  EXPECT_EQ(render("A10", 10, {item(chunk)}), "  abc     ");
  // 80A1 over one-character elements, and a width taken at run time.
  std::string eighty(5, 'k');
  EXPECT_EQ(render("80A1", 5, {textio::chars(std::span<char>(eighty), 1)}), "kkkkk");
  std::string source = "DELAY_TIME";
  const std::int32_t n = 5;
  EXPECT_EQ(render("A", 6, {textio::chars_runtime(std::span<char>(source), n)}), "DELAY ");
}

// Records of internal writes: literals, skips, the high-water mark, the end
// of the item list and the new scan of the format.
// Items point at their values: the values of table rows must outlive the rows.
constexpr std::int32_t kThree[] = {1, 2, 3};
constexpr float kOne = 1.0f;
constexpr float kTwoAndHalf = 2.5f;
constexpr float kOneAndHalf = 1.5f;

TEST(InternalRecords, Layout) {
  const std::int32_t five = 5, seven = 7, nine = 9;
  struct Row {
    const char* format;
    std::vector<textio::Item> items;
    std::size_t length;
    const char* expected;
  };
  const Row rows[] = {
      {"'A',I1,','", {item(five)}, 4, "A5, "},
      {"' DO-LOOP:  $=',G11.4,'   &=',G11.4", {item(kOne), item(kTwoAndHalf)}, 42,
       " DO-LOOP:  $=  1.000       &=  2.500      "},
      {"I2,' mid',I2,' end'", {item(five)}, 8, " 5 mid  "},   // stops at the next data descriptor
      {"I2,' end'", {item(five)}, 7, " 5 end "},              // literals after the last item act
      {"A,3X,A", {item("a"), item("b")}, 6, "a   b "},
      {"2X,I1", {item(seven)}, 3, "  7"},
      {"A,5X", {item("a")}, 3, "a  "},
      {"(I2,I2,I2)", {item(std::span<const std::int32_t>(kThree))}, 6, " 1 2 3"},
      {"1X,I1", {}, 2, "??"},      // no field stored: the variable is untouched
      {"'ab'", {}, 3, "ab "},
      {"3X,'ab',I1", {item(nine)}, 6, "   ab9"},
      {"A,2X", {item("")}, 4, "????"},  // an empty field stores nothing either
      {"I1,2X,I1,1X", {item(five), item(seven)}, 90,
       "5  7                                                                                      "},
      {"70X,A", {item("z")}, 72,
       "                                                                      z "},
  };
  for (const auto& r : rows) {
    std::string record(r.length, '?');
    textio::internal_write(std::span<char>(record), Format(r.format),
                           std::span<const textio::Item>(r.items));
    EXPECT_EQ(record, r.expected) << r.format;
  }
}

TEST(InternalRecords, Failures) {
  struct Row {
    const char* format;
    std::size_t length;
    const char* message;
  };
  const std::int32_t one = 1;
  const float x = 1.0f;
  const Row rows[] = {
      {"A", 2, "kiv i/o error 219: formatted write, internal file: attempt to read/write past end of record"},
      {"6X,A", 6, "error 219"},
      {"A,/,A", 10, "kiv i/o error 220: formatted write, internal file: write after last internal record"},
      {"A", 10, "error 220"},  // two items, one descriptor: a second record
      // No data descriptor: the new scan needs a second record, which an internal file lacks.
      {"'x'", 10, "kiv i/o error 220: formatted write, internal file: write after last internal record"},
      {"I5", 10, "kiv i/o error 235: formatted write, internal file: edit descriptor does not match item type"},
      {"(F5)", 10, "kiv i/o error 249"},
  };
  const std::vector<std::vector<textio::Item>> items = {
      {item("abc")}, {item("a")}, {item("abc"), item("d")}, {item("abc"), item("d")},
      {item(one)}, {item(x)}, {item(x)},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    std::string record(rows[i].length, ' ');
    EXPECT_EXIT(textio::internal_write(std::span<char>(record), Format(rows[i].format),
                                       std::span<const textio::Item>(items[i])),
                ::testing::ExitedWithCode(1), ::testing::HasSubstr(rows[i].message))
        << rows[i].format;
  }
  // The statement position follows the message.
  std::string record(2, ' ');
  EXPECT_EXIT(textio::internal_write(std::span<char>(record), Format("A"), {item("abc")}),
              ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("statement at tests/textio/write_test.cpp:"));
}

// Records on a file unit: line feeds, $, / and the new scan of the format.
TEST(UnitRecords, Layout) {
  testing_support::TempDir dir;
  const std::int32_t values[] = {1, 2, 3};
  struct Row {
    const char* format;
    std::vector<textio::Item> items;
    const char* expected;
  };
  const Row rows[] = {
      {"1X,A", {item("Done")}, " Done\n"},
      {"1X,A,$", {item("Done")}, " Done"},
      {"1X,G13.6,2X", {item(kOneAndHalf)}, "   1.50000    \n"},
      {"'x',/,'y'", {}, "x\ny\n"},
      {"I2", {item(std::span<const std::int32_t>(values))}, " 1\n 2\n 3\n"},
      {"'a=',I2", {item(std::span<const std::int32_t>(values, 2))}, "a= 1\na= 2\n"},
      {"'H',2(I2)", {item(std::span<const std::int32_t>(values))}, "H 1 2\n 3\n"},
      {"A,2/", {item("p")}, "p\n\n\n"},
      {"' ERROR:  ',A", {item("")}, " ERROR:  \n"},
      {"A,10X", {item("tail")}, "tail\n"},
      {"", {}, "\n"},
  };
  int unit = 40;
  for (const auto& r : rows) {
    const std::string path = dir / ("rec" + std::to_string(unit) + ".txt");
    textio::unit_open(unit, path, "UNKNOWN");
    textio::unit_write(unit, Format(r.format), std::span<const textio::Item>(r.items));
    textio::unit_close(unit);
    EXPECT_EQ(testing_support::read_file(path), r.expected) << r.format;
    ++unit;
  }
}

}  // namespace
