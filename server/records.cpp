#include "server/records.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace server {

namespace {

// Reads one number from text, skipping leading blanks; fails on anything else.
bool take_number(const char*& p, double& value, std::string* token = nullptr) {
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(p, &end);
  if (end == p || errno == ERANGE || !std::isfinite(value)) return false;
  if (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\n') return false;
  if (token) token->assign(start, static_cast<std::size_t>(end - start));
  p = end;
  return true;
}

// Parses the field [offset, offset + width) of a fixed-column record.
bool field(std::string_view rec, std::size_t offset, std::size_t width, double& value) {
  if (offset + width > rec.size()) return false;
  const std::string text(rec.substr(offset, width));
  const char* p = text.c_str();
  if (!take_number(p, value)) return false;
  while (*p == ' ') ++p;
  return *p == '\0';
}

int to_int(double v) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return static_cast<int>(std::lround(v));
}

}  // namespace

int WorldCoord::first_column() const { return to_int(1.5 - tx); }
int WorldCoord::top_line() const { return to_int(ty - 1.5); }

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out.push_back(u >= 0x20 && u < 0x7F ? c : '?');
  }
  return out;
}

std::optional<WorldCoord> parse_world_coord(std::span<const std::uint8_t> data) {
  // The record may end in a 0 byte; nothing after it counts.
  std::string text(data.begin(), data.end());
  if (auto z = text.find('\0'); z != std::string::npos) text.resize(z);
  const auto nl = text.find('\n');
  if (nl == std::string::npos) return std::nullopt;

  WorldCoord wc;
  wc.title = text.substr(0, nl);
  while (!wc.title.empty() && (wc.title.back() == ' ' || wc.title.back() == '\r')) wc.title.pop_back();

  const std::string line = text.substr(nl + 1);
  const char* p = line.c_str();
  double zt = 0;
  wc.numbers_ok = take_number(p, wc.a) && take_number(p, wc.b) && take_number(p, wc.c) &&
                  take_number(p, wc.d) && take_number(p, wc.tx) && take_number(p, wc.ty) &&
                  take_number(p, wc.z1, &wc.z1_text) && take_number(p, wc.z2, &wc.z2_text) &&
                  take_number(p, zt);
  if (wc.numbers_ok) {
    wc.ztrans = to_int(zt);
    // Placements beyond any frame-buffer size are not placements.
    if (std::fabs(wc.tx) > 65536 || std::fabs(wc.ty) > 65536) wc.numbers_ok = false;
  }
  return wc;
}

std::optional<DrawRecord> parse_draw(std::span<const std::uint8_t> data) {
  const std::string_view rec(reinterpret_cast<const char*>(data.data()), data.size());
  DrawRecord d;
  double c1 = 0, c2 = 0, c3 = 0;
  if (!field(rec, 0, 2, c1) || !field(rec, 3, 4, c2) || !field(rec, 8, 8, c3) ||
      !field(rec, 17, 9, d.x) || !field(rec, 27, 9, d.y) || !field(rec, 37, 9, d.value1) ||
      !field(rec, 47, 9, d.value2) || !field(rec, 57, 9, d.value3))
    return std::nullopt;
  d.code1 = to_int(c1);
  d.code2 = to_int(c2);
  d.code3 = to_int(c3);
  for (std::size_t off = 67; off + 9 <= rec.size(); off += 10) {
    double v = 0;
    if (!field(rec, off, 9, v)) return std::nullopt;
    d.extra.push_back(v);
  }
  return d;
}

}  // namespace server
