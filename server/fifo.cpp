#include "server/fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace server {

std::optional<FifoPaths> fifo_paths_from_env(const EnvLookup& env, std::string& why) {
  const char* in = env("INDEV");
  const char* out = env("OUTDEV");
  if (in && *in && out && *out) return FifoPaths{in, out};
  const char* home = env("HOME");
  if (!home || !*home) {
    why = "HOME is not set, and INDEV/OUTDEV do not name both FIFOs; give --in and --out";
    return std::nullopt;
  }
  std::string h = home;
  return FifoPaths{h + "/.imt1i", h + "/.imt1o"};
}

bool ensure_fifo(const std::string& path, std::string& why) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISFIFO(st.st_mode)) return true;
    why = path + " exists and is not a FIFO; refusing to use it";
    return false;
  }
  if (errno != ENOENT) {
    why = path + ": " + std::strerror(errno);
    return false;
  }
  if (mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
    why = "cannot create FIFO " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

int hold_input_side(const std::string& path, std::string& why) {
  const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) why = "cannot open " + path + ": " + std::strerror(errno);
  return fd;
}

int open_output_side(const std::string& path, std::string& why) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) why = "cannot open " + path + ": " + std::strerror(errno);
  return fd;
}

}  // namespace server
