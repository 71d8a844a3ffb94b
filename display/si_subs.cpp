#include "display/si_subs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace display {

namespace {

const char* const kInName = "imt1i";
const char* const kOutName = "imt1o";

// The message, then the platform's text for the error number as it stood
// before the message was printed.
void report(const char* text, const char* path = nullptr) {
  const int saved = errno;
  if (path != nullptr) {
    std::fprintf(stderr, text, path);
  } else {
    std::fputs(text, stderr);
  }
  errno = saved;
  std::perror("");
}

bool is_fifo(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFIFO;
}

// The input side is tested first; pairs are never mixed.
bool is_fifo_pair(const std::string& in, const std::string& out) {
  return is_fifo(in) && is_fifo(out);
}

const char* non_empty_env(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

}  // namespace

FifoDescriptors& fifo_descriptors() {
  static FifoDescriptors descriptors;
  return descriptors;
}

int si_open_namedpipe() {
  // Opening again replaces the pair opened before; nothing is left dangling.
  si_close_namedpipe();
  const char* home = non_empty_env("HOME");
  if (home == nullptr) {
    report("(si_open_namedpipe_) can't find HOME\n");
    return -1;
  }
  std::string in_path;
  std::string out_path;
  bool found = false;
  const char* indev = non_empty_env("INDEV");
  const char* outdev = non_empty_env("OUTDEV");
  if (indev != nullptr && outdev != nullptr) {
    in_path = indev;
    out_path = outdev;
    found = is_fifo_pair(in_path, out_path);
  }
  if (!found) {
    const std::string prefix = std::string(home) + "/.";
    in_path = prefix + kInName;
    out_path = prefix + kOutName;
    found = is_fifo_pair(in_path, out_path);
  }
  if (!found) {
    in_path = std::string("/dev/") + kInName;
    out_path = std::string("/dev/") + kOutName;
    found = is_fifo_pair(in_path, out_path);
  }
  if (!found) {
    report("(si_open_namedpipe_) can't open named pipes\n");
    return -1;
  }

  // A display server that goes away must not take the client with it: a
  // write without a reader then fails (EPIPE) and is reported like any other.
  std::signal(SIGPIPE, SIG_IGN);

  auto& fd = fifo_descriptors();
  // The temporary read descriptor lets the non-blocking write-only open
  // succeed while no display server holds the output FIFO yet.
  fd.si_datain = ::open(out_path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd.si_datain < 0) {
    report("(si_open_namedpipe_) can't open %s\n", out_path.c_str());
    return -1;
  }
  fd.si_dataout = ::open(out_path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd.si_dataout < 0) {
    report("(si_open_namedpipe_) can't open %s\n", out_path.c_str());
    return -1;
  }
  ::fcntl(fd.si_dataout, F_SETFL, O_WRONLY);  // clears O_NONBLOCK: writes block
  ::close(fd.si_datain);
  fd.si_datain = ::open(in_path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd.si_datain < 0) {
    report("(si_open_namedpipe_) can't open %s\n", in_path.c_str());
    return -1;
  }
  ::fcntl(fd.si_datain, F_SETFL, 0);  // reads block
  return 0;
}

void si_close_namedpipe() {
  auto& fd = fifo_descriptors();
  if (fd.si_datain != -1) {
    ::close(fd.si_datain);
    fd.si_datain = -1;
  }
  if (fd.si_dataout != -1) {
    ::close(fd.si_dataout);
    fd.si_dataout = -1;
  }
}

int si_write(const void* buffer, std::int32_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  std::int32_t written = 0;
  while (written < count) {
    const ssize_t n = ::write(fifo_descriptors().si_dataout, bytes + written,
                              static_cast<std::size_t>(count - written));
    if (n <= 0) {
      report("(si_write_) can't write\n");
      return -1;
    }
    written += static_cast<std::int32_t>(n);
  }
  return 0;
}

int si_read(std::span<char> buffer, std::int32_t& count) {
  const std::size_t limit = std::min<std::size_t>(buffer.size(), kReadMax);
  const ssize_t n = limit == 0 ? 0 : ::read(fifo_descriptors().si_datain, buffer.data(), limit);
  if (n > 0) {
    count = static_cast<std::int32_t>(n);
    return 0;
  }
  report("(si_read) can't read\n");
  if (!buffer.empty()) buffer[0] = 0;
  count = 0;
  return -1;
}

}  // namespace display
