#pragma once
// The live picture in the terminal: two frame-buffer pixels per character
// cell (upper half block, top pixel as foreground, bottom pixel as
// background), scaled to the terminal, with one status line below.
//
// The pixel-to-cells steps are pure functions on strings; TerminalView is the
// thin layer that asks the terminal its size and writes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/palette.h"
#include "server/records.h"
#include "server/state.h"

namespace server {

enum class ColorMode { kTrueColor, k256 };
// Truecolour when COLORTERM announces it ("truecolor" or "24bit").
ColorMode color_mode_from_env(const char* colorterm);

// Size of the picture in cells and in pixels (two pixel rows per cell row).
struct Fit {
  int cols = 0;      // cells across = pixels across
  int pix_rows = 0;  // pixel rows
  int rows = 0;      // cell rows, (pix_rows + 1) / 2
  bool operator==(const Fit&) const = default;
};
// Largest picture of the frame buffer's shape that leaves two terminal lines
// free: the status line and the line the cursor rests on.
Fit fit_to_terminal(int fb_width, int fb_height, int term_cols, int term_rows);

// One cell: the pixel values shown in its upper and lower half.
struct Cell {
  std::uint8_t top = 0, bottom = 0;
  bool operator==(const Cell&) const = default;
};

// Shrinks (or enlarges) the frame buffer into fit.rows x fit.cols cells, highest
// frame line at the top. When shrinking, each picture pixel takes the brightest
// frame-buffer pixel it covers, so a point source never drops out.
void sample_cells(const FrameBuffer& fb, const Fit& fit, std::vector<Cell>& cells);

// Precomputed colour codes of a palette for one colour mode.
class CellColors {
 public:
  CellColors(const Palette& palette, ColorMode mode);
  const std::string& fg(std::uint8_t v) const { return fg_[v]; }
  const std::string& bg(std::uint8_t v) const { return bg_[v]; }

 private:
  std::vector<std::string> fg_, bg_;
};

// Appends the bytes that turn the screen showing (prev, prev_status) into
// (next, status). With an empty prev the picture is drawn in full from the
// cursor's line; otherwise the cursor is taken back up over the picture and
// only changed cells and a changed status line are written. Either way the
// cursor ends at the start of the line below the status line.
void compose_frame(const std::vector<Cell>& prev, std::string_view prev_status,
                   const std::vector<Cell>& next, std::string_view status, const Fit& fit,
                   const CellColors& colors, std::string& out);

// "Focus Sequence  load 96  z 0.50251E+01..0.10050E+04  9.8 loads/s", cut to width.
std::string status_line(const WorldCoord& record, bool has_record, std::uint64_t load,
                        double loads_per_second, int width);

// Whole picture as one string, for tests and for callers without a terminal.
std::string render(const FrameBuffer& fb, const Palette& palette, ColorMode mode, const Fit& fit,
                   std::string_view status);

struct TermSize {
  int cols = 80;
  int rows = 24;
};
TermSize terminal_size(int fd);

class TerminalView {
 public:
  TerminalView(int fd, const Palette& palette, ColorMode mode);
  ~TerminalView();
  TerminalView(const TerminalView&) = delete;
  TerminalView& operator=(const TerminalView&) = delete;

  // Draws the frame buffer with the status line, writing only what changed.
  void show(const FrameBuffer& fb, const std::string& status);
  // The terminal changed size: the next show clears the screen and draws anew.
  void resized();
  // Something else wrote to the terminal: the next show draws in full below it.
  void disturbed();
  // Shows the cursor and resets attributes; safe to call more than once.
  void restore();

 private:
  void write_all(const std::string& s);

  int fd_;
  CellColors colors_;
  Fit fit_;
  bool clear_ = false;
  bool active_ = false;
  std::vector<Cell> prev_, next_;
  std::string prev_status_;
  std::string buf_;
};

}  // namespace server
