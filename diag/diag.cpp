// Leveled reports and messages. Reports reach the transcript (unit 7) before
// the terminal (unit 6); messages reach the terminal first.
//
// The confirmation read of a level -2 report consumes one line of standard
// input. Only "C" is named in the prompt, but the run goes on after any
// answer: the callers that raise level -2 take no account of the answer, and
// a person who wants to stop can interrupt the run or end the input (which is
// the fatal end of a read, status 1).
#include "diag/diag.h"

#include "textio/io.h"
#include "textio/units.h"

namespace diag {
namespace {

constexpr int kTerminal = 6;
constexpr int kTranscript = 7;
constexpr int kKeyboard = 5;

struct Formats {
  textio::Format warning{"' WARNING!  ',A,/,' Execution continues'"};
  textio::Format error{"' ERROR:  ',A"};
  textio::Format possible{"' POSSIBLE ERROR:  ',A,/,' Enter \"C\" if you wish to proceed'"};
  textio::Format fatal{"' FATAL ERROR:  ',A"};
  textio::Format message{"' ',A"};
  textio::Format answer{"1A1"};
};

const Formats& formats() {
  static const Formats f;
  return f;
}

const textio::Format* report_format(std::int32_t level) {
  const Formats& f = formats();
  switch (level) {
    case 0: return &f.warning;
    case -1:
    case -3: return &f.error;
    case -2: return &f.possible;
    case -4: return &f.fatal;
    default: return nullptr;
  }
}

}  // namespace

DiagState& diag_state() {
  static DiagState state;
  return state;
}

void error(std::int32_t level, std::string_view text) {
  const textio::Format* format = report_format(level);
  if (format == nullptr) return;
  textio::unit_write(kTranscript, *format, {textio::item(text)});
  textio::unit_write(kTerminal, *format, {textio::item(text)});
  const std::int32_t threshold = diag_state().level_threshold;
  if (level == -2 && level <= threshold) {
    char answer = ' ';
    textio::unit_read(kKeyboard, formats().answer, {textio::chars(std::span<char>(&answer, 1))});
  }
  if (level == -4 && level <= threshold) textio::stop_run();
}

void setlev(std::int32_t level) { diag_state().level_threshold = level; }

void message(std::string_view text) {
  textio::unit_write(kTerminal, formats().message, {textio::item(text)});
  if (!diag_state().files_suppressed()) {
    textio::unit_write(kTranscript, formats().message, {textio::item(text)});
  }
}

}  // namespace diag
