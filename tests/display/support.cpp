#include "tests/display/support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

#include <gtest/gtest.h>

namespace display_test {

void make_fifo(const std::string& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path);
}

FifoPair::FifoPair(const TempDir& dir, const std::string& in_name, const std::string& out_name)
    : in(dir / in_name), out(dir / out_name) {
  make_fifo(in);
  make_fifo(out);
}

FifoReader::FifoReader(const std::string& path, std::size_t chunk, std::chrono::microseconds pause)
    : chunk_(chunk), pause_(pause) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd_ < 0) throw std::runtime_error("open reader " + path);
  thread_ = std::thread([this] { run(); });
}

FifoReader::~FifoReader() {
  if (thread_.joinable()) finish();
}

void FifoReader::run() {
  std::vector<char> buffer(chunk_);
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    ::poll(&p, 1, 10);
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n > 0) {
      bytes_.append(buffer.data(), static_cast<std::size_t>(n));
      if (pause_.count() > 0) std::this_thread::sleep_for(pause_);
      continue;
    }
    // 0: no writer (yet, or any more); -1/EAGAIN: a writer, nothing to read.
    if (n == 0) {
      if (stop_) break;
    }
    // A writer left open somewhere would keep the reader waiting for ever.
    if (stop_ && std::chrono::steady_clock::now() > deadline_) {
      timed_out_ = true;
      break;
    }
    if (n == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

std::string FifoReader::finish() {
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (timed_out_) ADD_FAILURE() << "the output FIFO still has a writer: no end of file";
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return bytes_;
}

namespace {
const char* const kEnvNames[] = {"HOME", "INDEV", "OUTDEV"};
}

EnvGuard::EnvGuard() {
  for (const char* name : kEnvNames) {
    const char* v = std::getenv(name);
    saved_.push_back({name, v != nullptr, v != nullptr ? v : ""});
  }
}

EnvGuard::~EnvGuard() {
  for (const auto& s : saved_) {
    if (s.had) {
      ::setenv(s.name.c_str(), s.value.c_str(), 1);
    } else {
      ::unsetenv(s.name.c_str());
    }
  }
}

void EnvGuard::set(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
void EnvGuard::unset(const char* name) { ::unsetenv(name); }

Capture::Capture(int fd) : fd_(fd) {
  char pattern[] = "/tmp/kivcapture.XXXXXX";
  const int file = ::mkstemp(pattern);
  if (file < 0) throw std::runtime_error("mkstemp");
  path_ = pattern;
  std::fflush(nullptr);
  saved_ = ::dup(fd_);
  ::dup2(file, fd_);
  ::close(file);
}

std::string Capture::text() {
  if (!done_) {
    std::fflush(nullptr);
    ::dup2(saved_, fd_);
    ::close(saved_);
    done_ = true;
  }
  std::string t = testing_support::read_file(path_);
  ::unlink(path_.c_str());
  return t;
}

Capture::~Capture() {
  if (!done_) text();
}

std::vector<Packet> parse_packets(const std::string& bytes) {
  std::vector<Packet> packets;
  std::size_t at = 0;
  while (at < bytes.size()) {
    Packet p;
    if (bytes.size() - at < 16) {
      ADD_FAILURE() << "truncated header at byte " << at;
      break;
    }
    std::memcpy(p.header.data(), bytes.data() + at, 16);
    at += 16;
    const std::size_t n = display::data_length(p.header);
    if (bytes.size() - at < n) {
      ADD_FAILURE() << "truncated data at byte " << at;
      break;
    }
    p.data = bytes.substr(at, n);
    at += n;
    packets.push_back(std::move(p));
  }
  return packets;
}

std::vector<std::uint16_t> words(const display::PacketHeader& h) {
  std::vector<std::uint16_t> w;
  for (auto v : h) w.push_back(static_cast<std::uint16_t>(v));
  return w;
}

namespace {
std::map<std::string, ChildBody>& bodies() {
  static std::map<std::string, ChildBody> map;
  return map;
}
}  // namespace

bool register_child(const std::string& name, ChildBody body) {
  bodies()[name] = std::move(body);
  return true;
}

int run_child_body(const std::string& name) {
  auto it = bodies().find(name);
  if (it == bodies().end()) {
    std::fprintf(stderr, "no child body %s\n", name.c_str());
    return 125;
  }
  return it->second();
}

testing_support::ChildResult run_self(const std::string& name, const std::vector<std::string>& env,
                                      const std::string& cwd, const std::string& stdin_text) {
  testing_support::ChildSpec spec;
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) throw std::runtime_error("readlink /proc/self/exe");
  spec.argv = {std::string(self, static_cast<std::size_t>(n)), "--child", name};
  spec.env = env;
  // Sanitizer settings pass on, so the child is checked like the parent.
  for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "PATH"}) {
    if (const char* v = std::getenv(keep)) spec.env.push_back(std::string(keep) + "=" + v);
  }
  spec.cwd = cwd;
  spec.stdin_text = stdin_text;
  return testing_support::run_child(spec, cwd);
}

}  // namespace display_test
