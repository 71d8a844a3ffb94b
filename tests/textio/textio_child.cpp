// A helper program for the units tests: performs the scripted sequence named
// by argv[1] in its working directory and ends as the sequence says.
#include <cstdio>
#include <cstring>
#include <string>

#include "textio/io.h"
#include "textio/units.h"

using textio::Format;
using textio::Handling;
using textio::IoStatus;
using textio::item;

namespace {

void say(const char* text) { textio::unit_write(6, Format("A"), {item(std::string_view(text))}); }

int scenario(const std::string& name) {
  if (name == "write7") {
    textio::unit_write(7, Format("' first'"), {});
    textio::unit_write(7, Format("1X,A"), {item("second")});
    return 0;
  }
  if (name == "no7") {
    say(" only the terminal");
    return 0;
  }
  if (name == "old_missing_handled") {
    const IoStatus s = textio::unit_open(49, "  nosuch.dat  ", "OLD", Handling::Errors);
    const std::int32_t failed = s == IoStatus::Failed ? 1 : 0;
    const std::int32_t number = textio::system_error_number();
    textio::unit_write(6, Format("'failed=',I1,' errno=',I1"), {item(failed), item(number)});
    return 0;
  }
  if (name == "old_missing_fatal") {
    say("before");
    textio::unit_open(49, "nosuch.dat", "OLD");
    say("not reached");
    return 0;
  }
  if (name == "read_until_end") {
    // Echo every line of standard input until its end, which is fatal.
    std::string line(80, ' ');
    std::int32_t n = 0;
    while (true) {
      textio::unit_read(5, Format("Q,80A1"), {item(n), textio::chars(std::span<char>(line), 1)});
      textio::unit_write(7, Format("'got ',A"),
                         {item(std::string_view(line.data(), static_cast<std::size_t>(n)))});
    }
  }
  if (name == "prompt") {
    textio::unit_write(6, Format("1X,A,$"), {item("Name?")});
    std::string answer(10, ' ');
    textio::unit_read(5, Format("A"), {textio::chars(std::span<char>(answer))});
    textio::unit_write(6, Format("'[',A,']'"), {item(answer)});
    return 0;
  }
  if (name == "stop") {
    textio::unit_write(7, Format("'kept'"), {});
    say("out");
    textio::stop_run();
  }
  if (name == "fatal_after_records") {
    textio::unit_write(7, Format("'transcript line'"), {});
    textio::unit_write(49, Format("'save line'"), {});
    textio::unit_write(6, Format("'terminal line'"), {});
    char small[2];
    textio::internal_write(small, Format("A"), {item("too long")});
    return 0;
  }
  if (name == "rewind") {
    textio::unit_write(7, Format("'one'/'two'/'three'"), {});
    textio::unit_rewind(7);
    textio::unit_write(7, Format("'new'"), {});
    textio::unit_rewind(99);  // not connected: nothing happens
    return 0;
  }
  if (name == "close") {
    textio::unit_open(20, "keep.dat", "UNKNOWN");
    textio::unit_write(20, Format("'k'"), {});
    textio::unit_close(20, "KEEP");
    textio::unit_open(21, "gone.dat", "UNKNOWN");
    textio::unit_write(21, Format("'g'"), {});
    textio::unit_close(21, "DELETE");
    textio::unit_open(22, "plain.dat", "UNKNOWN");
    textio::unit_write(22, Format("'p'"), {});
    textio::unit_close(22);
    textio::unit_close(23);  // not connected: nothing happens
    return 0;
  }
  if (name == "reopen") {
    // The same name again changes nothing; another name closes and keeps the first.
    textio::unit_open(30, "a.dat", "UNKNOWN");
    textio::unit_write(30, Format("'a1'"), {});
    textio::unit_open(30, " a.dat", "UNKNOWN");
    textio::unit_write(30, Format("'a2'"), {});
    textio::unit_open(30, "b.dat", "UNKNOWN");
    textio::unit_write(30, Format("'b1'"), {});
    const IoStatus other = textio::unit_open(31, "b.dat", "UNKNOWN", Handling::Errors);
    const IoStatus blank = textio::unit_open(32, "   ", "UNKNOWN", Handling::Errors);
    const std::int32_t codes[] = {static_cast<std::int32_t>(other), static_cast<std::int32_t>(blank)};
    textio::unit_write(6, Format("2I2"), {item(std::span<const std::int32_t>(codes))});
    return 0;
  }
  if (name == "connected_elsewhere_fatal") {
    textio::unit_open(30, "a.dat", "UNKNOWN");
    textio::unit_open(31, "a.dat", "UNKNOWN");
    return 0;
  }
  if (name == "bad_format_read") {
    double v = 0;
    textio::unit_read(5, Format("(2X,F2)"), {item(v)});
    return 0;
  }
  if (name == "conversion") {
    double v = 0;
    textio::unit_read(5, Format("(F10.0)"), {item(v)});
    return 0;
  }
  if (name == "read_fort") {
    // Unit 11 is connected to fort.11 on its first read.
    std::int32_t n = 0, lines = 0;
    while (textio::unit_read(11, Format("Q"), {item(n)}, Handling::EndOfFile) == IoStatus::Done) ++lines;
    textio::unit_write(6, Format("'lines=',I1"), {item(lines)});
    return 0;
  }
  if (name == "read_missing_fort") {
    std::int32_t n = 0;
    textio::unit_read(12, Format("Q"), {item(n)});
    return 0;
  }
  if (name == "unit49_write_then_read") {
    textio::unit_write(49, Format("'x=1'"), {});
    textio::unit_write(49, Format("'y=2'"), {});
    textio::unit_rewind(49);
    std::string text(3, ' ');
    textio::unit_read(49, Format("A"), {textio::chars(std::span<char>(text))});
    textio::unit_write(6, Format("A"), {item(text)});
    return 0;
  }
  if (name == "open_directory") {
    textio::unit_open(33, ".", "UNKNOWN");
    return 0;
  }
  if (name == "full_device") {
    // The write is buffered; the failure shows when the run ends.
    textio::unit_open(34, "/dev/full", "UNKNOWN");
    textio::unit_write(34, Format("'lost?'"), {});
    return 0;
  }
  if (name == "scan_literal_only") {
    // The format uses no item: one full scan and record, then the failure.
    const std::int32_t one = 1;
    textio::unit_write(6, Format("'x'"), {item(one)});
    return 0;
  }
  if (name == "scan_reverts_to_literals") {
    // After the first item the scan restarts at a group without data descriptors.
    const std::int32_t values[] = {1, 2};
    textio::unit_write(6, Format("I2,('y')"), {item(std::span<const std::int32_t>(values))});
    return 0;
  }
  if (name == "scan_read_without_items") {
    std::int32_t n = 0;
    textio::unit_read(5, Format("1X"), {item(n)});
    return 0;
  }
  if (name == "blank_name_fatal") {
    textio::unit_open(32, "   ", "UNKNOWN");
    return 0;
  }
  if (name == "many_records") {
    for (std::int32_t i = 0; i < 5000; ++i) textio::unit_write(6, Format("I5"), {item(i)});
    return 0;
  }
  std::fprintf(stderr, "unknown scenario %s\n", name.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  return scenario(argv[1]);
}
