// The prompt-and-answer cycle driven as a person would: a real child process
// fed typed lines, with the exact bytes of the terminal, the transcript
// (fort.7) and the save file (fort.49) checked for each dialogue shape.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/input/dialogue.h"

namespace {

using input_test::ask;
using input_test::Dialogue;
using input_test::kNoFile;
using input_test::run_dialogue;
using input_test::operator+;

const std::string kPrompt = "Enter an interframe delay time in seconds:  (default = 0.0)";
const std::string kPromptLine = " " + kPrompt + "\n";

// Records of the display of defaults (1X then the field).
const std::string kG13_zero = "  0.000000E+00\n";   // G13.6 of 0.0
const std::string kG13_half = "  0.500000    \n";   // G13.6 of 0.5
const std::string kG13_12_5 = "   12.5000    \n";   // G13.6 of 12.5
const std::string kG13_one = "   1.00000    \n";
const std::string kG13_two = "   2.00000    \n";
const std::string kG13_three = "   3.00000    \n";

std::vector<std::string> delay(const std::string& defaults = "0") {
  return ask("F", 4, 1, 1, "DELAY_TIME=", kPrompt, defaults);
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int k = 0; k < n; ++k) out += s;
  return out;
}

void expect_files(const Dialogue& d, const std::string& out, const std::string& fort7, const std::string& fort49,
                  const std::string& result, int status = 0) {
  EXPECT_EQ(d.status, status) << d.err;
  EXPECT_EQ(d.out, out);
  EXPECT_EQ(d.fort7, fort7);
  EXPECT_EQ(d.fort49, fort49);
  EXPECT_EQ(d.result, result);
}

TEST(Dialogue, TypedAnswer) {
  const Dialogue d = run_dialogue(delay(), "0.5\n");
  expect_files(d, kPromptLine + " DELAY_TIME=", kPromptLine + " DELAY_TIME=0.5\n", " DELAY_TIME=0.5\n",
               "DELAY_TIME= 0.5\n");
}

TEST(Dialogue, EmptyAnswerKeepsAndShowsTheDefault) {
  Dialogue d = run_dialogue(delay(), "\n");
  expect_files(d, kPromptLine + " DELAY_TIME=" + kG13_zero, kPromptLine + " DELAY_TIME=\n" + kG13_zero,
               " DELAY_TIME=\n" + kG13_zero, "DELAY_TIME= 0\n");
  d = run_dialogue(delay("12.5"), "\n");
  expect_files(d, kPromptLine + " DELAY_TIME=" + kG13_12_5, kPromptLine + " DELAY_TIME=\n" + kG13_12_5,
               " DELAY_TIME=\n" + kG13_12_5, "DELAY_TIME= 12.5\n");
}

TEST(Dialogue, PresetAnswerIsEchoedAndNothingIsRead) {
  const Dialogue d =
      run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "DELAY_TIME=0.5"} + delay(), "", {}, true);
  expect_files(d, kPromptLine + " DELAY_TIME=0.5\n", kPromptLine + " DELAY_TIME=0.5\n", " DELAY_TIME=0.5\n",
               "DELAY_TIME= 0.5\n");
}

TEST(Dialogue, ArrayWithARange) {
  const std::string prompt = "Enter the values for $ to be used in the do-loop:";
  const Dialogue d = run_dialogue(ask("F", 4, 256, 0, "$=", prompt, "-"), "1:5 10\n");
  expect_files(d, " " + prompt + "\n $=", " " + prompt + "\n $=1:5 10\n", " $=1:5 10\n",
               "$= 1 2 3 4 5 10" + repeat(" END", 250) + "\n");
}

TEST(Dialogue, RefusedEmptyAnswerInModeZero) {
  const Dialogue d = run_dialogue(ask("F", 4, 4, 0, "$=", "P", "-"), "\n\n7\n");
  const std::string refusal = " ERROR:  NO DEFAULT IS POSSIBLE\n";
  expect_files(d, " P\n $=" + refusal + " P\n $=" + refusal + " P\n $=",
               " P\n $=\n" + refusal + " P\n $=\n" + refusal + " P\n $=7\n", " $=\n $=\n $=7\n",
               "$= 7 END END END\n");
}

TEST(Dialogue, AbsentKeywordInModeFour) {
  const Dialogue d = run_dialogue(ask("F", 4, 3, 4, "&=", "P", "1 2 3"), "", {}, true);
  expect_files(d, " P\n &=\n", " P\n &=\n" + kG13_one + kG13_two + kG13_three, kG13_one + kG13_two + kG13_three,
               "&= 1 2 3\n");
}

