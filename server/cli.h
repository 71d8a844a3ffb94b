#pragma once
// Command line of fbview.
#include <optional>
#include <string>
#include <vector>

#include "server/palette.h"

namespace server {

enum class ViewChoice { kAuto, kTerminal, kNone };

struct Options {
  std::string in_path, out_path;  // both empty: found from the environment
  bool once = false;
  std::string png, trace, sheet;
  ViewChoice view = ViewChoice::kAuto;
  int pace_ms = 0;
  ColorMap cmap = ColorMap::kGrey;
  bool help = false;
};

// Parses argv[1..]; sets why and returns nothing on a bad command line.
std::optional<Options> parse_options(const std::vector<std::string>& args, std::string& why);

std::string usage_text();

}  // namespace server
