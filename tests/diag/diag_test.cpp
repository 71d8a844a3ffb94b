// Reports and messages, checked byte for byte on standard output and in the
// transcript fort.7, with the order in which the two units received them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/child.h"

namespace {

using ::testing::HasSubstr;
using testing_support::ChildResult;
using testing_support::ChildSpec;
using testing_support::TempDir;

struct ChildRun {
  ChildResult result;
  std::string transcript;  // empty when fort.7 was never created
  bool transcript_exists = false;
  std::string order;       // "UNIT|TEXT" per record, in the order written
};

ChildRun run(const std::vector<std::string>& steps, const std::string& input = "",
        std::vector<std::string> env = {}) {
  TempDir dir;
  ChildSpec spec;
  spec.argv = {DIAG_CHILD};
  spec.argv.insert(spec.argv.end(), steps.begin(), steps.end());
  env.push_back("PATH=/usr/bin:/bin");
  spec.env = env;
  spec.cwd = dir.path();
  spec.stdin_text = input;
  ChildRun r;
  r.result = testing_support::run_child(spec, dir.path());
  r.transcript_exists = testing_support::file_exists(dir / "fort.7");
  if (r.transcript_exists) r.transcript = testing_support::read_file(dir / "fort.7");
  r.order = testing_support::read_file(dir / "order.log");
  return r;
}

TEST(Reports, LayoutsAndOrder) {
  struct Row {
    std::vector<std::string> steps;
    const char* lines;  // the same on the terminal and in the transcript
    const char* order;
  };
  const Row rows[] = {
      {{"error:-3:OPEN ERROR FOR SAVE FILE"}, " ERROR:  OPEN ERROR FOR SAVE FILE\n",
       "7| ERROR:  OPEN ERROR FOR SAVE FILE\n6| ERROR:  OPEN ERROR FOR SAVE FILE\n"},
      {{"error:-1:NO DEFAULT IS POSSIBLE"}, " ERROR:  NO DEFAULT IS POSSIBLE\n",
       "7| ERROR:  NO DEFAULT IS POSSIBLE\n6| ERROR:  NO DEFAULT IS POSSIBLE\n"},
      {{"error:0:careful"}, " WARNING!  careful\n Execution continues\n",
       "7| WARNING!  careful\n7| Execution continues\n6| WARNING!  careful\n6| Execution continues\n"},
      {{"error:-3:two blanks  "}, " ERROR:  two blanks  \n",
       "7| ERROR:  two blanks  \n6| ERROR:  two blanks  \n"},
      {{"error:-1:"}, " ERROR:  \n", "7| ERROR:  \n6| ERROR:  \n"},
      {{"setlev:-5", "error:-4:ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE"},
       " FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE\n",
       "7| FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE\n"
       "6| FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE\n"},
      {{"setlev:-3", "error:-2:Buffer not wide enough for image;  try again"},
       " POSSIBLE ERROR:  Buffer not wide enough for image;  try again\n"
       " Enter \"C\" if you wish to proceed\n",
       "7| POSSIBLE ERROR:  Buffer not wide enough for image;  try again\n"
       "7| Enter \"C\" if you wish to proceed\n"
       "6| POSSIBLE ERROR:  Buffer not wide enough for image;  try again\n"
       "6| Enter \"C\" if you wish to proceed\n"},
  };
  for (const auto& r : rows) {
    const ChildRun run_result = run(r.steps);
    EXPECT_EQ(run_result.result.exit_status, 0) << r.steps.back();
    EXPECT_EQ(run_result.result.out, r.lines) << r.steps.back();
    EXPECT_EQ(run_result.transcript, r.lines) << r.steps.back();
    EXPECT_EQ(run_result.order, r.order) << r.steps.back();
    EXPECT_EQ(run_result.result.err, "") << r.steps.back();
  }
}

TEST(Reports, OtherLevelsWriteNothing) {
  for (const char* step : {"error:1:text", "error:-5:text", "error:5:text", "error:-100:text"}) {
    const ChildRun r = run({step});
    EXPECT_EQ(r.result.exit_status, 0) << step;
    EXPECT_EQ(r.result.out, "") << step;
    EXPECT_FALSE(r.transcript_exists) << step;  // not even created
  }
}

TEST(Messages, TerminalFirstThenTranscript) {
  struct Row {
    std::vector<std::string> steps;
    const char* out;
    const char* transcript;
    const char* order;
  };
  const Row rows[] = {
      {{"message:Do-loop has terminated"}, " Do-loop has terminated\n", " Do-loop has terminated\n",
       "6| Do-loop has terminated\n7| Do-loop has terminated\n"},
      {{"message:"}, " \n", " \n", "6| \n7| \n"},
      {{"message:keep  "}, " keep  \n", " keep  \n", "6| keep  \n7| keep  \n"},
      // write_files true: the transcript gets nothing from message, but reports still.
      {{"files:-1", "message:quiet"}, " quiet\n", nullptr, "6| quiet\n"},
      {{"files:2", "message:even value"}, " even value\n", " even value\n",
       "6| even value\n7| even value\n"},
      {{"files:1", "message:quiet", "error:-1:loud"}, " quiet\n ERROR:  loud\n", " ERROR:  loud\n",
       "6| quiet\n7| ERROR:  loud\n6| ERROR:  loud\n"},
  };
  for (const auto& r : rows) {
    const ChildRun run_result = run(r.steps);
    EXPECT_EQ(run_result.result.exit_status, 0) << r.steps.back();
    EXPECT_EQ(run_result.result.out, r.out) << r.steps.back();
    EXPECT_EQ(run_result.transcript_exists, r.transcript != nullptr) << r.steps.back();
    if (r.transcript != nullptr) {
      EXPECT_EQ(run_result.transcript, r.transcript) << r.steps.back();
    }
    EXPECT_EQ(run_result.order, r.order) << r.steps.back();
  }
}

// Level -2 at the initial threshold reads one line; every answer continues.
TEST(Confirmation, ConsumesOneLine) {
  struct Row {
    const char* input;
  };
  const Row rows[] = {{"C\nnext\n"}, {"Cxyz and more\nnext\n"}, {"\nnext\n"}, {"n\nnext\n"},
                      {"q\nnext"}};
  const std::string report =
      " POSSIBLE ERROR:  CANT FIND THE SAVE FILE\n Enter \"C\" if you wish to proceed\n";
  for (const auto& r : rows) {
    const ChildRun run_result = run({"error:-2:CANT FIND THE SAVE FILE", "read"}, r.input);
    EXPECT_EQ(run_result.result.exit_status, 0) << r.input;
    EXPECT_EQ(run_result.result.out, report + " [next]\n") << r.input;
    // Nothing of the answer reaches the transcript.
    EXPECT_EQ(run_result.transcript, report + " [next]\n") << r.input;
  }
}

TEST(Confirmation, FromAPipe) {
  TempDir dir;
  ChildSpec spec;
  spec.argv = {"/bin/sh", "-c",
               std::string("printf 'C\\nnext\\n' | ") + DIAG_CHILD +
                   " 'error:-2:CANT FIND THE SAVE FILE' read"};
  spec.env = {"PATH=/usr/bin:/bin"};
  spec.cwd = dir.path();
  const ChildResult r = testing_support::run_child(spec, dir.path());
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out,
            " POSSIBLE ERROR:  CANT FIND THE SAVE FILE\n Enter \"C\" if you wish to proceed\n"
            " [next]\n");
}

