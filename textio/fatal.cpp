// The fatal diagnostic. Layout (three lines on standard error):
//   kiv i/o error 217: formatted read, unit 5: attempt to read past end of file
//     file "stdin", formatted, sequential, last record 0
//     statement at input/usrinp.cpp:142
// For a failure of the operating system the first line carries the system's
// error number and text and the words "error code returned by host stdio".
// Standard output and every connected file are flushed first, so nothing
// written before the failure is lost; the exit status is 1.
#include "textio/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textio/registry.h"

namespace textio::detail {
namespace {

const char* operation_name(Operation op) {
  switch (op) {
    case Operation::Write: return "formatted write";
    case Operation::Read: return "formatted read";
    case Operation::Open: return "OPEN";
    case Operation::Close: return "CLOSE";
    case Operation::Rewind: return "REWIND";
  }
  return "";
}

// Source positions relative to the project's root when the path lies in it.
std::string_view short_path(const char* file) {
  std::string_view path(file);
#ifdef KIV_SOURCE_ROOT
  constexpr std::string_view root(KIV_SOURCE_ROOT);
  if (path.substr(0, root.size()) == root) path.remove_prefix(root.size());
#endif
  return path;
}

void print_diagnostic(Status status, const Subject& subject, const char* where_file,
                      unsigned where_line) {
  std::FILE* err = stderr;
  char unit_text[48];
  if (subject.internal) {
    std::snprintf(unit_text, sizeof unit_text, "internal file");
  } else {
    std::snprintf(unit_text, sizeof unit_text, "unit %d", subject.unit);
  }
  if (status.from_system) {
    std::fprintf(err, "kiv i/o error %d: %s, %s: %s: error code returned by host stdio\n",
                 status.number, operation_name(subject.operation), unit_text,
                 std::strerror(status.number));
  } else {
    std::fprintf(err, "kiv i/o error %d: %s, %s: %s\n", status.number,
                 operation_name(subject.operation), unit_text, error_message(status.number));
  }
  if (subject.internal) {
    std::fprintf(err, "  internal file, formatted, sequential, last record %ld\n",
                 subject.last_record);
  } else {
    // Always the file line; its name is empty only for an OPEN whose name was blank.
    std::fprintf(err, "  file \"%.*s\", formatted, sequential, last record %ld\n",
                 static_cast<int>(subject.file.size()), subject.file.data(), subject.last_record);
  }
  if (where_file != nullptr) {
    const std::string_view path = short_path(where_file);
    std::fprintf(err, "  statement at %.*s:%u\n", static_cast<int>(path.size()), path.data(),
                 where_line);
  } else {
    std::fprintf(err, "  at the end of the run\n");
  }
  std::fflush(err);
}

}  // namespace

void fatal(Status status, const Subject& subject, StatementPosition where) {
  registry().flush_all();
  print_diagnostic(status, subject, where.file_name(), static_cast<unsigned>(where.line()));
  std::exit(1);
}

void report_failure_at_exit(Status status, int unit, std::string_view file) {
  Subject subject;
  subject.operation = Operation::Close;
  subject.unit = unit;
  subject.file = file;
  print_diagnostic(status, subject, nullptr, 0);
  std::_Exit(1);
}

IoStatus conclude(Status status, Handling handling, const Subject& subject,
                  StatementPosition where) {
  if (status.ok()) return IoStatus::Done;
  if (handling == Handling::EndOfFile && status.end_of_file()) return IoStatus::EndOfFile;
  if (handling == Handling::Errors) return IoStatus::Failed;
  fatal(status, subject, where);
}

}  // namespace textio::detail
