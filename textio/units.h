#pragma once
// Numbered units, the files behind them, and the end of the run.
#include <string_view>

#include "textio/io.h"

namespace textio {

// status "UNKNOWN" or "OLD"; blanks around the name are ignored.
IoStatus unit_open(int unit, std::string_view file_name, std::string_view status,
                   Handling handling = Handling::None,
                   StatementPosition where = StatementPosition::current());
// disposition "KEEP", "DELETE" or empty (keep).
void unit_close(int unit, std::string_view disposition = {},
                StatementPosition where = StatementPosition::current());
void unit_rewind(int unit, StatementPosition where = StatementPosition::current());
// The operating system's error number left by the last failed system call.
int system_error_number();
// Flushes standard output and every connected file (called before any exit).
void flush_all_units();
// The stop: a one-line notice on standard error unless NO_STOP_MESSAGE is set,
// every connected file closed and kept, exit status 0.
[[noreturn]] void stop_run();

}  // namespace textio
