// The storing stage: ranges, placeholders, conversion, end markers, refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/loops.h"
#include "input/usrinp.h"
#include "tests/input/in_process.h"

namespace {

using input::StoreResult;

constexpr double kSentinel = 99.0;  // the caller's contents before the answer

struct Row {
  std::string answer;
  char type;
  std::int32_t len;
  std::int32_t count;
  std::vector<double> stored;       // values expected in elements 1.. in order
  std::optional<std::string> error; // report text when the answer is refused
};

std::int32_t set_answer(const std::string& text) {
  auto& b = input::bkey().text;
  b.fill(' ');
  std::memcpy(b.data(), text.data(), text.size());
  return static_cast<std::int32_t>(text.size());
}

// Element k of var read back as a double, or nullopt for the type's end marker.
std::optional<double> element(const std::vector<std::byte>& var, char type, std::int32_t len, std::size_t k) {
  const std::byte* e = var.data() + k * static_cast<std::size_t>(len);
  if (type == 'I' && len == 2) {
    std::int16_t v;
    std::memcpy(&v, e, 2);
    if (input::iendlin(v)) return std::nullopt;
    return v;
  }
  if (type == 'I') {
    std::int32_t v;
    std::memcpy(&v, e, 4);
    if (input::iendlin(v)) return std::nullopt;
    return v;
  }
  if (input::endlin(std::span<const std::byte>(e, static_cast<std::size_t>(len)))) return std::nullopt;
  if (len == 8) {
    double v;
    std::memcpy(&v, e, 8);
    return v;
  }
  float v;
  std::memcpy(&v, e, 4);
  return v;
}

void fill_sentinel(std::vector<std::byte>& var, char type, std::int32_t len) {
  for (std::size_t off = 0; off + static_cast<std::size_t>(len) <= var.size(); off += static_cast<std::size_t>(len)) {
    if (type == 'I' && len == 2) {
      const auto v = static_cast<std::int16_t>(kSentinel);
      std::memcpy(var.data() + off, &v, 2);
    } else if (type == 'I') {
      const auto v = static_cast<std::int32_t>(kSentinel);
      std::memcpy(var.data() + off, &v, 4);
    } else if (len == 8) {
      const double v = kSentinel;
      std::memcpy(var.data() + off, &v, 8);
    } else {
      const auto v = static_cast<float>(kSentinel);
      std::memcpy(var.data() + off, &v, 4);
    }
  }
}

// The value as the element type holds it.
double as_stored(double v, char type, std::int32_t len) {
  if (type == 'I') return v;  // rows give integer results directly
  return len == 8 ? v : static_cast<double>(static_cast<float>(v));
}

class StoreAnswer : public input_test::InProcess {
 protected:
  void check(const Row& r) {
    SCOPED_TRACE("answer [" + r.answer + "] " + r.type + std::to_string(r.len) + " count " + std::to_string(r.count));
    std::vector<std::byte> var(static_cast<std::size_t>(r.count) * static_cast<std::size_t>(r.len));
    fill_sentinel(var, r.type, r.len);
    const std::string before = transcript();
    const StoreResult result = input::store_answer(var, r.count, r.type, r.len, set_answer(r.answer));
    const std::string reports = transcript().substr(before == input_test::kNoTranscript ? 0 : before.size());
    const std::size_t elements = static_cast<std::size_t>(r.count);
    ASSERT_LE(r.stored.size(), elements);
    for (std::size_t k = 0; k < r.stored.size(); ++k) {
      const auto v = element(var, r.type, r.len, k);
      ASSERT_TRUE(v.has_value()) << "element " << k + 1 << " is an end marker";
      EXPECT_EQ(*v, as_stored(r.stored[k], r.type, r.len)) << "element " << k + 1;
    }
    if (r.error) {
      EXPECT_EQ(result, StoreResult::AskAgain);
      EXPECT_EQ(reports, " ERROR:  " + *r.error + "\n");
      // Elements after the stored ones keep the caller's contents.
      for (std::size_t k = r.stored.size(); k < elements; ++k) {
        EXPECT_EQ(element(var, r.type, r.len, k), std::optional<double>(kSentinel)) << "element " << k + 1;
      }
    } else {
      EXPECT_EQ(result, StoreResult::Stored);
      EXPECT_TRUE(reports.empty() || reports == input_test::kNoTranscript) << reports;
      for (std::size_t k = r.stored.size(); k < elements; ++k) {
        EXPECT_EQ(element(var, r.type, r.len, k), std::nullopt) << "element " << k + 1 << " should be an end marker";
      }
    }
  }
  void start_loop(float dollar, float ampersand) {
    auto& s = input::loop_state();
    s.count = 1;
    s.index = 1;
    s.dollar[0] = dollar;
    s.ampersand[0] = ampersand;
  }
  void stop_loop() { input::loop_state().index = 0; }
};

TEST_F(StoreAnswer, RangeTable) {
  const Row rows[] = {
      {"1:5", 'F', 4, 256, {1, 2, 3, 4, 5}, {}},
      {"1:2:0.5", 'F', 4, 256, {1, 1.5, 2}, {}},
      {"10:1:-3", 'F', 4, 256, {10, 7, 4, 1}, {}},
      {"1:5:3", 'F', 4, 256, {1, 4}, {}},
      {"5:1", 'F', 4, 256, {5}, {}},
      {"1:5:0", 'F', 4, 256, {1}, {}},
      {"0:0.3:0.1", 'F', 4, 256, {0, 0.1, 0.2, 0.1 + 0.1 + 0.1}, {}},
      {"3,1:5:2 7", 'F', 4, 256, {3, 1, 3, 5, 7}, {}},
      {"1:3 5:6", 'F', 4, 256, {1, 2, 3, 5, 6}, {}},
      {"1:2:3:4", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      {",,,,", 'F', 4, 256, {}, {}},
      {"      ", 'F', 4, 256, {}, {}},
      // Further rows.
      {"1:9:2", 'F', 4, 256, {1, 3, 5, 7, 9}, {}},
      {"0:1:0.25", 'F', 4, 256, {0, 0.25, 0.5, 0.75, 1}, {}},
      {"2:-1:-1", 'F', 4, 256, {2, 1, 0, -1}, {}},
      {"1:5:-1", 'F', 4, 256, {1}, {}},
      {"1:1", 'F', 4, 256, {1}, {}},
      {"1:3,10:12", 'F', 4, 256, {1, 2, 3, 10, 11, 12}, {}},
      {"  1:3  ", 'F', 4, 256, {1, 2, 3}, {}},
      {"1,2:4,,9", 'F', 4, 256, {1, 2, 3, 4, 9}, {}},
      {"1.5:3.5", 'F', 4, 256, {1.5, 2.5, 3.5}, {}},
      {"1:3:1:", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      // A range whose end or step is missing is refused.
      {"1:", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      {"1:5:", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      {":5", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      {"1 :5", 'F', 4, 256, {}, "ERROR IN DO-LOOP"},
      // A range whose start lies beyond the last value is never reached:
      // the values before it are stored as usual.
      {"4 5 :", 'F', 4, 256, {4, 5}, {}},
      {"4 5:6 :", 'F', 4, 256, {4, 5, 6}, {}},
      {":", 'F', 4, 256, {}, {}},
      {" , : ,", 'I', 4, 8, {}, {}},
      {std::string("1\0 2:5", 6), 'F', 4, 256, {1}, {}},
      {std::string("1\0 2:", 5), 'F', 4, 256, {1}, {}},
      // Count limits.
      {"1 2 3", 'F', 4, 3, {1, 2, 3}, {}},
      {"1 2 3 4", 'F', 4, 3, {1, 2, 3}, "NUMBER OF ARRAYELEMENTS EXCEEDED"},
      {"1:4", 'F', 4, 3, {1, 2, 3}, "NUMBER OF ARRAYELEMENTS EXCEEDED"},
      {"1:1000000000", 'F', 4, 4, {1, 2, 3, 4}, "NUMBER OF ARRAYELEMENTS EXCEEDED"},
      {"7", 'F', 4, 1, {7}, {}},
      // Fields that are neither numbers nor placeholders.
      {"abc", 'F', 4, 4, {}, "ILLEGAL CHARACTERS IN NUMERIC ANSWER"},
      {"1 2 x3", 'F', 4, 4, {}, "ILLEGAL CHARACTERS IN NUMERIC ANSWER"},
      {"1.5e3", 'F', 4, 4, {}, "ILLEGAL CHARACTERS IN NUMERIC ANSWER"},
      // Element conversion.
      {"40000", 'I', 2, 2, {-25536}, {}},
      {"70000 -1", 'I', 2, 3, {4464, -1}, {}},
      {"2.5 -2.5 0.5 -0.5 1.49 -1.51", 'I', 4, 8, {3, -3, 1, -1, 1, -2}, {}},
      {"2147483647 -2147483647", 'I', 4, 3, {2147483647, -2147483647}, {}},
      {"1 3E9", 'I', 4, 3, {1}, "INTEGER VALUE OUT OF RANGE"},
      {"2147483647.5", 'I', 2, 3, {}, "INTEGER VALUE OUT OF RANGE"},
      {"1:3", 'I', 2, 4, {1, 2, 3}, {}},
      {"0.1 1E10", 'F', 8, 3, {0.1, 1e10}, {}},
      {"0.1", 'F', 4, 2, {0.1}, {}},
      {"1:2:0.5", 'F', 8, 5, {1, 1.5, 2}, {}},
      {"5", 'x', 4, 2, {5}, {}},  // an unknown letter counts as F
  };
  for (const Row& r : rows) check(r);
}

TEST_F(StoreAnswer, ManyRangesAndLateStartPositions) {
  // Twelve ranges, more than a table of ten would hold.
  std::string answer;
  std::vector<double> expected;
  for (int k = 0; k < 12; ++k) {
    answer += std::to_string(10 * k) + ":" + std::to_string(10 * k + 2) + " ";
    for (int v = 0; v <= 2; ++v) expected.push_back(10 * k + v);
  }
  check({answer, 'F', 4, 64, expected, {}});

  // A range starting at value 200, beyond what an 8-bit position could hold.
  answer.clear();
  expected.clear();
  for (int k = 1; k < 200; ++k) {
    answer += "1 ";
    expected.push_back(1);
  }
  answer += "5:8";
  for (int v = 5; v <= 8; ++v) expected.push_back(v);
  check({answer, 'F', 4, 256, expected, {}});
}

TEST_F(StoreAnswer, LoopPlaceholders) {
  start_loop(2.5f, -4.0f);
  check({"$", 'F', 4, 4, {2.5}, {}});
  check({"&", 'F', 4, 4, {-4.0}, {}});
  check({"$:5", 'F', 4, 8, {2.5, 3.5, 4.5}, {}});
  check({"1:$", 'F', 4, 8, {1, 2}, {}});
  check({"$ 1 &", 'I', 4, 4, {3, 1, -4}, {}});
  check({"0:10:$", 'F', 4, 8, {0, 2.5, 5, 7.5, 10}, {}});
  // Only the field that is exactly "$" or "&" stands for a loop value.
  check({"$$", 'F', 4, 4, {}, "ILLEGAL CHARACTERS IN NUMERIC ANSWER"});
  stop_loop();
  // No loop position: the loop values are 0 and the placeholders are refused.
  EXPECT_EQ(input::doval(), 0.0f);
  EXPECT_EQ(input::doval2(), 0.0f);
  check({"$", 'F', 4, 4, {}, "NO ACTIVE DO-LOOP FOR $ OR &"});
  check({"1 &", 'F', 4, 4, {}, "NO ACTIVE DO-LOOP FOR $ OR &"});
}

TEST_F(StoreAnswer, ColonsBecomeCommasInTheAnswer) {
  std::vector<std::byte> var(64);
  const std::int32_t n = set_answer("1:3:1 4");
  ASSERT_EQ(input::store_answer(var, 16, 'F', 4, n), StoreResult::Stored);
  EXPECT_EQ(input::bkey().first(7), "1,3,1 4");
}

TEST_F(StoreAnswer, EightByteRealMarkerHasZeroUpperHalf) {
  std::vector<std::byte> var(24);
  fill_sentinel(var, 'F', 8);
  ASSERT_EQ(input::store_answer(var, 3, 'F', 8, set_answer("1")), StoreResult::Stored);
  std::uint64_t bits;
  std::memcpy(&bits, var.data() + 8, 8);
  EXPECT_EQ(bits, input::kDoubleEndMarkerBits);
}

TEST_F(StoreAnswer, ShortIntegerMarker) {
  std::vector<std::byte> var(8);
  ASSERT_EQ(input::store_answer(var, 4, 'I', 2, set_answer("0 1")), StoreResult::Stored);
  std::int16_t v[4];
  std::memcpy(v, var.data(), 8);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[1], 1);
  EXPECT_EQ(v[2], -32768);
  EXPECT_EQ(v[3], -32768);
  EXPECT_EQ(input::inel(std::span<const std::int16_t>(v), 4), 2);
}

TEST_F(StoreAnswer, Logical) {
  struct L {
    const char* answer;
    bool truth;
  };
  const L rows[] = {{"Y", true},  {"yes", true},   {"J", true},  {"ja", true}, {"T", true},
                    {"true", true}, {" Y", false}, {"N", false}, {"no", false}, {"1", false},
                    {"F", false}, {"x", false}};
  for (const std::int32_t len : {1, 2, 4}) {
    for (const L& r : rows) {
      SCOPED_TRACE(std::string(r.answer) + " len " + std::to_string(len));
      std::vector<std::byte> var(static_cast<std::size_t>(3 * len), std::byte{0x5a});
      ASSERT_EQ(input::store_answer(var, 3, 'L', len, set_answer(r.answer)), StoreResult::Stored);
      for (std::int32_t k = 0; k < 3 * len; ++k) {
        const std::byte want = k < len ? (r.truth ? std::byte{0xff} : std::byte{0}) : std::byte{0x5a};
        EXPECT_EQ(var[static_cast<std::size_t>(k)], want) << k;
      }
    }
  }
}

TEST_F(StoreAnswer, Text) {
  struct T {
    std::string answer;
    std::int32_t count, len;
    std::string stored;  // the whole area
  };
  const T rows[] = {
      {"abc", 1, 8, std::string("abc\0\0\0\0\0", 8)},
      {"a:b, c", 1, 8, std::string("a:b, c\0\0", 8)},
      {" x ", 2, 3, std::string(" x \0\0\0", 6)},
      {"abcdefghijk", 1, 8, "abcdefgh"},  // cut at the end of the storage
      {"abcdefgh", 1, 8, "abcdefgh"},
  };
  for (const T& r : rows) {
    SCOPED_TRACE(r.answer);
    std::vector<std::byte> var(static_cast<std::size_t>(r.count * r.len) + 4, std::byte{'#'});
    std::span<std::byte> area(var.data(), static_cast<std::size_t>(r.count * r.len));
    ASSERT_EQ(input::store_answer(area, r.count, 'A', r.len, set_answer(r.answer)), StoreResult::Stored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(var.data()), area.size()), r.stored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(var.data()) + area.size(), 4), "####");
    // Colons of a text answer stay as typed.
    EXPECT_EQ(input::bkey().first(r.answer.size()), r.answer);
  }
}

TEST_F(StoreAnswer, NeverWritesBeyondTheGivenSpan) {
  // A span smaller than count * len bounds every write.
  std::vector<std::byte> var(12, std::byte{'#'});
  std::span<std::byte> area(var.data(), 8);
  EXPECT_EQ(input::store_answer(area, 3, 'F', 4, set_answer("1 2 3")), StoreResult::AskAgain);
  EXPECT_EQ(var[8], std::byte{'#'});
  EXPECT_EQ(input::store_answer(area, 3, 'A', 4, set_answer("abcdefghijkl")), StoreResult::Stored);
  EXPECT_EQ(var[8], std::byte{'#'});
}

}  // namespace
