// The focus sequence run as a user runs it: kivdemo2 and fbview as real
// processes on a real FIFO pair in a temporary directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/child.h"
#include "tests/common/png_read.h"

namespace {

using testing_support::ChildResult;
using testing_support::ChildSpec;
using testing_support::TempDir;

const std::string kBin = KIV_BIN_DIR;
const std::string kGolden = KIV_GOLDEN_DIR;

const std::string kPrompt = " Enter an interframe delay time in seconds:  (default = 0.0)\n";

// A scratch directory holding the FIFO pair and the run's working directory.
struct Rig {
  TempDir dir;
  std::string in = dir / "imt1i";
  std::string out = dir / "imt1o";
  std::string run = dir / "run";
  Rig() {
    EXPECT_EQ(mkfifo(in.c_str(), 0600), 0);
    EXPECT_EQ(mkfifo(out.c_str(), 0600), 0);
    EXPECT_EQ(mkdir(run.c_str(), 0700), 0);
  }
  std::vector<std::string> client_env() const {
    return {"HOME=" + dir.path(), "INDEV=" + in, "OUTDEV=" + out, "PATH=/usr/bin:/bin"};
  }
  ChildSpec server(std::vector<std::string> extra = {}) const {
    ChildSpec s;
    s.argv = {kBin + "/fbview", "--in", in, "--out", out, "--once", "--view", "none"};
    s.argv.insert(s.argv.end(), extra.begin(), extra.end());
    s.env = {"HOME=" + dir.path(), "PATH=/usr/bin:/bin"};
    s.stdin_closed = true;
    return s;
  }
  ChildSpec client(const std::string& answer) const {
    ChildSpec c;
    c.argv = {kBin + "/kivdemo2"};
    c.env = client_env();
    c.cwd = run;
    c.stdin_text = answer;
    return c;
  }
  // Runs fbview and kivdemo2 together; returns both results.
  std::pair<ChildResult, ChildResult> run_pair(const std::string& answer,
                                               std::vector<std::string> server_args = {}) const {
    auto server_child = testing_support::start_child(server(std::move(server_args)), dir.path());
    // The client's writes need a reader: start it once the server reads the FIFO.
    EXPECT_TRUE(testing_support::wait_until_open(server_child.pid, out));
    auto client_result = testing_support::run_child(client(answer), dir.path());
    auto server_result = testing_support::wait_child(server_child);
    return {client_result, server_result};
  }
};

// Both programs ended normally.
void expect_clean_ends(const ChildResult& client, const ChildResult& server) {
  EXPECT_EQ(client.exit_status, 0) << client.err.substr(0, 300);
  EXPECT_EQ(server.exit_status, 0) << server.err.substr(0, 300);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

TEST(FocusSequence, EmptyAnswerRunsTheWholeSequenceAgainstTheServer) {
  Rig rig;
  const std::string trace = rig.dir / "trace.txt";
  const std::string png = rig.dir / "last.png";
  auto [client, server] = rig.run_pair("\n", {"--trace", trace, "--png", png});

  expect_clean_ends(client, server);
  EXPECT_EQ(client.err.substr(0, 300), "");

  // The dialogue of an empty answer: the default is shown on the terminal.
  EXPECT_EQ(client.out, kPrompt + " DELAY_TIME=  0.000000E+00\n");
  EXPECT_EQ(testing_support::read_file(rig.run + "/fort.7"),
            kPrompt + " DELAY_TIME=\n  0.000000E+00\n");
  EXPECT_EQ(testing_support::read_file(rig.run + "/fort.49"), " DELAY_TIME=\n  0.000000E+00\n");

  // 5 start-up packets, then 96 world-coordinate + pixel packet pairs.
  const auto packets = lines_of(testing_support::read_file(trace));
  ASSERT_EQ(packets.size(), 197u);
  const std::vector<std::string> startup = {"start", "world-coord", "erase", "draw", "table"};
  // Each line reads: packet N KIND header words... checksum verdict data=LEN
  auto kind_of = [](const std::string& line) {
    std::istringstream s(line);
    std::string word, number, kind;
    s >> word >> number >> kind;
    return kind;
  };
  for (size_t i = 0; i < startup.size(); ++i) EXPECT_EQ(kind_of(packets[i]), startup[i]) << packets[i];
  for (size_t i = 5; i < packets.size(); i += 2) {
    EXPECT_EQ(kind_of(packets[i]), "world-coord") << packets[i];
    EXPECT_EQ(kind_of(packets[i + 1]), "pixel") << packets[i + 1];
  }
  for (const auto& line : packets) EXPECT_NE(line.find(" checksum-ok "), std::string::npos) << line;

  // The frame buffer ends with the last image (W = 2) at column 32, line 96.
  testing_support::RgbImage image;
  ASSERT_TRUE(testing_support::read_png_rgb(png, image));
  ASSERT_EQ(image.width, 128);
  ASSERT_EQ(image.height, 128);
  std::ifstream golden_file(kGolden + "/last-frame.pgm");
  ASSERT_TRUE(golden_file) << "golden file missing";
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  golden_file >> magic >> w >> h >> maxval;
  ASSERT_EQ(magic, "P2");
  ASSERT_EQ(w, 128);
  ASSERT_EQ(h, 128);
  int mismatches = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      int expected = 0;
      golden_file >> expected;
      // The grey map gives equal red, green and blue.
      if (image.red(x, y) != expected && ++mismatches < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << int(image.red(x, y)) << " expected " << expected;
    }
  EXPECT_EQ(mismatches, 0);
}

TEST(FocusSequence, DelayIsSpentInProcessorTime) {
  Rig rig;
  auto [client, server] = rig.run_pair("0.01\n");
  expect_clean_ends(client, server);
  // 96 waits of 0.01 s of processor time each.
  EXPECT_GE(client.user_seconds + client.system_seconds, 0.96);
}

TEST(FocusSequence, NegativeDelayDoesNotWait) {
  Rig rig;
  auto [client, server] = rig.run_pair("-5\n");
  expect_clean_ends(client, server);
  EXPECT_LT(client.user_seconds + client.system_seconds, 0.5);
}

TEST(FocusSequence, ServerPaceHoldsTheClientWithoutSpinning) {
  Rig rig;
  auto [client, server] = rig.run_pair("\n", {"--pace", "20"});
  expect_clean_ends(client, server);
  // 96 loads held 20 ms each, while the client blocks in its writes.
  EXPECT_GE(server.wall_seconds, 1.9);
  EXPECT_LT(client.user_seconds + client.system_seconds, 0.5);
}

// Runs kivdemo2 alone, with no display server.
ChildResult run_client_alone(const Rig& rig, std::vector<std::string> env, const std::string& answer,
                             bool stdin_closed = false) {
  ChildSpec c = rig.client(answer);
  c.env = std::move(env);
  c.stdin_closed = stdin_closed;
  return testing_support::run_child(c, rig.dir.path());
}

// 5 start-up packets and 96 loads of two packets, each written as header and data.
constexpr int kWrites = 2 * (5 + 96 * 2);

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(FocusSequence, WithoutHomeTheRunGoesOnWithoutADisplay) {
  Rig rig;
  auto r = run_client_alone(rig, {"INDEV=" + rig.in, "OUTDEV=" + rig.out}, "\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err.rfind("(si_open_namedpipe_) can't find HOME\n", 0), 0u) << r.err;
  EXPECT_EQ(count_of(r.err, "(si_write_) can't write\nBad file descriptor\n"), kWrites);
  EXPECT_EQ(r.out, kPrompt + " DELAY_TIME=  0.000000E+00\n");
}

TEST(FocusSequence, WithoutFifosTheRunGoesOnWithoutADisplay) {
  Rig rig;
  TempDir empty_home;
  auto r = run_client_alone(rig, {"HOME=" + empty_home.path()}, "\n");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err.rfind("(si_open_namedpipe_) can't open named pipes\nNo such file or directory\n", 0), 0u)
      << r.err.substr(0, 200);
  EXPECT_EQ(count_of(r.err, "(si_write_) can't write\nBad file descriptor\n"), kWrites);
}

TEST(FocusSequence, EndOfInputAtTheQuestionEndsWithStatusOne) {
  Rig rig;
  auto r = run_client_alone(rig, rig.client_env(), "", /*stdin_closed=*/true);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.err.find("217"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("attempt to read past end of file"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, kPrompt + " DELAY_TIME=");
  // The prompt reached the transcript before the failure.
  EXPECT_EQ(testing_support::read_file(rig.run + "/fort.7"), kPrompt);
}

}  // namespace
