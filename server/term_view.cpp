#include "server/term_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace server {

namespace {
constexpr std::string_view kUpperHalf = "\u2580";
constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kClearToEnd = "\x1b[K";

void append_int(std::string& out, int v) {
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%d", v);
  out.append(buf, static_cast<std::size_t>(n));
}

// Source index range [first, last) that picture pixel i of n covers in a line of src.
inline void span_of(int i, int n, int src, int& first, int& last) {
  first = static_cast<int>(static_cast<long long>(i) * src / n);
  last = static_cast<int>(static_cast<long long>(i + 1) * src / n);
  if (last <= first) last = first + 1;
  if (last > src) last = src;
}
}  // namespace

ColorMode color_mode_from_env(const char* colorterm) {
  if (colorterm && (std::strstr(colorterm, "truecolor") || std::strstr(colorterm, "24bit")))
    return ColorMode::kTrueColor;
  return ColorMode::k256;
}

Fit fit_to_terminal(int fb_width, int fb_height, int term_cols, int term_rows) {
  Fit f;
  if (fb_width <= 0 || fb_height <= 0) return f;
  const int cols = std::max(term_cols, 1);
  const int pix = 2 * std::max(term_rows - 2, 1);
  // Scale = min(cols / fb_width, pix / fb_height), in integers.
  if (static_cast<long long>(cols) * fb_height <= static_cast<long long>(pix) * fb_width) {
    f.cols = cols;
    f.pix_rows = static_cast<int>(static_cast<long long>(fb_height) * cols / fb_width);
  } else {
    f.pix_rows = pix;
    f.cols = static_cast<int>(static_cast<long long>(fb_width) * pix / fb_height);
  }
  f.cols = std::max(f.cols, 1);
  f.pix_rows = std::max(f.pix_rows, 1);
  f.rows = (f.pix_rows + 1) / 2;
  return f;
}

void sample_cells(const FrameBuffer& fb, const Fit& fit, std::vector<Cell>& cells) {
  cells.assign(static_cast<std::size_t>(fit.cols) * static_cast<std::size_t>(fit.rows), Cell{});
  if (fb.width <= 0 || fb.height <= 0) return;
  // Column spans are the same for every row: work them out once.
  thread_local std::vector<int> c0s, c1s;
  c0s.resize(static_cast<std::size_t>(fit.cols));
  c1s.resize(static_cast<std::size_t>(fit.cols));
  for (int px = 0; px < fit.cols; ++px)
    span_of(px, fit.cols, fb.width, c0s[static_cast<std::size_t>(px)], c1s[static_cast<std::size_t>(px)]);
  for (int py = 0; py < fit.pix_rows; ++py) {
    int r0, r1;
    span_of(py, fit.pix_rows, fb.height, r0, r1);
    Cell* row = cells.data() + static_cast<std::size_t>(py / 2) * static_cast<std::size_t>(fit.cols);
    const bool upper = (py % 2) == 0;
    for (int px = 0; px < fit.cols; ++px) {
      const int c0 = c0s[static_cast<std::size_t>(px)], c1 = c1s[static_cast<std::size_t>(px)];
      std::uint8_t v = 0;
      // Picture row r (from the top) shows frame line height - 1 - r.
      for (int r = r0; r < r1; ++r) {
        const std::uint8_t* line = fb.pixels.data() +
                                   static_cast<std::size_t>(fb.height - 1 - r) * static_cast<std::size_t>(fb.width);
        for (int c = c0; c < c1; ++c) v = std::max(v, line[c]);
      }
      if (upper) row[px].top = v;
      else row[px].bottom = v;
    }
  }
}

CellColors::CellColors(const Palette& palette, ColorMode mode) : fg_(256), bg_(256) {
  for (std::size_t v = 0; v < 256; ++v) {
    const Rgb c = palette[v];
    char f[32], b[32];
    if (mode == ColorMode::kTrueColor) {
      std::snprintf(f, sizeof f, "\x1b[38;2;%d;%d;%dm", c.r, c.g, c.b);
      std::snprintf(b, sizeof b, "\x1b[48;2;%d;%d;%dm", c.r, c.g, c.b);
    } else {
      const int n = xterm256(c);
      std::snprintf(f, sizeof f, "\x1b[38;5;%dm", n);
      std::snprintf(b, sizeof b, "\x1b[48;5;%dm", n);
    }
    fg_[v] = f;
    bg_[v] = b;
  }
}