TEST(Dialogue, AbsentKeywordInModeTwoShowsDefaults) {
  const Dialogue d = run_dialogue(ask("F", 4, 3, 2, "&=", "P", "1 2 END"), "", {}, true);
  expect_files(d, " P\n &=\n" + kG13_one + kG13_two, " P\n &=\n" + kG13_one + kG13_two, kG13_one + kG13_two,
               "&= 1 2 END\n");
}

TEST(Dialogue, AbsentKeywordInNegativeModeShowsDefaults) {
  const Dialogue d = run_dialogue(ask("F", 4, 1, -1, "K=", "P", "0.5"), "", {}, true);
  expect_files(d, " P\n K=\n" + kG13_half, " P\n K=\n" + kG13_half, kG13_half, "K= 0.5\n");
}

TEST(Dialogue, ModeThreeEmptyAnswerShowsNothingOnTheTerminal) {
  const Dialogue d = run_dialogue(ask("F", 4, 1, 3, "K=", "P", "0.5"), "\n");
  expect_files(d, " P\n K=", " P\n K=\n" + kG13_half, " K=\n" + kG13_half, "K= 0.5\n");
}

TEST(Dialogue, StoredEmptyValueIsAskedAtTheTerminalEvenInModeTwo) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "K="} +
                                      ask("I", 4, 1, 2, "K=", "P", "1"),
                                  "4\n");
  expect_files(d, " P\n K=", " P\n K=4\n", " K=4\n", "K= 4\n");
}

TEST(Dialogue, EmptyKeywordFindsNothingInANeverLoadedStore) {
  // The question is asked at the terminal (modes 0, 1, 3) or not at all.
  Dialogue d = run_dialogue(ask("F", 4, 2, 1, "", "P", "-"), "5\n");
  expect_files(d, " P\n ", " P\n 5\n", " 5\n", " 5 END\n");
  d = run_dialogue(ask("I", 4, 2, 2, "", "P", "7 END"), "", {}, true);
  expect_files(d, " P\n \n          7\n", " P\n \n          7\n", "          7\n", " 7 END\n");
}

TEST(Dialogue, FailedPresetAnswerIsAskedAgainWithoutCue) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "K=abc"} +
                                      ask("F", 4, 1, 1, "K=", "P", "0"),
                                  "3\n");
  const std::string refusal = " ERROR:  ILLEGAL CHARACTERS IN NUMERIC ANSWER\n";
  expect_files(d, " P\n K=abc\n" + refusal + " P\n", " P\n K=abc\n" + refusal + " P\n K=3\n", " K=abc\n K=3\n",
               "K= 3\n");
}

TEST(Dialogue, LongAnswersOf49And50Characters) {
  const std::string a49 = "abcd efgh ijkl mnop qrst uvwx yzab cdef ghij klmn";  // 49
  const std::string a50 = a49 + "o";
  ASSERT_EQ(a49.size(), 49u);
  const std::string words50 = " abcd\n efgh\n ijkl\n mnop\n qrst\n uvwx\n yzab\n cdef\n ghij\n klmno\n";
  // Preset: repeated on the terminal.
  Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "K=" + a49} +
                                ask("A", 64, 1, 1, "K=", "P", "-"),
                            "", {}, true);
  expect_files(d, " P\n K=" + a49 + "\n", " P\n K=" + a49 + "\n", " K=" + a49 + "\n",
               "K= " + a49 + repeat("\\0", 15) + "\n");
  d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "K=" + a50} + ask("A", 64, 1, 1, "K=", "P", "-"),
                   "", {}, true);
  expect_files(d, " P\n K=\n" + words50, " P\n K=\n" + words50, " K=\n" + words50,
               "K= " + a50 + repeat("\\0", 14) + "\n");
  // Typed: not repeated on the terminal.
  d = run_dialogue(ask("A", 64, 1, 1, "K=", "P", "-"), a49 + "\n");
  expect_files(d, " P\n K=", " P\n K=" + a49 + "\n", " K=" + a49 + "\n", "K= " + a49 + repeat("\\0", 15) + "\n");
  d = run_dialogue(ask("A", 64, 1, 1, "K=", "P", "-"), a50 + "\n");
  expect_files(d, " P\n K=", " P\n K=\n" + words50, " K=\n" + words50, "K= " + a50 + repeat("\\0", 14) + "\n");
}

TEST(Dialogue, LinesLongerThan80CharactersAreTakenWhole) {
  std::string line;
  std::string stored;
  std::string words;
  for (int k = 1; k <= 40; ++k) {
    line += std::to_string(k) + " ";
    stored += " " + std::to_string(k);
    words += " " + std::to_string(k) + "\n";
  }
  ASSERT_GT(line.size(), 80u);
  const Dialogue d = run_dialogue(ask("I", 4, 50, 1, "N=", "P", "-"), line + "\n");
  expect_files(d, " P\n N=", " P\n N=\n" + words, " N=\n" + words, "N=" + stored + repeat(" END", 10) + "\n");
}

