// Loop ranges: do_loop asks for the $ list, takes the & list from the keyword
// buffer or copies the $ list, and steps through the pairs with a progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/input/dialogue.h"

namespace {

using input_test::Dialogue;
using input_test::run_dialogue;
using input_test::operator+;

const std::string kDollarPrompt = " Enter the values for $ to be used in the do-loop:\n";
const std::string kAmpPrompt = " Enter the values for & to be used in the do-loop:\n";
const std::string kEnd = " Do-loop has terminated\n";

// " DO-LOOP:  $=" G11.4 "   &=" G11.4, with the G11.4 fields given.
std::string progress(const std::string& dollar, const std::string& ampersand) {
  return " DO-LOOP:  $=" + dollar + "   &=" + ampersand + "\n";
}

const std::string g1 = "  1.000    ", g2 = "  2.000    ", g3 = "  3.000    ";
const std::string g10 = "  10.00    ", g20 = "  20.00    ", g30 = "  30.00    ";

std::vector<std::string> steps(int calls) {
  std::vector<std::string> args{"do", "0"};
  for (int k = 1; k < calls; ++k) args.insert(args.end(), {"do", "1"});
  return args;
}

TEST(Loop, PresetAmpersandListPairsWithTypedDollarList) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "&=10 20 30"} + steps(4), "1 2 3\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string lines = progress(g1, g10) + progress(g2, g20) + progress(g3, g30);
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=10 20 30\n" + lines + kEnd);
  EXPECT_EQ(d.fort7, kDollarPrompt + " $=1 2 3\n" + kAmpPrompt + " &=10 20 30\n" + lines + kEnd);
  EXPECT_EQ(d.fort49, " $=1 2 3\n &=10 20 30\n");
  EXPECT_EQ(d.result, "do 1\ndo 2\ndo 3\ndo 0\n");
}

TEST(Loop, WithoutAmpersandListBothListsAreEqual) {
  const Dialogue d = run_dialogue(steps(4), "1 2 3\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string lines = progress(g1, g1) + progress(g2, g2) + progress(g3, g3);
  // The copied & list is only listed on the transcript and the save file.
  const std::string listed = "   1.00000    \n   2.00000    \n   3.00000    \n";
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=\n" + lines + kEnd);
  EXPECT_EQ(d.fort7, kDollarPrompt + " $=1 2 3\n" + kAmpPrompt + " &=\n" + listed + lines + kEnd);
  EXPECT_EQ(d.fort49, " $=1 2 3\n" + listed);
  EXPECT_EQ(d.result, "do 1\ndo 2\ndo 3\ndo 0\n");
}

TEST(Loop, RangeNotationInTheDollarList) {
  const Dialogue d = run_dialogue(steps(6), "1:9:2\n");
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.result, "do 1\ndo 2\ndo 3\ndo 4\ndo 5\ndo 0\n");
  const std::string g5 = "  5.000    ", g7 = "  7.000    ", g9 = "  9.000    ";
  EXPECT_NE(d.out.find(progress(g9, g9) + kEnd), std::string::npos) << d.out;
  EXPECT_NE(d.out.find(progress(g5, g5) + progress(g7, g7)), std::string::npos) << d.out;
}

TEST(Loop, ShorterAmpersandListIsReportedAndTheLoopRunsOn) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "&=10 20"} + steps(4), "1 2 3\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string report = " ERROR:  UNEQUAL RANGE IN DO-LOOP VALUES\n";
  // The third & value is the real end marker stored after the given values.
  const std::string lines = progress(g1, g10) + progress(g2, g20) + progress(g3, "-0.3403E+39");
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=10 20\n" + report + lines + kEnd);
  EXPECT_EQ(d.result, "do 1\ndo 2\ndo 3\ndo 0\n");
}

TEST(Loop, LongerAmpersandListIsRefusedAndAskedAtTheTerminal) {
  const Dialogue d =
      run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "&=10 20 30"} + steps(1), "1 2\n5 6\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string report = " ERROR:  NUMBER OF ARRAYELEMENTS EXCEEDED\n";
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=10 20 30\n" + report + kAmpPrompt +
                       progress(g1, "  5.000    "));
}

TEST(Loop, EmptyDollarListEndsAtOnce) {
  const Dialogue d = run_dialogue(steps(1), ",,,\n");
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=\n" + kEnd);
  EXPECT_EQ(d.result, "do 0\n");
}

TEST(Loop, NonZeroAfterTheEndReplaysThePreviousLists) {
  const Dialogue d = run_dialogue(steps(3) + std::vector<std::string>{"do", "7", "do", "1"}, "1 2\n");
  EXPECT_EQ(d.status, 0) << d.err;
  const std::string lines = progress(g1, g1) + progress(g2, g2);
  EXPECT_EQ(d.out, kDollarPrompt + " $=" + kAmpPrompt + " &=\n" + lines + kEnd + lines);
  EXPECT_EQ(d.result, "do 1\ndo 2\ndo 0\ndo 1\ndo 2\n");
}

TEST(Loop, ZeroIsShownInExponentForm) {
  const Dialogue d = run_dialogue(steps(1), "0\n");
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.out.find(progress(" 0.0000E+00", " 0.0000E+00")), std::string::npos) << d.out;
}

TEST(Loop, PlaceholdersStandForTheCurrentValues) {
  // In each pass a question is answered "$" or "&" (typed), and stores the
  // current value of that loop variable.
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "&=10 20", "loopask", "V="},
                                  "1 2\n$\n&\n");
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.result, "do 1\nV= 1\ndo 2\nV= 20\ndo 0\n");
  EXPECT_NE(d.fort7.find(" Value:\n V=$\n"), std::string::npos);
  EXPECT_NE(d.fort7.find(" Value:\n V=&\n"), std::string::npos);
}

TEST(Loop, PresetDollarListReadsNothing) {
  const Dialogue d = run_dialogue(std::vector<std::string>{"strkey", "", "addkey", "$=4 5"} + steps(3), "", {}, true);
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out, kDollarPrompt + " $=4 5\n" + kAmpPrompt + " &=\n" + progress("  4.000    ", "  4.000    ") +
                       progress("  5.000    ", "  5.000    ") + kEnd);
}

}  // namespace