void compose_frame(const std::vector<Cell>& prev, std::string_view prev_status,
                   const std::vector<Cell>& next, std::string_view status, const Fit& fit,
                   const CellColors& colors, std::string& out) {
  const bool full = prev.size() != next.size();
  if (!full) {
    // Back up over the picture and the status line.
    out += "\x1b[";
    append_int(out, fit.rows + 1);
    out += "A\r";
  }
  for (int r = 0; r < fit.rows; ++r) {
    const std::size_t base = static_cast<std::size_t>(r) * static_cast<std::size_t>(fit.cols);
    int cursor = 0;  // column the cursor is at
    int fg = -1, bg = -1;
    bool wrote = false;
    for (int c = 0; c < fit.cols; ++c) {
      const Cell cell = next[base + static_cast<std::size_t>(c)];
      if (!full && prev[base + static_cast<std::size_t>(c)] == cell) continue;
      if (cursor != c) {
        out += "\x1b[";
        append_int(out, c + 1);
        out += 'G';
      }
      if (fg != cell.top) {
        out += colors.fg(cell.top);
        fg = cell.top;
      }
      if (bg != cell.bottom) {
        out += colors.bg(cell.bottom);
        bg = cell.bottom;
      }
      out += kUpperHalf;
      cursor = c + 1;
      wrote = true;
    }
    if (wrote) out += kReset;
    out += "\r\n";
  }
  if (full || status != prev_status) {
    out += kReset;
    out += status;
    out += kClearToEnd;
  }
  out += "\r\n";
}

std::string status_line(const WorldCoord& record, bool has_record, std::uint64_t load,
                        double loads_per_second, int width) {
  std::string s = has_record && !record.title.empty() ? printable(record.title) : "(no title)";
  s += "  load " + std::to_string(load);
  if (has_record && record.numbers_ok)
    s += "  z " + printable(record.z1_text) + ".." + printable(record.z2_text);
  char rate[48];
  std::snprintf(rate, sizeof rate, "  %.1f loads/s", loads_per_second);
  s += rate;
  if (width > 0 && static_cast<int>(s.size()) > width) s.resize(static_cast<std::size_t>(width));
  return s;
}

std::string render(const FrameBuffer& fb, const Palette& palette, ColorMode mode, const Fit& fit,
                   std::string_view status) {
  std::vector<Cell> cells;
  sample_cells(fb, fit, cells);
  std::string out;
  compose_frame({}, {}, cells, status, fit, CellColors(palette, mode), out);
  return out;
}

TermSize terminal_size(int fd) {
  TermSize t;
  struct winsize ws;
  std::memset(&ws, 0, sizeof ws);
  if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
    t.cols = ws.ws_col;
    t.rows = ws.ws_row;
  }
  return t;
}

TerminalView::TerminalView(int fd, const Palette& palette, ColorMode mode)
    : fd_(fd), colors_(palette, mode) {
  buf_.reserve(1 << 16);
}

TerminalView::~TerminalView() { restore(); }

void TerminalView::write_all(const std::string& s) {
  std::size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::write(fd_, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the terminal went away; nothing sensible to do
    done += static_cast<std::size_t>(n);
  }
}

void TerminalView::show(const FrameBuffer& fb, const std::string& status) {
  const TermSize ts = terminal_size(fd_);
  const Fit fit = fit_to_terminal(fb.width, fb.height, ts.cols, ts.rows);
  buf_.clear();
  if (!active_) {
    buf_ += "\x1b[?25l";  // hide the cursor while the picture is live
    active_ = true;
  }
  if (!(fit == fit_)) {
    if (!prev_.empty()) clear_ = true;
    prev_.clear();
    fit_ = fit;
  }
  if (clear_) {
    buf_ += "\x1b[0m\x1b[H\x1b[2J";
    prev_.clear();
    clear_ = false;
  }
  std::string line = status;
  if (static_cast<int>(line.size()) > ts.cols) line.resize(static_cast<std::size_t>(ts.cols));
  sample_cells(fb, fit_, next_);
  compose_frame(prev_, prev_status_, next_, line, fit_, colors_, buf_);
  write_all(buf_);
  std::swap(prev_, next_);
  prev_status_ = std::move(line);
}

void TerminalView::resized() { clear_ = true; }

void TerminalView::disturbed() { prev_.clear(); }

void TerminalView::restore() {
  if (!active_) return;
  active_ = false;
  write_all("\x1b[0m\x1b[?25h");
}

}  // namespace server
