#include "tests/common/child.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {

double now_seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::vector<char*> c_strings(const std::vector<std::string>& v) {
  std::vector<char*> out;
  out.reserve(v.size() + 1);
  for (const auto& s : v) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

Child start_child(const ChildSpec& spec, const std::string& scratch_dir) {
  static int serial = 0;
  ++serial;
  Child child;
  const std::string in_path = scratch_dir + "/.child" + std::to_string(serial) + ".in";
  child.out_path = scratch_dir + "/.child" + std::to_string(serial) + ".out";
  child.err_path = scratch_dir + "/.child" + std::to_string(serial) + ".err";
  write_file(in_path, spec.stdin_text);
  auto argv = c_strings(spec.argv);
  auto envp = c_strings(spec.env);
  child.started = now_seconds();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int in = open(spec.stdin_closed ? "/dev/null" : in_path.c_str(), O_RDONLY);
    const int out = open(child.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(child.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!spec.cwd.empty() && chdir(spec.cwd.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  child.pid = pid;
  return child;
}

ChildResult wait_child(const Child& child) {
  ChildResult r;
  int status = 0;
  rusage usage{};
  if (wait4(child.pid, &status, 0, &usage) != child.pid) throw std::runtime_error("wait4 failed");
  r.wall_seconds = now_seconds() - child.started;
  if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  r.user_seconds = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
  r.system_seconds = static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
  r.out = read_file(child.out_path);
  r.err = read_file(child.err_path);
  return r;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kivtest.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool wait_until_open(int pid, const std::string& path, double seconds) {
  namespace fs = std::filesystem;
  const fs::path target = fs::weakly_canonical(path);
  const fs::path fd_dir = "/proc/" + std::to_string(pid) + "/fd";
  const double deadline = now_seconds() + seconds;
  while (now_seconds() < deadline) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fd_dir, ec)) {
      std::error_code link_ec;
      if (fs::read_symlink(entry.path(), link_ec) == target) return true;
    }
    usleep(2000);
  }
  return false;
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
}

bool file_exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace testing_support
