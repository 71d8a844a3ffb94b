// The prompt-and-answer cycle: argument checks, lookup, prompt, reading,
// echoes, saving, judging and the display of defaults.
#include "input/usrinp.h"

#include <algorithm>
#include <cstring>

#include "diag/diag.h"
#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/savefile.h"
#include "textio/format.h"
#include "textio/io.h"
#include "textio/item.h"

namespace input {
namespace {

constexpr int kInput = 5;
constexpr int kTerminal = 6;
constexpr int kTranscript = 7;
constexpr int kSaveFile = 49;

// Answers up to this length are echoed on one line; longer ones word by word.
constexpr std::int32_t kOneLineEcho = 49;

const textio::Format& fmt_line() { static const textio::Format f("1X,A"); return f; }
const textio::Format& fmt_cue() { static const textio::Format f("1X,A,$"); return f; }
const textio::Format& fmt_echo() { static const textio::Format f("1X,A,49A1"); return f; }
// The whole line: its length, then its characters into bkey (blank-padded).
const textio::Format& fmt_read() { static const textio::Format f("Q,A"); return f; }
const textio::Format& fmt_real4() { static const textio::Format f("1X,G13.6,2X"); return f; }
const textio::Format& fmt_real8() { static const textio::Format f("1X,G16.9"); return f; }
const textio::Format& fmt_integer() { static const textio::Format f("1X,I10"); return f; }
const textio::Format& fmt_logical() { static const textio::Format f("1X,L1"); return f; }

// Units 7 and 49 are written only while write_files is false.
bool files_enabled() { return !diag::diag_state().files_suppressed(); }

void check_length(char letter, std::int32_t len) {
  switch (letter) {
    case 'A':
      return;
    case 'L':
      if (len != 1 && len != 2 && len != 4) diag::error(-4, "ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE");
      return;
    case 'I':
      if (len != 2 && len != 4) diag::error(-4, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE");
      return;
    default:
      if (len != 4 && len != 8) diag::error(-4, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE");
      return;
  }
}

// Calls write(unit) for every word (maximal run of non-blanks) of text.
template <class Write>
void for_each_word(std::string_view text, Write write) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', pos), text.size());
    write(text.substr(pos, end - pos));
    pos = end;
  }
}

void echo_answer(std::string_view keyword, std::int32_t n, bool typed) {
  const bool files = files_enabled();
  if (n < 0) {
    textio::unit_write(kTerminal, fmt_line(), {textio::item(keyword)});
    if (files) textio::unit_write(kTranscript, fmt_line(), {textio::item(keyword)});
    return;
  }
  if (n == 0) {
    if (files) textio::unit_write(kTranscript, fmt_line(), {textio::item(keyword)});
    return;
  }
  const std::string_view answer = bkey().first(static_cast<std::size_t>(n));
  if (n <= kOneLineEcho) {
    std::span<char> chars(bkey().text.data(), answer.size());
    const std::initializer_list<textio::Item> items{textio::item(keyword), textio::chars(chars, 1)};
    if (!typed) textio::unit_write(kTerminal, fmt_echo(), items);
    if (files) textio::unit_write(kTranscript, fmt_echo(), items);
    return;
  }
  for (const int unit : {kTerminal, kTranscript}) {
    if (unit == kTerminal && typed) continue;
    if (unit == kTranscript && !files) continue;
    textio::unit_write(unit, fmt_line(), {textio::item(keyword)});
    for_each_word(answer, [&](std::string_view word) { textio::unit_write(unit, fmt_line(), {textio::item(word)}); });
  }
}

// One record of the defaults display, to each unit that receives it.
void show(std::int32_t mode, const textio::Format& format, const textio::Item& item) {
  if (mode <= 2) textio::unit_write(kTerminal, format, {item});
  if (files_enabled()) {
    textio::unit_write(kTranscript, format, {item});
    textio::unit_write(kSaveFile, format, {item});
  }
}

void display_defaults(std::span<const std::byte> var, std::int32_t count, char letter, std::int32_t len,
                      std::int32_t mode) {
  const std::size_t total =
      (count <= 0 || len <= 0)
          ? 0
          : std::min<std::size_t>(static_cast<std::size_t>(static_cast<std::int64_t>(count) * len), var.size());
  if (letter == 'A') {
    // Every byte as stored, zero bytes included.
    show(mode, fmt_line(), textio::item(std::string_view(reinterpret_cast<const char*>(var.data()), total)));
    return;
  }
  if (letter != 'F' && letter != 'I' && letter != 'L') return;
  auto& work = store_state().work;
  const std::size_t width = static_cast<std::size_t>(std::max(len, 0));
  for (std::size_t offset = 0; width > 0 && offset + width <= total; offset += width) {
    work.fill(std::byte{0});
    std::memcpy(work.data(), var.data() + offset, std::min<std::size_t>(width, work.size()));
    if (letter == 'L') {
      const std::int32_t truth = (std::to_integer<unsigned>(work[0]) & 1u) ? -1 : 0;
      show(mode, fmt_logical(), textio::logical(truth));
    } else if (letter == 'I' && len == 2) {
      std::int16_t v;
      std::memcpy(&v, work.data(), 2);
      if (iendlin(v) == 1) return;
      show(mode, fmt_integer(), textio::item(v));
    } else if (letter == 'I') {
      std::int32_t v;
      std::memcpy(&v, work.data(), 4);
      if (iendlin(v) == 1) return;
      show(mode, fmt_integer(), textio::item(v));
    } else {
      if (endlin(std::span<const std::byte>(work)) == 1) return;
      if (len == 8) {
        double v;
        std::memcpy(&v, work.data(), 8);
        show(mode, fmt_real8(), textio::item(v));
      } else {
        float v;
        std::memcpy(&v, work.data(), 4);
        show(mode, fmt_real4(), textio::item(v));
      }
    }
  }
}

}  // namespace

void usrinp(std::span<std::byte> var, std::int32_t count, std::string_view type, std::int32_t len,
            std::int32_t mode, std::string_view keyword, std::string_view prompt) {
  const char letter = type.empty() ? ' ' : type.front();
  check_length(letter, len);

  std::int32_t n = 0;
  getkey(keyword, n);
  if ((mode == 0 || mode == 1 || mode == 3) && n == -1) n = 0;
  const bool from_buffer = n != 0;
  bool typed = false;

  for (;;) {
    textio::unit_write(kTerminal, fmt_line(), {textio::item(prompt)});
    if (files_enabled()) textio::unit_write(kTranscript, fmt_line(), {textio::item(prompt)});
    if (!from_buffer) textio::unit_write(kTerminal, fmt_cue(), {textio::item(keyword)});

    if (n == 0) {
      // The whole line up to the size of bkey; longer lines are cut there.
      std::int32_t length = 0;
      textio::unit_read(kInput, fmt_read(), {textio::item(length), textio::chars(bkey().text)});
      n = std::clamp<std::int32_t>(length, 0, static_cast<std::int32_t>(kAnswerSize));
      typed = true;
    }

    echo_answer(keyword, n, typed);
    if (n != -1 && files_enabled()) savep(keyword, n);

    if (n > 0) {
      if (store_answer(var, count, letter, len, n) == StoreResult::Stored) return;
      n = 0;
      continue;
    }
    if (mode == 0) {
      diag::error(-1, "NO DEFAULT IS POSSIBLE");
      continue;
    }
    display_defaults(var, count, letter, len, mode);
    return;
  }
}

}  // namespace input
