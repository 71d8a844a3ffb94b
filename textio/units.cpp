// Opening, closing and rewinding units, and the two ends of a run.
#include "textio/units.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "textio/blanks.h"
#include "textio/fatal.h"
#include "textio/registry.h"

namespace textio {
namespace {

using detail::Operation;
using detail::Status;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

detail::Subject subject(Operation op, int unit, std::string_view file) {
  detail::Subject s;
  s.operation = op;
  s.unit = unit;
  s.file = file;
  if (const detail::Unit* u = detail::registry().find(unit); u != nullptr) {
    s.last_record = u->last_record;
    if (file.empty()) s.file = u->name;
  }
  return s;
}

}  // namespace

IoStatus unit_open(int unit, std::string_view file_name, std::string_view status,
                   Handling handling, StatementPosition where) {
  const auto open_status = equal_ignoring_case(trim_blanks(status), "OLD") ? detail::OpenStatus::Old
                                                                    : detail::OpenStatus::Unknown;
  detail::Unit* u = nullptr;
  const Status s = detail::registry().open(unit, file_name, open_status, u);
  return detail::conclude(s, handling, subject(Operation::Open, unit, trim_blanks(file_name)), where);
}

void unit_close(int unit, std::string_view disposition, StatementPosition where) {
  const bool remove = equal_ignoring_case(trim_blanks(disposition), "DELETE");
  const detail::Subject about = subject(Operation::Close, unit, {});
  const std::string file(about.file);  // the unit's record goes away on close
  const Status s = detail::registry().close(unit, remove);
  if (!s.ok()) {
    detail::Subject copy = about;
    copy.file = file;
    detail::fatal(s, copy, where);
  }
}

void unit_rewind(int unit, StatementPosition where) {
  const Status s = detail::registry().rewind(unit);
  if (!s.ok()) detail::fatal(s, subject(Operation::Rewind, unit, {}), where);
}

int system_error_number() { return detail::registry().last_system_error(); }

void flush_all_units() { detail::registry().flush_all(); }

// The stop notice is the single line "STOP" on standard error; the
// environment variable NO_STOP_MESSAGE (any value) silences it.
void stop_run() {
  detail::Registry& registry = detail::registry();
  registry.flush_all();
  if (std::getenv("NO_STOP_MESSAGE") == nullptr) {
    std::fputs("STOP\n", stderr);
    std::fflush(stderr);
  }
  int unit = 0;
  std::string name;
  if (const Status s = registry.close_all(&unit, &name); !s.ok()) {
    detail::report_failure_at_exit(s, unit, name);
  }
  std::exit(0);
}

}  // namespace textio
