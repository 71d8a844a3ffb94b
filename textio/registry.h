#pragma once
// The units registry: the one process-wide object that knows which stream or
// file stands behind each unit number, reached through registry().
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textio/errors.h"

namespace textio::detail {

struct Unit {
  int number = 0;
  std::string name;  // the file name, or "stdin", "stdout", "stderr"
  std::FILE* file = nullptr;
  bool standard = false;  // units 0, 5 and 6: connected for the whole run
  bool regular = false;   // a regular file (not a device or a pipe)
  bool can_read = false;
  bool can_write = false;
  // The next write first cuts the file off at the current position (after an
  // open, a rewind or a read), so a file is never appended to.
  bool cut_pending = false;
  enum class Last : std::uint8_t { None, Read, Write } last = Last::None;
  bool at_end = false;
  long last_record = 0;
};

enum class OpenStatus : std::uint8_t { Unknown, Old };

// Called with every record written to a unit (tests observe the order of
// terminal and transcript output through it).
using RecordObserver = void (*)(int unit, std::string_view text, bool line_end);

class Registry {
 public:
  Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  Unit* find(int number);
  // The unit, connected on first use to "fort.N" (UNKNOWN for a write, OLD for a read).
  Status use(int number, bool for_write, Unit*& unit);
  Status open(int number, std::string_view name, OpenStatus status, Unit*& unit);
  Status close(int number, bool remove);
  Status rewind(int number);

  Status write_record(Unit& unit, std::string_view text, bool line_end);
  // Reads the next line into the input buffer; `record` views it.
  Status read_record(Unit& unit, std::string_view& record);

  void flush_all();
  // Closes and keeps every connected file and flushes the standard units;
  // returns the first failure and, when asked, the unit and file it hit.
  Status close_all(int* failed_unit = nullptr, std::string* failed_name = nullptr);

  int last_system_error() const { return last_system_error_; }
  void set_observer(RecordObserver observer) { observer_ = observer; }

  // Record buffers reused by every unit statement; they only grow.
  std::string output_buffer;

 private:
  Status system_error(int error_number);
  Unit* holder_of(std::string_view name);

  std::vector<std::unique_ptr<Unit>> units_;
  std::string input_buffer_;
  int last_system_error_ = 0;
  RecordObserver observer_ = nullptr;
};

Registry& registry();

// The file name "fort.N" that a unit is connected to on its first use.
struct FirstUseName {
  char text[32];
  const char* data() const { return text; }
};
FirstUseName first_use_name(int number);

// Prints the diagnostic of a failure met while the run is already ending and
// ends the process at once with status 1 (defined with the fatal diagnostic).
[[noreturn]] void report_failure_at_exit(Status status, int unit, std::string_view file);

}  // namespace textio::detail
