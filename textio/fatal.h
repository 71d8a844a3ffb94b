#pragma once
// The end of a statement: the failure is handed back to a caller that asked
// to handle it, or ends the run with a diagnostic on standard error.
#include "textio/position.h"
#include <string_view>

#include "textio/errors.h"
#include "textio/io.h"

namespace textio::detail {

enum class Operation : std::uint8_t { Write, Read, Open, Close, Rewind };

// What the diagnostic says about the statement's unit.
struct Subject {
  Operation operation = Operation::Write;
  int unit = 0;
  bool internal = false;
  std::string_view file;  // the unit's file; fort.N when a first use failed
  long last_record = 0;
};

[[noreturn]] void fatal(Status status, const Subject& subject, StatementPosition where);

// Done for success; EndOfFile or Failed when the handling asks for it; else fatal.
IoStatus conclude(Status status, Handling handling, const Subject& subject,
                  StatementPosition where);

}  // namespace textio::detail
