// The keyword buffer: loading, appending, lookup and consumption.
#include <gtest/gtest.h>

#include <string>

#include "input/keywords.h"
#include "tests/input/in_process.h"

namespace {

using input::addkey;
using input::getkey;
using input::strkey;

// The store's text without its trailing blanks.
std::string store() {
  const std::string_view s = input::keyword_store().view();
  const auto end = s.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1));
}

std::string bkey_text(std::int32_t n) { return std::string(input::bkey().first(n > 0 ? n : 0)); }

bool bkey_blank() { return input::bkey().view().find_first_not_of(' ') == std::string_view::npos; }

struct Lookup {
  const char* key;
  std::int32_t n;
  const char* value;  // bkey(1:n)
  const char* after;  // the store afterwards
};

struct Case {
  const char* name;
  const char* loaded;  // strkey text
  std::vector<const char*> added;
  const char* store_before;
  std::vector<Lookup> lookups;
};

class KeywordBuffer : public input_test::InProcess {};

TEST_F(KeywordBuffer, Table) {
  const Case cases[] = {
      {"two records consumed in turn", "", {"DELAY_TIME=0.5", "FRAME_BUFFER=3"}, "( DELAY_TIME=0.5 FRAME_BUFFER=3)",
       {{"FRAME_BUFFER=", 1, "3", "( DELAY_TIME=0.5)"},
        {"DELAY_TIME=", 3, "0.5", "()"},
        {"DELAY_TIME=", -1, "", "()"}}},
      {"continuation of a record ending in =", "", {"A=", "1", "2"}, "( A=1 2)", {{"A=", 3, "1 2", "()"}}},
      {"empty value stays", "( A= B=2)", {}, "( A= B=2)",
       {{"A=", 0, "", "( A= B=2)"}, {"A=", 0, "", "( A= B=2)"}, {"B=", 1, "2", "( A=)"}}},
      {"value with blanks", "( A=1 2 3 B=2)", {}, "( A=1 2 3 B=2)", {{"A=", 5, "1 2 3", "( B=2)"}}},
      {"substring match inside a longer key", "( DELAY_TIME=0.5)", {}, "( DELAY_TIME=0.5)",
       {{"TIME=", 3, "0.5", "( DELAY)"}}},
      {"Expression= skips its >=", "( Expression=X>=3 B=2)", {}, "( Expression=X>=3 B=2)",
       {{"Expression=", 4, "X>=3", "( B=2)"}}},
      {"Expression= with trailing blanks in the key", "( Expression=  X>=3 B=2)", {}, "( Expression=  X>=3 B=2)",
       {{"Expression=  ", 6, "  X>=3", "( B=2)"}}},
      {"other keys end at >=", "( C=X >=3 B=2)", {}, "( C=X >=3 B=2)", {{"C=", 1, "X", "( >=3 B=2)"}}},
      {"Expression= as the last record runs to )", "( Expression=X>=3)", {}, "( Expression=X>=3)",
       {{"Expression=", 4, "X>=3", "()"}}},
      {"same key added twice answers in order", "", {"K=1", "K=2"}, "( K=1 K=2)",
       {{"K=", 1, "1", "( K=2)"}, {"K=", 1, "2", "()"}, {"K=", -1, "", "()"}}},
      {"case matters", "( key=1)", {}, "( key=1)", {{"KEY=", -1, "", "( key=1)"}}},
      {"trailing blanks of the key count", "( A=1 XA= B=2)", {}, "( A=1 XA= B=2)",
       {{"A= ", 0, "", "( A=1 XA= B=2)"}}},
      {"strkey of two characters empties", "xy", {}, "()", {{"x", -1, "", "()"}}},
      {"strkey text kept as given", "( Z=9)", {"Y=8"}, "( Z=9 Y=8)", {{"Y=", 1, "8", "( Z=9)"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    strkey(c.loaded);
    for (const char* a : c.added) addkey(a);
    EXPECT_EQ(store(), c.store_before);
    for (const Lookup& l : c.lookups) {
      SCOPED_TRACE(l.key);
      input::bkey().text.fill('#');
      std::int32_t n = 99;
      getkey(l.key, n);
      EXPECT_EQ(n, l.n);
      if (n > 0) {
        EXPECT_EQ(bkey_text(n), l.value);
        EXPECT_EQ(input::bkey().view().find_first_not_of(' ', static_cast<std::size_t>(n)), std::string_view::npos);
      } else if (n == 0) {
        EXPECT_TRUE(bkey_blank());
      } else {
        // Not found: bkey untouched.
        EXPECT_EQ(input::bkey().text[0], '#');
      }
      EXPECT_EQ(store(), l.after);
    }
  }
}

TEST_F(KeywordBuffer, NeverLoadedStore) {
  // Only meaningful as the first use of the store in this process.
  input::keyword_store().text.fill('\0');
  std::int32_t n = 5;
  getkey("DELAY_TIME=", n);
  EXPECT_EQ(n, -1);
  // Not even an empty key, nor one of zero bytes, finds anything there.
  input::bkey().text.fill('#');
  n = 5;
  getkey("", n);
  EXPECT_EQ(n, -1);
  n = 5;
  getkey(std::string_view("\0\0", 2), n);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(input::bkey().text[0], '#');
  EXPECT_EQ(input::keyword_store().view(), std::string(input::kKeystoreSize, '\0'));
  // addkey on a store without ')': the earlier content is dropped.
  addkey("A=1");
  EXPECT_EQ(store(), " A=1)");
  getkey("A=", n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(bkey_text(n), "1");
}

TEST_F(KeywordBuffer, StrkeyCutsAndPads) {
  std::string big(5000, 'x');
  big[0] = '(';
  strkey(big);
  EXPECT_EQ(input::keyword_store().view(), big.substr(0, 4096));
  strkey("(A=1)");
  EXPECT_EQ(input::keyword_store().view().substr(0, 5), "(A=1)");
  EXPECT_EQ(input::keyword_store().view().find_first_not_of(' ', 5), std::string_view::npos);
}

TEST_F(KeywordBuffer, OverflowReportsAndKeepsTheFirst4096) {
  strkey("");
  const std::string record = "BIG=" + std::string(4100, '7');
  addkey(record);
  const std::string expected = "( " + record;
  EXPECT_EQ(input::keyword_store().view(), expected.substr(0, 4096));
  EXPECT_EQ(input::keyword_store().view().find(')'), std::string_view::npos);
  EXPECT_EQ(transcript(), " ERROR:  PARAMETER BUFFER HAS OVERFLOWED\n");

  // A lookup in the store that lost its ')' takes the value to the store's end.
  std::int32_t n = 0;
  getkey("BIG=", n);
  EXPECT_EQ(n, 4096 - 6);
  EXPECT_EQ(bkey_text(n), std::string(4090, '7'));
}

TEST_F(KeywordBuffer, FitsExactlyWithoutReport) {
  strkey("");
  // "(" + " " + record + ")" = 4096 characters.
  const std::string record = "K=" + std::string(4096 - 3 - 2, '1');
  addkey(record);
  EXPECT_EQ(input::keyword_store().view().back(), ')');
  EXPECT_EQ(transcript(), input_test::kNoTranscript);
  std::int32_t n = 0;
  getkey("K=", n);
  EXPECT_EQ(n, 4096 - 5);
  EXPECT_EQ(store(), "()");
}

TEST_F(KeywordBuffer, EmptyAddkeyAndKeyWithoutEquals) {
  strkey("");
  addkey("");
  EXPECT_EQ(store(), "( )");
  // A key without '=': the value starts after the next '=' in the store...
  strkey("( NAME B=2)");
  std::int32_t n = 0;
  getkey("NAME", n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(bkey_text(n), "2");
  EXPECT_EQ(store(), "()");
  // ... or at the key itself when none follows.
  strkey("( NAME)");
  getkey("NAME", n);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(bkey_text(n), "NAME");
  EXPECT_EQ(store(), "()");
}

}  // namespace
