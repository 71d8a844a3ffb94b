#include "input/savefile.h"

#include <algorithm>
#include <cstring>

#include "diag/diag.h"
#include "input/keywords.h"
#include "textio/blanks.h"
#include "textio/format.h"
#include "textio/io.h"
#include "textio/item.h"
#include "textio/units.h"

namespace input {

SaveFileState& save_file_state() {
  static SaveFileState state;
  return state;
}

namespace {

constexpr int kSaveUnit = 49;

// Copies the caller's name into the 132-character buffer, cut or blank-padded.
std::string_view set_name(std::string_view name) {
  auto& buffer = save_file_state().name;
  buffer.fill(' ');
  const std::size_t take = std::min(name.size(), buffer.size());
  std::memcpy(buffer.data(), name.data(), take);
  return {buffer.data(), buffer.size()};
}

}  // namespace

void save(std::string_view name) {
  textio::unit_open(kSaveUnit, set_name(name), "UNKNOWN");
}

void savep(std::string_view key, std::int32_t n) {
  static const textio::Format key_only("' ',A");
  static const textio::Format key_and_answer("1X,A,A");
  const std::string_view answer = bkey().view();
  if (n < 1) {
    textio::unit_write(kSaveUnit, key_only, {textio::item(key)});
    return;
  }
  const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n), answer.size());
  if (length <= 49) {
    textio::unit_write(kSaveUnit, key_and_answer, {textio::item(key), textio::item(answer.substr(0, length))});
    return;
  }
  textio::unit_write(kSaveUnit, key_only, {textio::item(key)});
  std::size_t pos = 0;
  while (pos < length) {
    if (answer[pos] == ' ') {
      ++pos;
      continue;
    }
    std::size_t end = answer.find(' ', pos);
    if (end == std::string_view::npos || end > length) end = length;
    textio::unit_write(kSaveUnit, key_only, {textio::item(answer.substr(pos, end - pos))});
    pos = end;
  }
}

void savec(std::string_view disposition) {
  textio::unit_close(kSaveUnit, textio::trim_trailing_blanks(disposition) == "DELETE" ? "DELETE" : "KEEP");
}

void restr(std::string_view name) {
  const std::string_view file = set_name(name);
  if (textio::unit_open(kSaveUnit, file, "OLD", textio::Handling::Errors) != textio::IoStatus::Done) {
    if (textio::system_error_number() == 2) {
      diag::error(-2, "CANT FIND THE SAVE FILE");
    } else {
      diag::error(-3, "OPEN ERROR FOR SAVE FILE");
    }
    return;
  }
  textio::unit_rewind(kSaveUnit);
  // After the leading blank: the count of characters left, then as many of
  // them as the line buffer holds (the rest of the buffer blank). A longer
  // line keeps its start, where its key is.
  static const textio::Format line_format("1X,Q,A");
  auto& line = save_file_state().line;
  for (;;) {
    std::int32_t count = 0;
    line.fill(' ');
    const textio::IoStatus status =
        textio::unit_read(kSaveUnit, line_format,
                          {textio::item(count), textio::chars(line)},
                          textio::Handling::EndOfFile);
    if (status == textio::IoStatus::EndOfFile) break;
    const std::size_t length = std::clamp<std::int64_t>(count, 0, static_cast<std::int64_t>(line.size()));
    addkey(std::string_view(line.data(), length));
  }
  textio::unit_close(kSaveUnit, "KEEP");
}

}  // namespace input
