#pragma once
// Runs the usrinp test driver as a real child process in a fresh directory,
// feeds it typed lines, and collects its terminal output, transcript (fort.7),
// save file (fort.49), stored values (result.txt) and exit status.
#include <string>
#include <vector>

#include "tests/common/child.h"

namespace input_test {

struct Dialogue {
  int status = -1;
  int signal = 0;
  std::string out;       // standard output
  std::string err;       // standard error
  std::string fort7;     // transcript ("<none>" when the file was not created)
  std::string fort49;    // save file ("<none>" when not created)
  std::string result;    // driver's record of the stored values
};

inline constexpr const char* kNoFile = "<none>";

// `files` are written into the directory before the run (name, content pairs).
Dialogue run_dialogue(const std::vector<std::string>& args, const std::string& typed,
                      const std::vector<std::pair<std::string, std::string>>& files = {},
                      bool stdin_closed = false);

// One "ask" action for the driver.
std::vector<std::string> ask(const std::string& type, int len, int count, int mode,
                             const std::string& keyword, const std::string& prompt,
                             const std::string& defaults);

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b);

}  // namespace input_test
