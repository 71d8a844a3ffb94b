// Frame-buffer selection and the start-up packets, read back from the FIFO.
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diag/diag.h"
#include "display/kiv.h"
#include "display/state.h"
#include "tests/display/wire.h"

namespace {

using display::display_state;
using display_test::Packet;
using display_test::StdoutCapture;
using display_test::Wire;
using W = std::vector<std::uint16_t>;

std::string word_bytes(std::uint16_t w) {
  std::string s(2, '\0');
  std::memcpy(s.data(), &w, 2);  // host byte order
  return s;
}

const std::string kEraseCursorRecord =
    "10  256      201     1.000     1.000     1.000     1.000     0.000 ";

TEST(StartUp, Choice11Sequence) {
  Wire wire(11, 0, 0);  // size left to kivstart
  display_state().integer4.fb_choice = 11;
  StdoutCapture out;
  display::kivstart();
  EXPECT_EQ(display_state().integer2.fb_width, 128);
  EXPECT_EQ(display_state().integer2.fb_height, 128);
  display::kivfirst();
  display::kivconvlt(768);
  EXPECT_EQ(out.text(), "");  // a preset choice asks nothing
  EXPECT_EQ(display_state().integer2.cur_frame, 1);
  EXPECT_EQ(display_state().integer4.set_index, 0);

  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 5u);
  EXPECT_EQ(display_test::words(packets[0].header), (W{0x0100, 0xFFFD, 12, 0x7EF3, 0x8000, 0, 0, 3}));
  EXPECT_EQ(packets[0].data, std::string(6, '\0'));

  EXPECT_EQ(display_test::words(packets[1].header), (W{0x4000, 0xFFCD, 17, 0xC016, 0, 0, 1, 10}));
  EXPECT_EQ(packets[1].data,
            std::string("         \n1. 0. 0. -1.    1.5   128.5   1. 200. 1\n") + '\0');
  EXPECT_EQ(packets[1].data.size(), 51u);

  EXPECT_EQ(display_test::words(packets[2].header),
            (W{0x220A, 0xFFFF, 5, 0xDCF1, 0x8000, 0x8000, 1, 255}));
  EXPECT_EQ(packets[2].data, word_bytes(0x8000));

  EXPECT_EQ(display_test::words(packets[3].header), (W{0x4000, 0xFFBD, 13, 0xC034, 0, 0, 1, 0}));
  EXPECT_EQ(packets[3].data, kEraseCursorRecord);
  EXPECT_EQ(packets[3].data.size(), 67u);

  EXPECT_EQ(display_test::words(packets[4].header), (W{0x0100, 0xFFFD, 2, 0xFC00, 0, 0, 768, 0}));
  EXPECT_EQ(packets[4].data, std::string(6, '\0'));
}

// The first world-coordinate record and the erase tid follow the choice.
TEST(StartUp, FirstRecordAndEraseForEveryChoice) {
  struct Case {
    std::int32_t choice;
    std::int16_t height;
    const char* field;
  } cases[] = {
      {1, 512, "  512.5"},  {2, 800, "  800.5"},  {3, 1024, " 1024.5"}, {4, 1600, " 1600.5"},
      {5, 2048, " 2048.5"}, {6, 4096, " 4096.5"}, {7, 1024, " 1024.5"}, {8, 4096, " 4096.5"},
      {9, 880, "  880.5"},  {10, 764, "  764.5"}, {11, 128, "  128.5"}, {12, 256, "  256.5"},
      {13, 90, "   90.5"},
  };
  for (const auto& c : cases) {
    Wire wire(c.choice, 0, c.height);
    display::kivfirst();
    const auto packets = wire.packets();
    ASSERT_EQ(packets.size(), 4u) << c.choice;
    EXPECT_EQ(packets[1].word(display::kT), c.choice - 1);
    EXPECT_EQ(packets[1].data,
              std::string("         \n1. 0. 0. -1.    1.5 ") + c.field + "   1. 200. 1\n" + '\0')
        << c.choice;
    EXPECT_EQ(packets[2].word(display::kTid), 0x2200 + c.choice - 1);
    for (const auto& p : packets) EXPECT_TRUE(display::checksum_ok(p.header)) << c.choice;
  }
}

TEST(StartUp, TablePacketCutsTo16Bits) {
  Wire wire;
  display::kivconvlt(768);
  display::kivconvlt(-1);
  display::kivconvlt(0x12345);
  const auto packets = wire.packets();
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].word(display::kZ), 768);
  EXPECT_EQ(packets[0].word(display::kChecksum), 0xFC00);
  EXPECT_EQ(packets[1].word(display::kZ), 0xFFFF);
  EXPECT_EQ(packets[2].word(display::kZ), 0x2345);
  for (const auto& p : packets) {
    EXPECT_TRUE(display::checksum_ok(p.header));
    EXPECT_EQ(p.data, std::string(6, '\0'));
  }
}

