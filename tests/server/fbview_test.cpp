// fbview as a process: real FIFOs in a temporary directory, real streams.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "child.h"
#include "png_read.h"
#include "server/palette.h"
#include "stream.h"

using namespace fbtest;

namespace {

struct Result {
  int status = 0;
  std::string out, err;
};

struct Rig {
  TempDir dir;
  std::string in = dir.file("imt1i");
  std::string out = dir.file("imt1o");
  Rig() {
    make_fifo(in);
    make_fifo(out);
  }
  std::vector<std::string> args(std::vector<std::string> extra, bool once = true) const {
    std::vector<std::string> a{"--in", in, "--out", out, "--view", "none"};
    if (once) a.push_back("--once");
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  Child start(std::vector<std::string> extra, bool once = true) const {
    return Child(args(std::move(extra), once), {"HOME=" + dir.path()}, dir.file("stdout"), dir.file("stderr"));
  }
  Result finish(Child& c, double seconds = 30) const {
    Result r;
    r.status = c.wait(seconds);
    r.out = read_file(dir.file("stdout"));
    r.err = read_file(dir.file("stderr"));
    return r;
  }
  Result run(const Bytes& stream, std::vector<std::string> extra = {}) const {
    Child c = start(std::move(extra));
    EXPECT_TRUE(feed_fifo(out, stream));
    return finish(c);
  }
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

bool contains(const std::string& s, const std::string& what) { return s.find(what) != std::string::npos; }

// Offset of packet n (from 1) in a well-formed stream.
std::size_t packet_offset(const Bytes& s, int n) {
  std::size_t off = 0;
  for (int i = 1; i < n; ++i) {
    display::PacketHeader h;
    std::memcpy(h.data(), s.data() + off, 16);
    off += 16 + display::data_length(h);
  }
  return off;
}

}  // namespace

TEST(Fbview, CleanDemonstrationStream) {
  Rig rig;
  const std::string png = rig.dir.file("last.png"), trace = rig.dir.file("trace.txt");
  const Result r = rig.run(demo_stream(96), {"--png", png, "--trace", trace});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "197 packets (start 1, world-coord 97, erase 1, table 1, draw 1, pixel 96, unknown 0)"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "; 96 loads; 0 checksum failures; 0 truncated; 0 bytes skipped")) << r.err;
  EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;  // the summary alone

  const auto lines = lines_of(read_file(trace));
  ASSERT_EQ(lines.size(), 197u);
  EXPECT_EQ(lines[0],
            "packet 1 start tid=0x0100 thingct=-3 subunit=12 checksum=0x7ef3 x=0x8000 y=0x0000 z=0 t=3 "
            "checksum-ok data=6");
  EXPECT_EQ(lines[196],
            "packet 197 pixel tid=0x7200 thingct=-8192 subunit=1 checksum=0xacdd x=0x8000 y=0x8021 z=1 t=255 "
            "checksum-ok data=8192");

  Picture pic;
  ASSERT_TRUE(read_png(png, pic));
  ASSERT_EQ(pic.width, 128);
  ASSERT_EQ(pic.height, 128);
  // Frame line L is picture row 127 - L; image row k is on line 97 - k.
  const auto palette = server::make_palette(server::ColorMap::kGrey);
  const auto img = star_image(16);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const int k = y - 30, i = x - 31;  // 127 - y = 97 - k
      const std::uint8_t v = (k >= 1 && k <= 64 && i >= 1 && i <= 64)
                                 ? img[static_cast<std::size_t>((k - 1) * 64 + i - 1)]
                                 : 0;
      ASSERT_EQ(pic.at(x, y), palette[v]) << x << "," << y;
    }
  EXPECT_EQ(pic.at(63, 62), (server::Rgb{255, 255, 255}));
}

