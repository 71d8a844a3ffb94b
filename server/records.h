#pragma once
// Text records carried by world-coordinate and draw packets.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace server {

// "title\n a b c d tx ty z1 z2 zt\n\0": the title line, then the placement of
// the image (tx = 1.5 - X, ty = Y + 1.5, with X its first column and Y its top
// line) and the data values that pixel values 1 and 200 stand for.
struct WorldCoord {
  std::string title;  // first line, trailing blanks removed
  double a = 1, b = 0, c = 0, d = -1;
  double tx = 0, ty = 0;
  double z1 = 0, z2 = 0;
  int ztrans = 1;
  std::string z1_text, z2_text;  // the two data values as the client wrote them
  bool numbers_ok = false;       // false when the second line did not parse

  int first_column() const;  // X
  int top_line() const;      // Y
};

// Parses a world-coordinate record; returns nothing only when the data holds
// no newline at all (then not even the title can be told apart).
std::optional<WorldCoord> parse_world_coord(std::span<const std::uint8_t> data);

// Fixed-column draw record: I2, I4, I8 codes, then F9.3 position and values,
// each field followed by a blank; extra values follow in the same F9.3 form.
struct DrawRecord {
  int code1 = 0, code2 = 0, code3 = 0;
  double x = 0, y = 0;
  double value1 = 0, value2 = 0, value3 = 0;
  std::vector<double> extra;
};

std::optional<DrawRecord> parse_draw(std::span<const std::uint8_t> data);

// Keeps printable ASCII and turns everything else into '?', so that text from
// the stream cannot carry terminal control sequences.
std::string printable(std::string_view text);

}  // namespace server
