#include "tests/input/dialogue.h"

namespace input_test {

using testing_support::file_exists;
using testing_support::read_file;

Dialogue run_dialogue(const std::vector<std::string>& args, const std::string& typed,
                      const std::vector<std::pair<std::string, std::string>>& files, bool stdin_closed) {
  testing_support::TempDir dir;
  for (const auto& [name, content] : files) testing_support::write_file(dir / name, content);
  testing_support::ChildSpec child;
  child.argv.push_back(INPUT_DRIVER_PATH);
  child.argv.insert(child.argv.end(), args.begin(), args.end());
  child.env = {"NO_STOP_MESSAGE=1", "PATH=/usr/bin:/bin"};
  child.cwd = dir.path();
  child.stdin_text = typed;
  child.stdin_closed = stdin_closed;
  const auto r = testing_support::run_child(child, dir.path());
  Dialogue d;
  d.status = r.exit_status;
  d.signal = r.signal;
  d.out = r.out;
  d.err = r.err;
  auto slurp = [&](const std::string& name) {
    return file_exists(dir / name) ? read_file(dir / name) : std::string(kNoFile);
  };
  d.fort7 = slurp("fort.7");
  d.fort49 = slurp("fort.49");
  d.result = file_exists(dir / "result.txt") ? read_file(dir / "result.txt") : std::string();
  return d;
}

std::vector<std::string> ask(const std::string& type, int len, int count, int mode, const std::string& keyword,
                             const std::string& prompt, const std::string& defaults) {
  return {"ask", type, std::to_string(len), std::to_string(count), std::to_string(mode), keyword, prompt, defaults};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace input_test