TEST(Dialogue, LinesLongerThanTheAnswerRecordAreCutAt4096) {
  const std::string line(4100, 'z');
  const Dialogue d = run_dialogue(ask("A", 4200, 1, 1, "T=", "P", "-"), line + "\n");
  const std::string kept(4096, 'z');
  expect_files(d, " P\n T=", " P\n T=\n " + kept + "\n", " T=\n " + kept + "\n",
               "T= " + kept + repeat("\\0", 104) + "\n");
}

TEST(Dialogue, WriteFilesTrueLeavesTranscriptAndSaveFileAlone) {
  Dialogue d = run_dialogue(std::vector<std::string>{"write_files"} + delay(), "0.5\n");
  expect_files(d, kPromptLine + " DELAY_TIME=", kNoFile, kNoFile, "DELAY_TIME= 0.5\n");
  d = run_dialogue(std::vector<std::string>{"write_files"} + delay("0.5"), "\n");
  expect_files(d, kPromptLine + " DELAY_TIME=" + kG13_half, kNoFile, kNoFile, "DELAY_TIME= 0.5\n");
  d = run_dialogue(std::vector<std::string>{"write_files", "strkey", "", "addkey", "DELAY_TIME=0.5"} + delay(), "",
                   {}, true);
  expect_files(d, kPromptLine + " DELAY_TIME=0.5\n", kNoFile, kNoFile, "DELAY_TIME= 0.5\n");
}

TEST(Dialogue, DisplayOfDefaultsByType) {
  struct Row {
    std::string type;
    int len, count;
    std::string defaults;
    std::string records;
  };
  const Row rows[] = {
      {"F", 8, 2, "0.25 END", "  0.250000000    \n"},
      {"F", 4, 3, "1 2 END", kG13_one + kG13_two},
      {"F", 4, 3, "END 2 3", ""},
      {"I", 4, 5, "1 -2 3 40 -2147483647", "          1\n         -2\n          3\n         40\n **********\n"},
      {"I", 4, 3, "7 END 9", "          7\n"},
      {"I", 2, 4, "7 -3 END 9", "          7\n         -3\n"},
      {"L", 4, 3, "T F T", " T\n F\n T\n"},
      {"L", 1, 2, "F T", " F\n T\n"},
      {"A", 3, 2, "ab", std::string(" ab\0\0\0\0\n", 8)},
      {"x", 4, 2, "1 2", ""},  // an unknown letter displays nothing
      {"f", 8, 2, "1 2", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type + std::to_string(r.len) + " " + r.defaults);
    const Dialogue d = run_dialogue(ask(r.type, r.len, r.count, 1, "K=", "P", r.defaults), "\n");
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out, " P\n K=" + r.records);
    EXPECT_EQ(d.fort7, " P\n K=\n" + r.records);
    EXPECT_EQ(d.fort49, " K=\n" + r.records);
  }
}

TEST(Dialogue, TypeLetters) {
  // Lower-case f behaves as F: 8 bytes accepted, numbers decoded.
  Dialogue d = run_dialogue(ask("f", 8, 2, 1, "K=", "P", "-"), "2.5\n");
  expect_files(d, " P\n K=", " P\n K=2.5\n", " K=2.5\n", "K= 2.5 END\n");
  // Only the first character of the type counts.
  d = run_dialogue(ask("INTEGER", 4, 1, 1, "K=", "P", "-"), "2.5\n");
  expect_files(d, " P\n K=", " P\n K=2.5\n", " K=2.5\n", "K= 3\n");
  // Text of any length, 1 and 4096 included.
  d = run_dialogue(ask("A", 1, 1, 1, "K=", "P", "-"), "xyz\n");
  expect_files(d, " P\n K=", " P\n K=xyz\n", " K=xyz\n", "K= x\n");
  d = run_dialogue(ask("A", 4096, 1, 1, "K=", "P", "-"), "hi\n");
  expect_files(d, " P\n K=", " P\n K=hi\n", " K=hi\n", "K= hi" + repeat("\\0", 4094) + "\n");
  d = run_dialogue(ask("L", 2, 2, 1, "K=", "P", "F F"), "yes\n");
  expect_files(d, " P\n K=", " P\n K=yes\n", " K=yes\n", "K= ffff 0000\n");
}

TEST(Dialogue, PromptOfASingleBlank) {
  const Dialogue d = run_dialogue(ask("I", 4, 1, 1, "FRAME_BUFFER=", " ", "11"), "3\n");
  expect_files(d, "  \n FRAME_BUFFER=", "  \n FRAME_BUFFER=3\n", " FRAME_BUFFER=3\n", "FRAME_BUFFER= 3\n");
}