TEST(Fbview, DamagedStreamsAreReportedAndSurvived) {
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::vector<std::string> reports;
    std::string summary;
  };
  const Bytes clean = demo_stream(20);  // 45 packets
  std::mt19937 rng(99);
  auto random_bytes = [&](std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
  };
  const Case cases[] = {
      {"flipped checksum bit",
       [&](Bytes& s) { s[packet_offset(s, 8) + 6] ^= 0x04; },
       {"packet 8: bad checksum"},
       "45 packets"},
      {"flipped length bit",
       [&](Bytes& s) { s[packet_offset(s, 9) + 3] ^= 0x20; },
       {"packet 9: bad checksum", "packet 9: skipped"},
       "1 checksum failures"},
      {"truncated in data",
       [&](Bytes& s) { s.resize(packet_offset(s, 45) + 16 + 1000); },
       {"packet 45: input ended inside the data (1000 of 8192 bytes)"},
       "1 truncated"},
      {"truncated in header",
       [&](Bytes& s) { s.resize(packet_offset(s, 45) + 9); },
       {"packet 45: input ended inside the header (9 of 16 bytes)"},
       "19 loads"},
      {"garbage between loads",
       [&](Bytes& s) {
         const Bytes g = random_bytes(3000);
         s.insert(s.begin() + static_cast<long>(packet_offset(s, 26)), g.begin(), g.end());
       },
       {"packet 26: bad checksum", "packet 26: skipped 3000 bytes"},
       "20 loads"},
      {"random bytes only", [&](Bytes& s) { s = random_bytes(100000); }, {"packet 1: bad checksum"}, "0 loads"},
      {"unknown kind",
       [&](Bytes& s) {
         const Bytes odd = packet(0x4000, -5, 42, 0, 0, 1, 0, Bytes(5, 7));
         s.insert(s.begin() + static_cast<long>(packet_offset(s, 3)), odd.begin(), odd.end());
       },
       {"packet 3: unknown kind 42, 5 data bytes skipped"},
       "46 packets"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    Bytes s = clean;
    c.damage(s);
    const std::string png = rig.dir.file("p.png");
    const Result r = rig.run(s, {"--png", png});
    EXPECT_EQ(r.status, 3) << r.err;  // damaged input: its own status, no crash
    for (const auto& want : c.reports) EXPECT_TRUE(contains(r.err, want)) << want << "\n" << r.err.substr(0, 2000);
    EXPECT_TRUE(contains(r.err, c.summary)) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
    EXPECT_TRUE(contains(r.err, " loads; ")) << "summary missing";
    Picture pic;
    EXPECT_TRUE(read_png(png, pic));  // outputs still written
  }
}

TEST(Fbview, RefusesAPathThatIsNotAFifo) {
  TempDir dir;
  const std::string in = dir.file("in"), out = dir.file("plain");
  { std::ofstream(out) << "x"; }
  Child c({"--in", in, "--out", out, "--once", "--view", "none"}, {"HOME=" + dir.path()}, dir.file("o"),
          dir.file("e"));
  EXPECT_EQ(c.wait(10), 1);
  EXPECT_TRUE(contains(read_file(dir.file("e")), out + " exists and is not a FIFO")) << read_file(dir.file("e"));
  EXPECT_EQ(read_file(out), "x");
}

TEST(Fbview, RefusesOnePathForBothSides) {
  TempDir dir;
  const std::string fifo = dir.file("both");
  Child c({"--in", fifo, "--out", fifo, "--once", "--view", "none"}, {}, dir.file("o"), dir.file("e"));
  EXPECT_EQ(c.wait(10), 1);
  EXPECT_TRUE(contains(read_file(dir.file("e")), "two different paths")) << read_file(dir.file("e"));
}

TEST(Fbview, FindsAndCreatesItsFifosLikeTheClient) {
  struct Case {
    const char* name;
    bool use_dev;
  };
  for (const Case c : {Case{"INDEV and OUTDEV", true}, Case{"HOME", false}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string in = c.use_dev ? dir.file("dev-in") : dir.file(".imt1i");
    const std::string out = c.use_dev ? dir.file("dev-out") : dir.file(".imt1o");
    std::vector<std::string> env{"HOME=" + dir.path()};
    if (c.use_dev) {
      env.push_back("INDEV=" + in);
      env.push_back("OUTDEV=" + out);
    } else {
      env.push_back("INDEV=");  // empty: as if unset
      env.push_back("OUTDEV=" + dir.file("ignored"));
    }
    Child child({"--once", "--view", "none"}, env, dir.file("o"), dir.file("e"));
    // The server is reading when a writer can open the output side.
    const int fd = open_writer(out);
    ASSERT_GE(fd, 0) << read_file(dir.file("e"));
    struct stat st;
    for (const auto& p : {in, out}) {
      ASSERT_EQ(stat(p.c_str(), &st), 0) << p;
      EXPECT_TRUE(S_ISFIFO(st.st_mode)) << p;
      EXPECT_EQ(st.st_mode & 0777, 0600u) << p;
    }
    // The input side is held open for reading: a non-blocking writer can open it.
    const int held = open(in.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_GE(held, 0) << "input side not held open";
    if (held >= 0) close(held);
    EXPECT_TRUE(write_all(fd, demo_stream(2)));
    close(fd);
    EXPECT_EQ(child.wait(20), 0) << read_file(dir.file("e"));
    EXPECT_TRUE(contains(read_file(dir.file("e")), "; 2 loads;"));
  }
}

TEST(Fbview, HelpAndBadCommandLines) {
  TempDir dir;
  {
    Child c({"--help"}, {}, dir.file("o"), dir.file("e"));
    EXPECT_EQ(c.wait(10), 0);
    const std::string help = read_file(dir.file("o"));
    for (const char* opt : {"--in", "--out", "--once", "--png", "--trace", "--view", "--pace", "--sheet", "--cmap"})
      EXPECT_TRUE(contains(help, opt)) << opt;
  }
  const std::vector<std::vector<std::string>> bad = {
      {"--view", "fancy"}, {"--pace", "-3"}, {"--pace", "ten"}, {"--cmap", "rainbow"}, {"--in", "x"}, {"--bogus"}, {"--png"}};
  for (const auto& args : bad) {
    Child c(args, {"HOME=" + dir.path()}, dir.file("o"), dir.file("e"));
    EXPECT_EQ(c.wait(10), 2) << args[0];
    EXPECT_TRUE(contains(read_file(dir.file("e")), "fbview: ")) << args[0];
  }
}

TEST(Fbview, ServesClientAfterClientUntilInterrupted) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    Rig rig;
    const std::string png = rig.dir.file("last.png"), sheet = rig.dir.file("sheet.png");
    Child c = rig.start({"--png", png, "--sheet", sheet}, /*once=*/false);
    ASSERT_TRUE(feed_fifo(rig.out, demo_stream(3)));
    ASSERT_TRUE(feed_fifo(rig.out, demo_stream(4)));
    // The second client's stream is read once a third writer can open (the server is back in open).
    const int fd = open_writer(rig.out);
    ASSERT_GE(fd, 0);
    close(fd);
    usleep(100000);
    c.signal(sig);
    const Result r = rig.finish(c, 10);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "; 7 loads;")) << r.err;
    Picture pic;
    EXPECT_TRUE(read_png(png, pic));
    EXPECT_TRUE(read_png(sheet, pic));
  }
}

