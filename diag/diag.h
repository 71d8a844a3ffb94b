#pragma once
// Leveled error reports and informational messages, copied to the transcript (unit 7).
#include <cstdint>
#include <string_view>

namespace diag {

// The process-wide record shared by the reporting routines and the dialogue.
struct DiagState {
  std::int32_t level_threshold = -2;
  std::int32_t write_files = 0;  // logical: true when its lowest bit is set
  bool files_suppressed() const { return (write_files & 1) != 0; }
};
DiagState& diag_state();

// Levels 0 (warning), -1, -2 (possible error, confirmation read), -3, -4 (fatal).
void error(std::int32_t level, std::string_view text);
void setlev(std::int32_t level);
void message(std::string_view text);

}  // namespace diag
