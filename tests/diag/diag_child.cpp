// A helper program for the diag tests. Each argument is one step:
//   error:LEVEL:TEXT   setlev:LEVEL   message:TEXT   files:VALUE   read
// ("read" reads one line of standard input and writes it as a message).
// Every record written to a unit is also logged, in order, to order.log as
// "UNIT|TEXT", so the tests can see which unit received a line first.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "diag/diag.h"
#include "textio/io.h"
#include "textio/registry.h"

namespace {

int log_fd = -1;

void log_record(int unit, std::string_view text, bool) {
  const std::string line = std::to_string(unit) + "|" + std::string(text) + "\n";
  if (write(log_fd, line.data(), line.size()) < 0) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  log_fd = open("order.log", O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (log_fd < 0) return 3;
  textio::detail::registry().set_observer(log_record);
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    const auto colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : step.substr(colon + 1);
    if (verb == "error") {
      const auto second = rest.find(':');
      diag::error(std::stoi(rest.substr(0, second)), rest.substr(second + 1));
    } else if (verb == "setlev") {
      diag::setlev(std::stoi(rest));
    } else if (verb == "message") {
      diag::message(rest);
    } else if (verb == "files") {
      diag::diag_state().write_files = std::stoi(rest);
    } else if (verb == "read") {
      std::string line(40, ' ');
      std::int32_t n = 0;
      textio::unit_read(5, textio::Format("Q,A"),
                        {textio::item(n), textio::chars_runtime(std::span<char>(line), n)});
      diag::message("[" + line.substr(0, static_cast<std::size_t>(n)) + "]");
    } else {
      return 2;
    }
  }
  return 0;
}
