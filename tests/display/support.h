#pragma once
// Test helpers of the display client: FIFO pairs in a temporary directory, a
// reader thread that drains the output FIFO, capture of standard error and
// output, packet parsing, and child bodies run in a fresh process.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "display/packet.h"
#include "tests/common/child.h"

namespace display_test {

using testing_support::TempDir;

// Makes the FIFOs `in_name` and `out_name` in dir.
struct FifoPair {
  FifoPair(const TempDir& dir, const std::string& in_name = "imt1i",
           const std::string& out_name = "imt1o");
  std::string in;
  std::string out;
};

void make_fifo(const std::string& path);

// Drains a FIFO in its own thread from construction until finish(). The read
// side is opened (non-blocking) at once, so the display server's end exists
// before the client opens the pair. `chunk` and `pause` make a slow reader.
class FifoReader {
 public:
  explicit FifoReader(const std::string& path, std::size_t chunk = 1 << 16,
                      std::chrono::microseconds pause = std::chrono::microseconds(0));
  ~FifoReader();
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;
  // Call once every writer is closed: waits for end of file, returns all bytes.
  std::string finish();

 private:
  void run();
  int fd_ = -1;
  std::size_t chunk_;
  std::chrono::microseconds pause_;
  std::atomic<bool> stop_{false};
  std::chrono::steady_clock::time_point deadline_{};  // set before stop_
  bool timed_out_ = false;
  std::string bytes_;
  std::thread thread_;
};

// Sets HOME, INDEV, OUTDEV for one test and puts the old values back.
class EnvGuard {
 public:
  EnvGuard();
  ~EnvGuard();
  static void set(const char* name, const std::string& value);
  static void unset(const char* name);

 private:
  struct Saved {
    std::string name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved_;
};

// Redirects descriptor 1 or 2 of this process into a file until text().
class Capture {
 public:
  explicit Capture(int fd);
  ~Capture();
  std::string text();  // ends the capture

 private:
  int fd_;
  int saved_ = -1;
  std::string path_;
  bool done_ = false;
};

struct Packet {
  display::PacketHeader header{};
  std::string data;
  std::uint16_t word(std::size_t i) const { return static_cast<std::uint16_t>(header[i]); }
};
// Cuts a byte stream into packets by the header and data-length rule; fails
// the test on a truncated packet.
std::vector<Packet> parse_packets(const std::string& bytes);

// Header words as unsigned values, for table comparisons.
std::vector<std::uint16_t> words(const display::PacketHeader& h);

// Child bodies: registered by name, run by this test program started again
// with "--child NAME"; their return value is the exit status.
using ChildBody = std::function<int()>;
bool register_child(const std::string& name, ChildBody body);
int run_child_body(const std::string& name);
// Starts this program as a child running body `name` with the given environment.
testing_support::ChildResult run_self(const std::string& name, const std::vector<std::string>& env,
                                      const std::string& cwd, const std::string& stdin_text = "");

#define DISPLAY_CHILD(name)                                                          \
  static int name##_child_body();                                                    \
  [[maybe_unused]] static const bool name##_registered =                             \
      ::display_test::register_child(#name, name##_child_body);                      \
  static int name##_child_body()

}  // namespace display_test