TEST(Fbview, InterruptBeforeAnyClient) {
  Rig rig;
  const std::string png = rig.dir.file("last.png");
  Child c = rig.start({"--png", png});
  usleep(200000);
  c.signal(SIGINT);
  const Result r = rig.finish(c, 10);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "0 packets")) << r.err;
  Picture pic;
  ASSERT_TRUE(read_png(png, pic));
  EXPECT_EQ(pic.width, 512);  // the client's default size until told otherwise
}

TEST(Fbview, PaceHoldsEachLoad) {
  Rig rig;
  const auto t0 = std::chrono::steady_clock::now();
  const Result r = rig.run(demo_stream(6), {"--pace", "150"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GE(seconds, 5 * 0.150);  // six loads, five waits between them
  EXPECT_LT(seconds, 10.0);
}

TEST(Fbview, ContactSheetOfTheFirstSixteenLoads) {
  Rig rig;
  const std::string sheet = rig.dir.file("sheet.png");
  const Result r = rig.run(demo_stream(40), {"--sheet", sheet});
  ASSERT_EQ(r.status, 0) << r.err;
  Picture pic;
  ASSERT_TRUE(read_png(sheet, pic));
  // 4 x 4 tiles of 64 x 64 with 2-pixel gaps.
  ASSERT_EQ(pic.width, 4 * 64 + 5 * 2);
  ASSERT_EQ(pic.height, 4 * 64 + 5 * 2);
  struct Star {
    int centre = 0;  // brightness at the star's centre
    int width = 0;   // lit pixels across the centre row
  };
  auto star = [&](int tile) {
    const int x0 = 2 + ((tile - 1) % 4) * 66, y0 = 2 + ((tile - 1) / 4) * 66;
    Star s;
    s.centre = pic.brightness(x0 + 31, y0 + 31);
    for (int x = 0; x < 64; ++x) s.width += pic.brightness(x0 + x, y0 + 31) > 0;
    // Corners of every tile are black.
    EXPECT_EQ(pic.brightness(x0, y0), 0) << tile;
    EXPECT_EQ(pic.brightness(x0 + 63, y0 + 63), 0) << tile;
    return s;
  };
  std::vector<Star> stars;
  for (int t = 1; t <= 16; ++t) stars.push_back(star(t));
  EXPECT_EQ(star_width(8), 18);
  EXPECT_EQ(star_width(16), 2);
  EXPECT_LT(stars[7].centre, stars[15].centre);
  EXPECT_GT(stars[7].width, stars[15].width);
  EXPECT_EQ(stars[15].centre, 3 * 255);
  // In load order: the star widens from load 1 to load 8 and narrows again to 16.
  for (int t = 1; t < 8; ++t) EXPECT_LE(stars[static_cast<std::size_t>(t - 1)].width, stars[static_cast<std::size_t>(t)].width) << t;
  for (int t = 8; t < 16; ++t) EXPECT_GE(stars[static_cast<std::size_t>(t - 1)].width, stars[static_cast<std::size_t>(t)].width) << t;
}