TEST(Dialogue, FatalLengthChecksEndTheRunWithStatusZero) {
  struct Row {
    std::string type;
    int len;
    std::string text;
  };
  const Row rows[] = {
      {"F", 2, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE"},
      {"F", 0, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE"},
      {"I", 8, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE"},
      {"x", 2, "ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE"},
      {"L", 3, "ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE"},
      {"L", 8, "ILLEGAL LENGTH OF PARAMETER FOR LOGICAL DATA TYPE"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type + std::to_string(r.len));
    const Dialogue d = run_dialogue(ask(r.type, r.len, 1, 1, "K=", "P", "-"), "1\n");
    const std::string report = " FATAL ERROR:  " + r.text + "\n";
    expect_files(d, report, report, kNoFile, "");
  }
}

TEST(Dialogue, LoweredThresholdLetsTheCallGoOn) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"setlev", "-5"} + ask("I", 8, 2, 1, "K=", "P", "-"), "5\n");
  const std::string report = " FATAL ERROR:  ILLEGAL LENGTH OF PARAMETER FOR THIS DATA TYPE\n";
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out, report + " P\n K=");
  EXPECT_EQ(d.fort7, report + " P\n K=5\n");
}

TEST(Dialogue, EndOfInputEndsTheRunWithStatusOne) {
  const Dialogue d = run_dialogue(delay(), "", {}, true);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.out, kPromptLine + " DELAY_TIME=");
  EXPECT_NE(d.err.find("attempt to read past end of file"), std::string::npos) << d.err;
  EXPECT_EQ(d.result, "");
}

TEST(Dialogue, RefusedAnswersAreReportedAndAskedAgain) {
  struct Row {
    std::string type;
    int count;
    std::string bad, good;
    std::string report;
    std::string result;
  };
  const Row rows[] = {
      {"F", 256, "1:2:3:4", "5", " ERROR:  ERROR IN DO-LOOP\n", "K= 5" + repeat(" END", 255)},
      {"F", 256, "1:", "5", " ERROR:  ERROR IN DO-LOOP\n", "K= 5" + repeat(" END", 255)},
      {"F", 3, "1 2 3 4", "9", " ERROR:  NUMBER OF ARRAYELEMENTS EXCEEDED\n", "K= 9 END END"},
      {"F", 3, "1:4", "1 2 3", " ERROR:  NUMBER OF ARRAYELEMENTS EXCEEDED\n", "K= 1 2 3"},
      {"F", 1, "abc", "2", " ERROR:  ILLEGAL CHARACTERS IN NUMERIC ANSWER\n", "K= 2"},
      {"F", 1, "$", "2", " ERROR:  NO ACTIVE DO-LOOP FOR $ OR &\n", "K= 2"},
      {"I", 1, "1E10", "2", " ERROR:  INTEGER VALUE OUT OF RANGE\n", "K= 2"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bad);
    const Dialogue d = run_dialogue(ask(r.type, 4, r.count, 0, "K=", "P", "-"), r.bad + "\n" + r.good + "\n");
    expect_files(d, " P\n K=" + r.report + " P\n K=", " P\n K=" + r.bad + "\n" + r.report + " P\n K=" + r.good + "\n",
                 " K=" + r.bad + "\n K=" + r.good + "\n", r.result + "\n");
  }
}

TEST(Dialogue, SaveFileNamedAndRestoredInALaterRun) {
  testing_support::TempDir keep;
  const std::string file = keep / "answers.sav";
  Dialogue d = run_dialogue(std::vector<std::string>{"save", file} + delay() + ask("F", 4, 8, 1, "$=", "P", "-") +
                                std::vector<std::string>{"savec", "KEEP"},
                            "0.5\n1:3 7\n");
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.fort49, kNoFile);
  EXPECT_EQ(testing_support::read_file(file), " DELAY_TIME=0.5\n $=1:3 7\n");
  // A later run answers both questions from the file, reading nothing.
  d = run_dialogue(std::vector<std::string>{"strkey", "", "restr", file} + delay() + ask("F", 4, 8, 1, "$=", "P", "-"),
                   "", {}, true);
  expect_files(d, kPromptLine + " DELAY_TIME=0.5\n P\n $=1:3 7\n", kPromptLine + " DELAY_TIME=0.5\n P\n $=1:3 7\n",
               " DELAY_TIME=0.5\n $=1:3 7\n", "DELAY_TIME= 0.5\n$= 1 2 3 7 END END END END\n");
}

TEST(Dialogue, RestoringAMissingSaveFileAsksForConfirmation) {
  const Dialogue d = run_dialogue({"strkey", "( A=1)", "restr", "missing.sav"}, "C\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string report = " POSSIBLE ERROR:  CANT FIND THE SAVE FILE\n Enter \"C\" if you wish to proceed\n";
  EXPECT_EQ(d.out, report);
  EXPECT_EQ(d.fort7, report);
}

}  // namespace