// ---- The menu, asked in a process of its own (standard input matters) ----

const char* const kMenu =
    " Select a frame buffer size:\n"
    "                 1 =  512 X 512 (default)\n"
    "                 2 =  800 X 800\n"
    "                 3 = 1024 X 1024\n"
    "                 4 = 1600 X 1600\n"
    "                 5 = 2048 X 2048\n"
    "                 6 = 4096 X 4096\n"
    "                 7 = 4096 X 1024\n"
    "                 8 = 1024 X 4096\n"
    "                 9 = 1144 X  880\n"
    "                10 = 1144 X  764\n"
    "                11 =  128 X  128\n"
    "                12 =  256 X  256\n"
    "                13 =   90 X   90\n";

// Answers come on standard input; after each kivstart the choice and the size
// go to the file "sizes". The preset comes from the environment (0: ask).
DISPLAY_CHILD(kivstart_menu) {
  const char* preset = std::getenv("PRESET");
  const int rounds = std::atoi(std::getenv("ROUNDS"));
  std::ofstream sizes("sizes");
  for (int i = 0; i < rounds; ++i) {
    auto& s = display_state();
    s.integer4.fb_choice = preset != nullptr ? std::atoi(preset) : 0;
    display::kivstart();
    sizes << s.integer4.fb_choice << ' ' << s.integer2.fb_width << ' ' << s.integer2.fb_height
          << ' ' << (display::fifo_descriptors().si_dataout >= 0 ? "open" : "closed") << '\n';
    display::si_close_namedpipe();
  }
  return 0;
}

struct MenuRun {
  testing_support::ChildResult result;
  std::string sizes;
};

MenuRun run_menu(const std::string& answers, int rounds, const char* preset = nullptr) {
  display_test::TempDir dir;
  display_test::FifoPair pair(dir);
  std::vector<std::string> env = {"HOME=" + dir.path(), "INDEV=" + pair.in, "OUTDEV=" + pair.out,
                                  "ROUNDS=" + std::to_string(rounds), "NO_STOP_MESSAGE=1"};
  if (preset != nullptr) env.push_back(std::string("PRESET=") + preset);
  MenuRun run;
  run.result = display_test::run_self("kivstart_menu", env, dir.path(), answers);
  run.sizes = testing_support::read_file(dir / "sizes");
  return run;
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Menu, EveryAnswerGivesItsSize) {
  const auto run = run_menu("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n\n", 14);
  EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
  EXPECT_EQ(run.sizes,
            "1 512 512 open\n2 800 800 open\n3 1024 1024 open\n4 1600 1600 open\n"
            "5 2048 2048 open\n6 4096 4096 open\n7 4096 1024 open\n8 1024 4096 open\n"
            "9 1144 880 open\n10 1144 764 open\n11 128 128 open\n12 256 256 open\n"
            "13 90 90 open\n1 512 512 open\n");  // the empty answer keeps the default 1
  EXPECT_EQ(count_of(run.result.out, kMenu), 14u);
  EXPECT_EQ(run.result.err, "");
}

TEST(Menu, AnswerOutsideTheTableIsAskedAgain) {
  const auto run = run_menu("0\n14\n-3\n3\n", 1);
  EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
  EXPECT_EQ(run.sizes, "3 1024 1024 open\n");
  EXPECT_EQ(count_of(run.result.out, kMenu), 4u);
  EXPECT_EQ(count_of(run.result.out, "Frame buffer choice must be from 1 to 13"), 3u);
}

TEST(Menu, PresetChoiceAsksNothing) {
  const auto run = run_menu("", 1, "12");
  EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
  EXPECT_EQ(run.sizes, "12 256 256 open\n");
  EXPECT_EQ(run.result.out, "");
}

// Only a choice of 0 asks. Any other preset, inside the table or not, prints
// and asks nothing; outside the table the size stays as it was (here unset)
// and the pair is opened all the same.
TEST(Menu, PresetOutsideTheTableAsksNothing) {
  for (const char* preset : {"99", "14", "-1"}) {
    const auto run = run_menu("13\n", 1, preset);
    EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
    EXPECT_EQ(run.sizes, std::string(preset) + " 0 0 open\n");
    EXPECT_EQ(run.result.out, "") << preset;
    EXPECT_EQ(run.result.err, "") << preset;
  }
}

}  // namespace
