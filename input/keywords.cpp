#include "input/keywords.h"

#include <algorithm>
#include <cstring>

#include "diag/diag.h"
#include "textio/blanks.h"

namespace input {

AnswerRecord& bkey() {
  static AnswerRecord record;
  return record;
}

KeywordStore& keyword_store() {
  static KeywordStore store;
  return store;
}

namespace {

using Text = std::array<char, kKeystoreSize>;

// Replaces the store with the concatenation of the parts, cut to the store's
// size and padded with blanks. The parts may point into the store itself.
void assign_store(std::initializer_list<std::string_view> parts) {
  Text next;
  next.fill(' ');
  std::size_t pos = 0;
  for (std::string_view part : parts) {
    const std::size_t take = std::min(part.size(), next.size() - pos);
    std::memcpy(next.data() + pos, part.data(), take);
    pos += take;
    if (pos == next.size()) break;
  }
  keyword_store().text = next;
}

// Position (0-based) of the last ')' in the store, or npos.
std::size_t last_close(std::string_view store) { return store.rfind(')'); }

}  // namespace

void strkey(std::string_view text) {
  if (text.size() <= 2) {
    assign_store({"()"});
  } else {
    assign_store({text});
  }
}

void addkey(std::string_view text) {
  const std::string_view store = keyword_store().view();
  const std::size_t close = last_close(store);
  if (close == std::string_view::npos) {
    // No ')' at all (a store never loaded, or one that overflowed): the
    // earlier content is dropped.
    assign_store({" ", text, ")"});
  } else if (close >= 1 && store[close - 1] == '=') {
    // Continuation of a record that ended in '=': joined with no blank.
    assign_store({store.substr(0, close), text, ")"});
  } else {
    assign_store({store.substr(0, close), " ", text, ")"});
  }
  if (keyword_store().view().find(')') == std::string_view::npos) {
    diag::error(-3, "PARAMETER BUFFER HAS OVERFLOWED");
  }
}

void getkey(std::string_view key, std::int32_t& n) {
  n = -1;
  const std::string_view store = keyword_store().view();
  // A store that was never loaded holds no text at all: no key matches it,
  // not even an empty one (which would otherwise match at its first byte).
  if (store.find_first_not_of('\0') == std::string_view::npos) return;
  // All positions below are 0-based indexes into the store.
  const std::size_t p = store.find(key);
  if (p == std::string_view::npos) return;

  const std::size_t eq_key = store.find('=', p);
  const std::size_t v = eq_key == std::string_view::npos ? p : eq_key + 1;

  std::size_t e = v < store.size() ? store.find('=', v) : std::string_view::npos;
  if (e != std::string_view::npos && e > 0 && store[e - 1] == '>' &&
      textio::trim_trailing_blanks(key) == "Expression=") {
    // The comparison ">=" belongs to the expression's value. When no further
    // '=' follows, the value runs to the closing ')' like any last record.
    e = store.find('=', e + 1);
  }

  // `end` is one past the value's last character.
  std::size_t end;
  if (e != std::string_view::npos) {
    // The value stops before the blank that precedes the next record's key.
    const std::string_view inner = store.substr(v, e - v);
    const std::size_t blank = inner.size() > 1 ? inner.rfind(' ') : std::string_view::npos;
    end = (blank == std::string_view::npos || blank == 0) ? v : v + blank;
  } else {
    const std::size_t close = last_close(store);
    if (close != std::string_view::npos && close >= v) {
      end = close;
    } else {
      // No closing ')' after the value (a store that lost it in an overflow):
      // the value runs to the last non-blank character of the store.
      end = std::max(textio::trim_trailing_blanks(store).size(), v);
    }
  }

  const std::size_t length = end - v;
  n = static_cast<std::int32_t>(length);
  AnswerRecord& answer = bkey();
  answer.text.fill(' ');
  std::memcpy(answer.text.data(), store.data() + v, std::min(length, answer.text.size()));

  if (length != 0) {
    // Consume the record: its separating blank, the key and the value.
    const std::string_view front = p >= 1 ? store.substr(0, p - 1) : std::string_view{};
    assign_store({front, store.substr(end)});
  }
}

}  // namespace input
