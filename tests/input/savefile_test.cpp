// The save file: line format of savep, closing, and loading back with restr.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "input/keywords.h"
#include "input/savefile.h"
#include "tests/input/in_process.h"

namespace {

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::write_file;

void set_answer(const std::string& text) {
  auto& b = input::bkey().text;
  b.fill(' ');
  std::memcpy(b.data(), text.data(), std::min(text.size(), b.size()));
}

class SaveFile : public input_test::InProcess {};

TEST_F(SaveFile, SavepLineFormat) {
  struct Row {
    std::string key;
    std::string answer;  // bkey contents
    std::int32_t n;
    std::string lines;
  };
  const std::string fifty(50, 'x');
  const Row rows[] = {
      {"DELAY_TIME=", "0.5", 3, " DELAY_TIME=0.5\n"},
      {"DELAY_TIME=", "0.5", 0, " DELAY_TIME=\n"},
      {"DELAY_TIME=", "0.5", -1, " DELAY_TIME=\n"},
      {"A=", "1 2  3", 60, " A=\n 1\n 2\n 3\n"},
      {"K= ", "ab", 2, " K= ab\n"},  // the key's trailing blank is written
      {"K=", std::string(49, 'y'), 49, " K=" + std::string(49, 'y') + "\n"},
      {"K=", fifty, 50, " K=\n " + fifty + "\n"},
      {"K=", "  lead  and,trail" + std::string(40, ' ') + "z", 58, " K=\n lead\n and,trail\n z\n"},
      {"K=", std::string(60, ' '), 60, " K=\n"},
  };
  input::save("rows.sav");
  std::string expected;
  for (const Row& r : rows) {
    set_answer(r.answer);
    input::savep(r.key, r.n);
    expected += r.lines;
  }
  input::savec("KEEP");
  EXPECT_EQ(read_file(path("rows.sav")), expected);
}

TEST_F(SaveFile, SavecDeletesOnlyOnExactDelete) {
  struct Row {
    const char* disposition;
    bool kept;
  };
  const Row rows[] = {{"DELETE", false}, {"DELETE   ", false}, {"delete", true}, {"KEEP", true}, {"", true},
                      {" DELETE", true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.disposition);
    input::save("d.sav");
    set_answer("1");
    input::savep("A=", 1);
    input::savec(r.disposition);
    EXPECT_EQ(file_exists(path("d.sav")), r.kept);
  }
}

TEST_F(SaveFile, RoundTrip) {
  // Answers with single blanks between words come back unchanged, also
  // those of 50 characters and more.
  const std::vector<std::pair<std::string, std::string>> answers = {
      {"DELAY_TIME=", "0.5"},
      {"$=", "1:5 10"},
      {"LONG=", "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23"},
      {"EXACT=", std::string(49, '4')},
      {"WORDS=", "alpha beta gamma delta epsilon zeta eta theta iota kappa"},
      {"ONE=", std::string(60, '7')},
  };
  input::save("round.sav");
  for (const auto& [key, answer] : answers) {
    set_answer(answer);
    input::savep(key, static_cast<std::int32_t>(answer.size()));
  }
  input::savec("KEEP");

  input::strkey("");
  input::restr("round.sav");
  for (const auto& [key, answer] : answers) {
    SCOPED_TRACE(key);
    std::int32_t n = 0;
    input::getkey(key, n);
    ASSERT_EQ(n, static_cast<std::int32_t>(answer.size()));
    EXPECT_EQ(input::bkey().first(static_cast<std::size_t>(n)), answer);
  }
  EXPECT_EQ(input::keyword_store().view().substr(0, 3), "() ");
}

TEST_F(SaveFile, RestrJoinsWordLines) {
  write_file(path("w.sav"), " DELAY_TIME=\n 1\n 2\n");
  input::strkey("");
  input::restr("w.sav");
  EXPECT_EQ(input::keyword_store().view().substr(0, 18), "( DELAY_TIME=1 2) ");
}

TEST_F(SaveFile, RestrPassesEveryLine) {
  // An empty line and a line of only its leading blank give empty texts; a line
  // without a leading blank loses its first character.
  write_file(path("m.sav"), "\n \nXA=1\n B=2");
  input::strkey("");
  input::restr("m.sav");
  EXPECT_EQ(input::keyword_store().view().substr(0, 14), "(   A=1 B=2)  ");
}

TEST_F(SaveFile, RestrLongLine) {
  // A line longer than 133 characters is taken whole (up to 4096 characters).
  const std::string value(300, '5');
  write_file(path("l.sav"), " L=" + value + "\n");
  input::strkey("");
  input::restr("l.sav");
  std::int32_t n = 0;
  input::getkey("L=", n);
  ASSERT_EQ(n, 300);
  EXPECT_EQ(input::bkey().first(300), value);
}

TEST_F(SaveFile, RestrKeepsTheFileThatUnit49HeldBefore) {
  input::save("first.sav");
  set_answer("1");
  input::savep("A=", 1);
  write_file(path("second.sav"), " B=2\n");
  input::strkey("");
  input::restr("second.sav");
  EXPECT_EQ(read_file(path("first.sav")), " A=1\n");
  EXPECT_EQ(read_file(path("second.sav")), " B=2\n");
  std::int32_t n = 0;
  input::getkey("B=", n);
  EXPECT_EQ(n, 1);
}

TEST_F(SaveFile, RestrFailuresLeaveTheBufferAlone) {
  // Level -2 would wait for a confirmation line; a lowered threshold returns.
  diag::setlev(-3);
  input::strkey("( A=1)");
  input::restr("no-such-file.sav");
  write_file(path("plain"), "x");
  input::restr("plain/child.sav");  // not a directory: any other open failure
  diag::setlev(-2);
  EXPECT_EQ(input::keyword_store().view().substr(0, 7), "( A=1) ");
  EXPECT_EQ(transcript(),
            " POSSIBLE ERROR:  CANT FIND THE SAVE FILE\n"
            " Enter \"C\" if you wish to proceed\n"
            " ERROR:  OPEN ERROR FOR SAVE FILE\n");
}

}  // namespace

namespace {

TEST_F(SaveFile, RestrLineLongerThanTheLineBufferOverflowsTheKeywordBuffer) {
  // No record this long fits the keyword buffer: the overflow is reported and
  // the store keeps its first 4096 characters; nothing is written past either buffer.
  write_file(path("huge.sav"), " H=" + std::string(5000, '8') + "\n");
  input::strkey("");
  input::restr("huge.sav");
  EXPECT_EQ(transcript(), " ERROR:  PARAMETER BUFFER HAS OVERFLOWED\n");
  EXPECT_EQ(input::keyword_store().view().substr(0, 2), "( ");
  EXPECT_EQ(input::keyword_store().view().find(')'), std::string_view::npos);
}

TEST_F(SaveFile, RestrKeepsTheStartOfALineLongerThanTheLineBuffer) {
  // The key and the first characters of its value reach the keyword buffer;
  // the end of the line is what is cut off.
  std::string value;
  for (int k = 0; value.size() < 5000; ++k) value += std::to_string(k % 10);
  write_file(path("long.sav"), " H=" + value + "\n");
  input::strkey("");
  input::restr("long.sav");
  EXPECT_EQ(transcript(), " ERROR:  PARAMETER BUFFER HAS OVERFLOWED\n");
  const std::string_view store = input::keyword_store().view();
  EXPECT_EQ(store.substr(0, 4), "( H=");
  EXPECT_EQ(store.substr(4), std::string_view(value).substr(0, input::kKeystoreSize - 4));
}

}  // namespace
