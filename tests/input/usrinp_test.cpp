// The typed conveniences of usrinp, answered from the keyword buffer so that
// nothing is read from standard input.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/usrinp.h"
#include "tests/input/in_process.h"

namespace {

class TypedUsrinp : public input_test::InProcess {
 protected:
  void preset(const std::string& record) {
    input::strkey("");
    input::addkey(record);
  }
};

TEST_F(TypedUsrinp, EachElementType) {
  preset("F=1.5 2.5");
  std::array<float, 3> f{};
  input::usrinp(std::span<float>(f), 1, "F=", "P");
  EXPECT_EQ(f[0], 1.5f);
  EXPECT_EQ(f[1], 2.5f);
  EXPECT_EQ(input::endlin(f[2]), 1);

  preset("D=0.1");
  std::array<double, 1> d{};
  input::usrinp(std::span<double>(d), 1, "D=", "P");
  EXPECT_EQ(d[0], 0.1);

  preset("I=1:3");
  std::array<std::int32_t, 4> i{};
  input::usrinp(std::span<std::int32_t>(i), 1, "I=", "P");
  EXPECT_EQ(i, (std::array<std::int32_t, 4>{1, 2, 3, input::kIntegerEndMarker}));

  preset("S=-7");
  std::array<std::int16_t, 2> s{};
  input::usrinp(std::span<std::int16_t>(s), 1, "S=", "P");
  EXPECT_EQ(s, (std::array<std::int16_t, 2>{-7, input::kShortEndMarker}));

  preset("T=hello there");
  std::array<char, 16> t{};
  input::usrinp(std::span<char>(t), 1, "T=", "P");
  EXPECT_EQ(std::string(t.data(), t.size()), std::string("hello there\0\0\0\0\0", 16));

  // The transcript holds each prompt and echo; the save file each answer.
  EXPECT_EQ(transcript(), " P\n F=1.5 2.5\n P\n D=0.1\n P\n I=1:3\n P\n S=-7\n P\n T=hello there\n");
  EXPECT_EQ(file("fort.49"), " F=1.5 2.5\n D=0.1\n I=1:3\n S=-7\n T=hello there\n");
}

TEST_F(TypedUsrinp, AbsentKeywordInModeTwoKeepsTheDefault) {
  input::strkey("");
  std::array<float, 1> f{4.0f};
  input::usrinp(std::span<float>(f), 2, "Q=", "P");
  EXPECT_EQ(f[0], 4.0f);
  EXPECT_EQ(transcript(), " P\n Q=\n   4.00000    \n");
  EXPECT_EQ(file("fort.49"), "   4.00000    \n");
}

}  // namespace
