#pragma once
// Runs a program as a real child process: its own environment, standard input
// from a text, standard output and error captured, exit status and rusage kept.
#include <string>
#include <sys/resource.h>
#include <vector>

namespace testing_support {

struct ChildResult {
  int exit_status = -1;  // exit code, or -1 when killed by a signal
  int signal = 0;        // the signal that ended it, 0 otherwise
  std::string out;
  std::string err;
  double user_seconds = 0;
  double system_seconds = 0;
  double wall_seconds = 0;
};

struct ChildSpec {
  std::vector<std::string> argv;           // argv[0] is the program's path
  std::vector<std::string> env;            // NAME=value, the whole environment
  std::string cwd;                         // empty: the test's own
  std::string stdin_text;                  // fed and then closed
  bool stdin_closed = false;               // standard input at end at once (/dev/null)
};

// Starts the child without waiting for it.
struct Child {
  int pid = -1;
  std::string out_path, err_path;
  double started = 0;
};
Child start_child(const ChildSpec& spec, const std::string& scratch_dir);
ChildResult wait_child(const Child& child);

inline ChildResult run_child(const ChildSpec& spec, const std::string& scratch_dir) {
  return wait_child(start_child(spec, scratch_dir));
}

// A fresh temporary directory, removed with everything in it by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Waits until process `pid` holds `path` open (seen through /proc), at most
// `seconds`; false when it never does. Used to start a client only once the
// display server reads its FIFO.
bool wait_until_open(int pid, const std::string& path, double seconds = 5.0);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

}  // namespace testing_support
