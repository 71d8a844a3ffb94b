#include "display/state.h"

#include "diag/diag.h"

namespace display {

DisplayState& display_state() {
  static DisplayState state;
  return state;
}

void get_endian() {
  static constexpr unsigned char pattern[8] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
  std::uint16_t words[4];
  std::memcpy(words, pattern, sizeof words);
  static constexpr std::uint16_t little[4] = {0x0201, 0x0804, 0x2010, 0x8040};
  static constexpr std::uint16_t big[4] = {0x0102, 0x0408, 0x1020, 0x4080};
  auto& state = display_state();
  if (std::memcmp(words, little, sizeof words) == 0) {
    state.sys_endian = 'L';
  } else if (std::memcmp(words, big, sizeof words) == 0) {
    state.sys_endian = 'B';
  } else {
    state.sys_endian = 'U';
    diag::error(-3, "Unknown system endian;  call GET_ENDIAN");
  }
}

}  // namespace display
