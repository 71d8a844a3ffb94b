// Fuzz target: the field decoder and the storing stage on arbitrary answer
// lines, and the keyword buffer on arbitrary records.
//
// The first input byte selects the work; the rest is the text. Reports go to
// units 6 and 7, so the target is run in a scratch directory. Only levels -1
// and -3 are reachable from these paths; neither stops the run.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "input/dcd.h"
#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/loops.h"
#include "input/usrinp.h"

namespace {

void decode_and_store(std::uint8_t selector, std::string_view text) {
  const std::size_t n = std::min(text.size(), input::kAnswerSize);
  auto& answer = input::bkey().text;
  answer.fill(' ');
  std::memcpy(answer.data(), text.data(), n);

  // The decoder alone, on a small array so the count limit is met too.
  std::array<double, 5> small{};
  input::dcd(text, static_cast<std::int32_t>(n), small, static_cast<std::int32_t>(selector % 6));

  // The storing stage for each element type, with and without an active loop.
  auto& loop = input::loop_state();
  loop.count = 1;
  loop.index = (selector & 0x40) ? 1 : 0;
  loop.dollar[0] = 2.0f;
  loop.ampersand[0] = -3.0f;
  struct Kind {
    char type;
    std::int32_t len;
  };
  static constexpr Kind kinds[] = {{'F', 4}, {'F', 8}, {'I', 4}, {'I', 2}, {'L', 4}, {'A', 8}, {'x', 4}};
  const Kind k = kinds[selector % 7];
  const std::int32_t count = 1 + (selector >> 3) % 16;
  alignas(8) std::array<std::byte, 16 * 8> var{};
  std::span<std::byte> area(var.data(), static_cast<std::size_t>(count * k.len));
  input::store_answer(area, count, k.type, k.len, static_cast<std::int32_t>(n));
}

void keyword_buffer(std::uint8_t selector, std::string_view text) {
  // Records separated by newlines: lines starting with '?' are lookups,
  // '!' reloads the store, everything else is appended.
  if (selector & 1) input::strkey("");
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view record = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!record.empty() && record[0] == '?') {
      std::int32_t n = 0;
      input::getkey(record.substr(1), n);
      if (n > static_cast<std::int32_t>(input::kAnswerSize)) __builtin_trap();
    } else if (!record.empty() && record[0] == '!') {
      input::strkey(record.substr(1));
    } else {
      input::addkey(record);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (selector & 0x80) {
    keyword_buffer(selector, text);
  } else {
    decode_and_store(selector, text);
  }
  return 0;
}