TEST(Confirmation, EndOfInputIsFatal) {
  const ChildRun r = run({"error:-2:CANT FIND THE SAVE FILE", "message:not reached"}, "");
  EXPECT_EQ(r.result.exit_status, 1);
  EXPECT_EQ(r.result.out,
            " POSSIBLE ERROR:  CANT FIND THE SAVE FILE\n Enter \"C\" if you wish to proceed\n");
  EXPECT_THAT(r.result.err,
              HasSubstr("kiv i/o error 217: formatted read, unit 5: attempt to read past end of file"));
  EXPECT_EQ(r.transcript, r.result.out);
}

TEST(Confirmation, ThresholdSkipsTheRead) {
  for (const char* level : {"setlev:-3", "setlev:-4", "setlev:-5"}) {
    const ChildRun r = run({level, "error:-2:x", "read"}, "line\n");
    EXPECT_EQ(r.result.exit_status, 0) << level;
    EXPECT_EQ(r.result.out, " POSSIBLE ERROR:  x\n Enter \"C\" if you wish to proceed\n [line]\n")
        << level;
  }
}

TEST(FatalReports, StopTheRun) {
  struct Row {
    std::vector<std::string> steps;
    std::vector<std::string> env;
    const char* err;
  };
  const std::string text = "error:-4:ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE";
  const Row rows[] = {
      {{"message:before", text, "message:not reached"}, {}, "STOP\n"},
      {{"setlev:-3", "message:before", text, "message:not reached"}, {}, "STOP\n"},
      {{"setlev:-4", "message:before", text, "message:not reached"}, {}, "STOP\n"},
      {{"message:before", text, "message:not reached"}, {"NO_STOP_MESSAGE=yes"}, ""},
      {{"setlev:0", "message:before", text, "message:not reached"}, {}, "STOP\n"},
  };
  const std::string lines = " before\n FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE\n";
  for (const auto& r : rows) {
    const ChildRun run_result = run(r.steps, "", r.env);
    EXPECT_EQ(run_result.result.exit_status, 0) << r.steps.front();
    EXPECT_EQ(run_result.result.err, r.err) << r.steps.front();
    EXPECT_EQ(run_result.result.out, lines) << r.steps.front();
    EXPECT_EQ(run_result.transcript, lines) << r.steps.front();
  }
  const ChildRun returns = run({"setlev:-5", text, "message:after"});
  EXPECT_EQ(returns.result.exit_status, 0);
  EXPECT_EQ(returns.result.err, "");
  EXPECT_EQ(returns.result.out,
            " FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE\n after\n");
}

}  // namespace
