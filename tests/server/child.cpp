#include "child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fbtest {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "fbview-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void make_fifo(const std::string& path) {
  if (mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path + ": " + std::strerror(errno));
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

Child::Child(const std::vector<std::string>& args, const std::vector<std::string>& env,
             const std::string& out_file, const std::string& err_file) {
  std::vector<std::string> argv_s{FBVIEW_PATH};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<std::string> env_s = env;
  if (const char* p = std::getenv("PATH")) env_s.push_back(std::string("PATH=") + p);
  // Keep the sanitizers' settings, if any, for the child too.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
    if (const char* v = std::getenv(name)) env_s.push_back(std::string(name) + "=" + v);
  std::vector<char*> argv, envp;
  for (auto& s : argv_s) argv.push_back(s.data());
  argv.push_back(nullptr);
  for (auto& s : env_s) envp.push_back(s.data());
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Child::signal(int sig) {
  if (pid_ > 0 && !reaped_) kill(pid_, sig);
}

int Child::wait(double seconds) {
  if (reaped_) return -2000;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int st = 0;
    const pid_t r = waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
      reaped_ = true;
      if (WIFEXITED(st)) return WEXITSTATUS(st);
      return -1 - WTERMSIG(st);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      reaped_ = true;
      return -1000;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

int open_writer(const std::string& path, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) {
      fcntl(fd, F_SETFL, 0);
      return fd;
    }
    if (errno != ENXIO && errno != ENOENT) return -1;
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool write_all(int fd, const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool feed_fifo(const std::string& path, const Bytes& bytes, double seconds) {
  // A server that died must not kill the test with a broken pipe.
  ::signal(SIGPIPE, SIG_IGN);
  const int fd = open_writer(path, seconds);
  if (fd < 0) return false;
  const bool ok = write_all(fd, bytes);
  close(fd);
  return ok;
}

}  // namespace fbtest
