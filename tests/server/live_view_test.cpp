// The live view as a person sees it: fbview in a tmux pane, the star images fed
// through the FIFO, the pane read back with its colours.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "child.h"
#include "stream.h"

using namespace fbtest;

namespace {

bool have_tmux() { return std::system("tmux -V >/dev/null 2>&1") == 0; }

std::string quote(const std::string& s) { return "'" + s + "'"; }

// A private tmux server, killed at the end.
class Tmux {
 public:
  Tmux() : socket_("fbview-test-" + std::to_string(getpid()) + "-" + std::to_string(++count_)) {}
  ~Tmux() { run("kill-server"); }
  std::string run(const std::string& args) const {
    const std::string cmd = "tmux -L " + socket_ + " -f /dev/null " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  std::string capture(bool colours) const { return run(colours ? "capture-pane -e -p" : "capture-pane -p"); }
  // Polls the pane text until it holds what; false after seconds.
  bool wait_for(const std::string& what, double seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (capture(false).find(what) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  static inline int count_ = 0;
  std::string socket_;
};

struct Cell {
  std::string ch, fg, bg;  // fg/bg: "2;r;g;b", "5;n" or "" for the default
};

// Splits a coloured capture into rows of cells; colours carry across lines
// the way the capture writes them (only on change).
std::vector<std::vector<Cell>> parse_capture(const std::string& text) {
  std::vector<std::vector<Cell>> rows(1);
  std::string fg, bg;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0x1b && i + 1 < text.size() && text[i + 1] == '[') {
      const std::size_t end = text.find_first_of("ABCDEFGHJKSTfmhl", i + 2);
      if (end == std::string::npos) break;
      if (text[end] == 'm') {
        std::vector<std::string> params;
        std::string cur;
        for (std::size_t k = i + 2; k < end; ++k) {
          if (text[k] == ';') {
            params.push_back(cur);
            cur.clear();
          } else {
            cur += text[k];
          }
        }
        params.push_back(cur);
        for (std::size_t k = 0; k < params.size(); ++k) {
          const std::string& p = params[k];
          if (p == "0" || p.empty()) {
            fg.clear();
            bg.clear();
          } else if (p == "39") {
            fg.clear();
          } else if (p == "49") {
            bg.clear();
          } else if ((p == "38" || p == "48") && k + 1 < params.size()) {
            std::string& target = p == "38" ? fg : bg;
            const std::size_t n = params[k + 1] == "2" ? 4 : 2;
            target.clear();
            for (std::size_t j = 1; j <= n && k + j < params.size(); ++j)
              target += (j > 1 ? ";" : "") + params[k + j];
            k += n;
          }
        }
      }
      i = end + 1;
      continue;
    }
    if (c == '\n') {
      rows.emplace_back();
      ++i;
      continue;
    }
    const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    rows.back().push_back(Cell{text.substr(i, len), fg, bg});
    i += len;
  }
  return rows;
}

const std::string kHalf = "\u2580";

// The picture: the leading rows made of half blocks.
std::vector<std::vector<Cell>> picture_rows(const std::vector<std::vector<Cell>>& rows) {
  std::vector<std::vector<Cell>> pic;
  for (const auto& r : rows) {
    if (r.empty() || r[0].ch != kHalf) break;
    pic.push_back(r);
  }
  return pic;
}

std::string plain(const std::vector<Cell>& row) {
  std::string s;
  for (const auto& c : row) s += c.ch;
  return s;
}

struct LiveRun {
  std::string white, black;  // brightest and darkest colour of the map, as captured
  std::string env;           // COLORTERM setting
  std::string cmap;
};

void check_live_view(const LiveRun& run) {
  TempDir dir;
  const std::string in = dir.file("imt1i"), out = dir.file("imt1o");
  make_fifo(in);
  make_fifo(out);
  Tmux tmux;
  const std::string cmd = run.env + " " + quote(FBVIEW_PATH) + " --in " + quote(in) + " --out " + quote(out) +
                          " --view terminal --cmap " + run.cmap + "; echo fbview-exit=$?; sleep 60";
  tmux.run("new-session -d -x 100 -y 50 " + quote(cmd));
  ASSERT_TRUE(feed_fifo(out, demo_stream(96)));
  ASSERT_TRUE(tmux.wait_for("load 96", 10)) << tmux.capture(false);

  const auto rows = parse_capture(tmux.capture(true));
  const auto pic = picture_rows(rows);
  // 128 x 128 in 100 x 50 cells: 96 x 96 pixels, 48 cell rows, status below.
  ASSERT_EQ(pic.size(), 48u) << tmux.capture(false);
  for (const auto& r : pic) ASSERT_EQ(r.size(), 96u);
  const std::string status = plain(rows[48]);
  EXPECT_EQ(status.rfind("Focus Sequence  load 96  z 0.50251E+01..0.10050E+04  ", 0), 0u) << status;
  EXPECT_NE(status.find(" loads/s"), std::string::npos) << status;
  EXPECT_EQ(tmux.run("display -p '#{cursor_flag}'"), "0\n");  // hidden while live

  // The last load is the narrowest star (W = 2) at frame columns 63..64, lines
  // 64..65: near cell column 48 and row 23. Its centre carries the brightest
  // colour; the picture's corners are black.
  int bright = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 96; ++x) {
      const Cell& c = pic[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      if (c.fg == run.white || c.bg == run.white) {
        ++bright;
        EXPECT_NEAR(x, 47.5, 2.0) << "bright cell at " << x << "," << y;
        EXPECT_NEAR(y, 23.5, 2.0) << "bright cell at " << x << "," << y;
      }
    }
  EXPECT_GE(bright, 1);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{95, 0}, std::pair{0, 47}, std::pair{95, 47}}) {
    const Cell& c = pic[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    EXPECT_EQ(c.fg, run.black) << x << "," << y;
    EXPECT_EQ(c.bg, run.black) << x << "," << y;
  }

  // Smaller terminal: the picture is fitted again (60 x 30 cells: 56 x 56 pixels).
  tmux.run("resize-window -x 60 -y 30");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::vector<std::vector<Cell>> small;
  while (std::chrono::steady_clock::now() < end) {
    small = picture_rows(parse_capture(tmux.capture(true)));
    if (small.size() == 28u && small[0].size() == 56u) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(small.size(), 28u) << tmux.capture(false);
  EXPECT_EQ(small[0].size(), 56u);

  // Ctrl-C: clean end, cursor back, summary on stderr.
  tmux.run("send-keys C-c");
  ASSERT_TRUE(tmux.wait_for("fbview-exit=", 10)) << tmux.capture(false);
  const std::string after = tmux.capture(false);
  EXPECT_NE(after.find("fbview-exit=0"), std::string::npos) << after;
  EXPECT_NE(after.find("; 96 loads;"), std::string::npos) << after;
  EXPECT_EQ(tmux.run("display -p '#{cursor_flag}'"), "1\n");
}

}  // namespace

TEST(LiveView, TrueColourGreyInTmux) {
  if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
  check_live_view({"2;255;255;255", "2;0;0;0", "env COLORTERM=truecolor", "grey"});
}

TEST(LiveView, Fallback256HeatInTmux) {
  if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
  check_live_view({"5;231", "5;16", "env -u COLORTERM", "heat"});
}
