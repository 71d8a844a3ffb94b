// Units, files and the ends of a run, seen from outside: a real child process
// (textio_child) runs a scripted sequence in a temporary directory, and the
// test checks its exit status, standard output and error, and its files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/common/child.h"

namespace {

using ::testing::HasSubstr;
using testing_support::ChildResult;
using testing_support::ChildSpec;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

ChildResult run(const TempDir& dir, const std::string& scenario, const std::string& input = "",
                std::vector<std::string> env = {}) {
  ChildSpec spec;
  spec.argv = {TEXTIO_CHILD, scenario};
  env.push_back("PATH=/usr/bin:/bin");
  spec.env = env;
  spec.cwd = dir.path();
  spec.stdin_text = input;
  return testing_support::run_child(spec, dir.path());
}

TEST(Units, TranscriptIsWrittenAnew) {
  struct Row {
    const char* scenario;
    bool existing;             // fort.7 holds old text before the run
    bool exists_after;
    const char* fort7_after;
  };
  const Row rows[] = {
      {"write7", true, true, " first\n second\n"},
      {"write7", false, true, " first\n second\n"},
      {"no7", true, true, "old text that is longer than the new\nsecond old line\n"},
      {"no7", false, false, ""},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const std::string old = "old text that is longer than the new\nsecond old line\n";
    if (r.existing) write_file(dir / "fort.7", old);
    const ChildResult c = run(dir, r.scenario);
    EXPECT_EQ(c.exit_status, 0) << r.scenario;
    EXPECT_EQ(c.err, "") << r.scenario;
    EXPECT_EQ(file_exists(dir / "fort.7"), r.exists_after) << r.scenario;
    if (r.exists_after) {
      EXPECT_EQ(read_file(dir / "fort.7"), r.fort7_after) << r.scenario;
    }
  }
}

TEST(Units, OpenOldMissingFile) {
  TempDir dir;
  const ChildResult handled = run(dir, "old_missing_handled");
  EXPECT_EQ(handled.exit_status, 0);
  EXPECT_EQ(handled.out, "failed=1 errno=2\n");
  EXPECT_EQ(handled.err, "");
  const ChildResult fatal = run(dir, "old_missing_fatal");
  EXPECT_EQ(fatal.exit_status, 1);
  EXPECT_EQ(fatal.out, "before\n");
  EXPECT_THAT(fatal.err, HasSubstr("kiv i/o error 209: OPEN, unit 49: 'OLD' specified for file "
                                   "which does not exist\n  file \"nosuch.dat\", formatted, "
                                   "sequential, last record 0\n  statement at "
                                   "tests/textio/textio_child.cpp:"));
  EXPECT_FALSE(file_exists(dir / "nosuch.dat"));
}

TEST(Units, EndOfStandardInput) {
  struct Row {
    const char* input;
    const char* transcript;
    const char* last_record;
  };
  const Row rows[] = {
      {"", "", "last record 0"},
      {"one\ntwo\n", "got one\ngot two\n", "last record 2"},
      {"no line feed", "got no line feed\n", "last record 1"},
      {"\n\r\n", "got \ngot \r\n", "last record 2"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const ChildResult c = run(dir, "read_until_end", r.input);
    EXPECT_EQ(c.exit_status, 1) << r.input;
    EXPECT_THAT(c.err, HasSubstr("kiv i/o error 217: formatted read, unit 5: attempt to read past "
                                 "end of file\n  file \"stdin\", formatted, sequential, "))
        << r.input;
    EXPECT_THAT(c.err, HasSubstr(r.last_record)) << r.input;
    EXPECT_EQ(file_exists(dir / "fort.7") ? read_file(dir / "fort.7") : "", r.transcript) << r.input;
  }
}

TEST(Units, PromptWithDollarComesBeforeTheAnswer) {
  TempDir dir;
  const ChildResult c = run(dir, "prompt", "Alice\n");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(c.out, " Name?[Alice     ]\n");
}

TEST(Units, Stop) {
  struct Row {
    std::vector<std::string> env;
    const char* err;
  };
  const Row rows[] = {{{}, "STOP\n"}, {{"NO_STOP_MESSAGE=1"}, ""}, {{"NO_STOP_MESSAGE="}, ""}};
  for (const auto& r : rows) {
    TempDir dir;
    const ChildResult c = run(dir, "stop", "", r.env);
    EXPECT_EQ(c.exit_status, 0);
    EXPECT_EQ(c.err, r.err);
    EXPECT_EQ(c.out, "out\n");
    EXPECT_EQ(read_file(dir / "fort.7"), "kept\n");
  }
}

TEST(Units, RecordsBeforeAFatalErrorAreKept) {
  TempDir dir;
  const ChildResult c = run(dir, "fatal_after_records");
  EXPECT_EQ(c.exit_status, 1);
  EXPECT_EQ(c.out, "terminal line\n");
  EXPECT_EQ(read_file(dir / "fort.7"), "transcript line\n");
  EXPECT_EQ(read_file(dir / "fort.49"), "save line\n");
  EXPECT_THAT(c.err, HasSubstr("kiv i/o error 219: formatted write, internal file: attempt to "
                               "read/write past end of record\n"));
}

TEST(Units, RewindCloseReopen) {
  TempDir dir;
  ChildResult c = run(dir, "rewind");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(read_file(dir / "fort.7"), "new\n");
  EXPECT_FALSE(file_exists(dir / "fort.99"));

  c = run(dir, "close");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(read_file(dir / "keep.dat"), "k\n");
  EXPECT_FALSE(file_exists(dir / "gone.dat"));
  EXPECT_EQ(read_file(dir / "plain.dat"), "p\n");

  c = run(dir, "reopen");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(read_file(dir / "a.dat"), "a1\na2\n");
  EXPECT_EQ(read_file(dir / "b.dat"), "b1\n");
  EXPECT_EQ(c.out, " 1 1\n");  // both opens failed and were handed back

  c = run(dir, "connected_elsewhere_fatal");
  EXPECT_EQ(c.exit_status, 1);
  EXPECT_THAT(c.err, HasSubstr("kiv i/o error 207: OPEN, unit 31: file is already connected to "
                               "another unit"));

  c = run(dir, "unit49_write_then_read");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(c.out, "x=1\n");
  EXPECT_EQ(read_file(dir / "fort.49"), "x=1\ny=2\n");
}

TEST(Units, ReadFailuresAreFatal) {
  struct Row {
    const char* scenario;
    const char* input;
    const char* message;
  };
  const Row rows[] = {
      {"bad_format_read", "  12\n", "kiv i/o error 249: formatted read, unit 5: error in format - "
                                    "illegal E, F, G or D descriptor\n  file \"stdin\", formatted, "
                                    "sequential, last record 0\n"},
      {"conversion", "abc\n", "kiv i/o error 231: formatted read, unit 5: error on data "
                              "conversion\n  file \"stdin\", formatted, sequential, last record 1\n"},
      {"blank_name_fatal", "", "kiv i/o error 211: OPEN, unit 32: invalid file name\n  file \"\", "
                               "formatted, sequential, last record 0\n  statement at "},
      {"read_missing_fort", "", "kiv i/o error 209: formatted read, unit 12: 'OLD' specified for "
                                "file which does not exist\n  file \"fort.12\", formatted, "
                                "sequential, last record 0\n  statement at "},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const ChildResult c = run(dir, r.scenario, r.input);
    EXPECT_EQ(c.exit_status, 1) << r.scenario;
    EXPECT_THAT(c.err, HasSubstr(r.message)) << r.scenario;
  }
}

// Failures of the operating system carry its error text and number.
TEST(Units, SystemErrorsAreFatal) {
  struct Row {
    std::string command;
    const char* message;
  };
  const Row rows[] = {
      {std::string(TEXTIO_CHILD) + " open_directory",
       "kiv i/o error 21: OPEN, unit 33: Is a directory: error code returned by host stdio\n"
       "  file \".\", formatted, sequential, last record 0\n  statement at "},
      {std::string(TEXTIO_CHILD) + " full_device",
       "kiv i/o error 28: CLOSE, unit 34: No space left on device: error code returned by host "
       "stdio\n  file \"/dev/full\""},
      {std::string(TEXTIO_CHILD) + " no7 > /dev/full",
       "kiv i/o error 28: CLOSE, unit 6: No space left on device: error code returned by host "
       "stdio\n  file \"stdout\""},
  };
  for (const auto& r : rows) {
    TempDir dir;
    ChildSpec spec;
    spec.argv = {"/bin/sh", "-c", r.command};
    spec.env = {"PATH=/usr/bin:/bin"};
    spec.cwd = dir.path();
    const ChildResult c = testing_support::run_child(spec, dir.path());
    EXPECT_EQ(c.exit_status, 1) << r.command;
    EXPECT_THAT(c.err, HasSubstr(r.message)) << r.command;
  }
}

// A scan that reaches the end of the format twice without using an item
// fails; the record finished before that is written.
TEST(Units, FormatScanWithoutItems) {
  struct Row {
    const char* scenario;
    const char* input;
    const char* out;
    const char* message;
  };
  const Row rows[] = {
      {"scan_literal_only", "", "x\n",
       "kiv i/o error 246: formatted write, unit 6: infinite format scan for edit descriptor\n"
       "  file \"stdout\", formatted, sequential, last record 1\n"},
      {"scan_reverts_to_literals", "", " 1y\ny\n",
       "kiv i/o error 246: formatted write, unit 6: infinite format scan for edit descriptor\n"
       "  file \"stdout\", formatted, sequential, last record 2\n"},
      {"scan_read_without_items", "a\nb\nc\n", "",
       "kiv i/o error 246: formatted read, unit 5: infinite format scan for edit descriptor\n"
       "  file \"stdin\", formatted, sequential, last record 2\n"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const ChildResult c = run(dir, r.scenario, r.input);
    EXPECT_EQ(c.exit_status, 1) << r.scenario;
    EXPECT_EQ(c.out, r.out) << r.scenario;
    EXPECT_THAT(c.err, HasSubstr(r.message)) << r.scenario;
  }
}

TEST(Units, FileUnitConnectedOnFirstRead) {
  TempDir dir;
  write_file(dir / "fort.11", "a\nb\nc\n");
  const ChildResult c = run(dir, "read_fort");
  EXPECT_EQ(c.exit_status, 0);
  EXPECT_EQ(c.out, "lines=3\n");
  EXPECT_EQ(read_file(dir / "fort.11"), "a\nb\nc\n");  // reading never cuts a file
}

TEST(Units, BufferedTerminalOutputIsCompleteAtTheEnd) {
  TempDir dir;
  const ChildResult c = run(dir, "many_records");
  EXPECT_EQ(c.exit_status, 0);
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string n = std::to_string(i);
    expected += std::string(5 - n.size(), ' ') + n + "\n";
  }
  EXPECT_EQ(c.out, expected);
}

}  // namespace
