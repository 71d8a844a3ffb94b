// Cost of loading images through the display client: kivload writing to a
// real FIFO that a reader thread drains, against a plain loop that writes the
// very same bytes (same header and data pieces) into the same FIFO.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "display/kiv.h"
#include "display/packet.h"
#include "display/si_subs.h"
#include "display/state.h"

namespace {

// A FIFO pair in a scratch directory, opened by the client, with a thread
// that reads the output side as fast as it can and throws the bytes away.
class Link {
 public:
  Link() {
    char pattern[] = "/tmp/kivbench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    dir_ = pattern;
    const std::string in = dir_ + "/imt1i";
    const std::string out = dir_ + "/imt1o";
    if (::mkfifo(in.c_str(), 0600) != 0 || ::mkfifo(out.c_str(), 0600) != 0) std::abort();
    ::setenv("HOME", dir_.c_str(), 1);
    ::setenv("INDEV", in.c_str(), 1);
    ::setenv("OUTDEV", out.c_str(), 1);
    reader_fd_ = ::open(out.c_str(), O_RDONLY | O_NONBLOCK);
    if (display::si_open_namedpipe() != 0) std::abort();
    ::fcntl(reader_fd_, F_SETFL, 0);  // the writer exists: block until data or end
    reader_ = std::thread([this] {
      std::vector<char> buffer(1 << 16);
      for (;;) {
        const ssize_t n = ::read(reader_fd_, buffer.data(), buffer.size());
        if (n <= 0) break;
        drained_ += static_cast<std::uint64_t>(n);
      }
    });
  }
  ~Link() {
    display::si_close_namedpipe();
    reader_.join();
    ::close(reader_fd_);
    std::filesystem::remove_all(dir_);
  }
  int out_fd() const { return display::fifo_descriptors().si_dataout; }

 private:
  std::string dir_;
  int reader_fd_ = -1;
  std::thread reader_;
  std::atomic<std::uint64_t> drained_{0};
};

Link& link() {
  static Link l;
  return l;
}

struct Load {
  std::int32_t choice;
  std::int16_t fb_width, fb_height;
  std::int32_t width, height, column, line;
  std::int32_t mode;
  std::vector<float> image;
};

// The demonstration's star of width w.
std::vector<float> star(int size, float w) {
  std::vector<float> image(static_cast<std::size_t>(size) * size);
  const float centre = size / 2 + 0.5f;
  for (int j = 1; j <= size; ++j) {
    for (int i = 1; i <= size; ++i) {
      const float r = std::sqrt((i - centre) * (i - centre) + (j - centre) * (j - centre));
      image[static_cast<std::size_t>((j - 1) * size + i - 1)] =
          r / w < 8.0f ? 5000.0f / std::pow(w, 1.6f) * std::exp(-(r / w) * (r / w)) : 0.0f;
    }
  }
  return image;
}

const Load& demo_load() {
  static const Load l{11, 128, 128, 64, 64, 32, 96, 0, star(64, 4.0f)};
  return l;
}
const Load& big_load() {
  static const Load l{3, 1024, 1024, 512, 512, 256, 767, 0, star(512, 40.0f)};
  return l;
}
const Load& big_line_load() {
  static const Load l{3, 1024, 1024, 512, 512, 256, 767, 1, star(512, 40.0f)};
  return l;
}

void prepare(const Load& l) {
  link();
  auto& s = display::display_state();
  s.integer4.fb_choice = l.choice;
  s.integer2.fb_width = l.fb_width;
  s.integer2.fb_height = l.fb_height;
  display::get_endian();
}

void run_load(const Load& l) {
  display::kivload(l.image, l.width, l.height, l.column, l.line, 0.0f, 1000.0f, "Focus Sequence",
                   1, l.mode);
}

// The pieces that one load writes, captured by pointing the client at a file.
std::vector<std::string> pieces_of(const Load& l) {
  prepare(l);
  char path[] = "/tmp/kivbench.capture.XXXXXX";
  const int file = ::mkstemp(path);
  auto& fd = display::fifo_descriptors();
  const int saved = fd.si_dataout;
  fd.si_dataout = file;
  run_load(l);
  fd.si_dataout = saved;
  std::string bytes(static_cast<std::size_t>(::lseek(file, 0, SEEK_END)), '\0');
  ::pread(file, bytes.data(), bytes.size(), 0);
  ::close(file);
  ::unlink(path);
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at + 16 <= bytes.size();) {
    display::PacketHeader h;
    std::memcpy(h.data(), bytes.data() + at, 16);
    const std::size_t n = display::data_length(h);
    pieces.push_back(bytes.substr(at, 16));
    pieces.push_back(bytes.substr(at + 16, n));
    at += 16 + n;
  }
  return pieces;
}

std::int64_t total(const std::vector<std::string>& pieces) {
  std::int64_t n = 0;
  for (const auto& p : pieces) n += static_cast<std::int64_t>(p.size());
  return n;
}

void BM_Kivload(benchmark::State& state, const Load& (*load)()) {
  const Load& l = load();
  const std::int64_t bytes = total(pieces_of(l));
  prepare(l);
  for (auto _ : state) run_load(l);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["packets"] = static_cast<double>(pieces_of(l).size() / 2);
}

void BM_PlainWrite(benchmark::State& state, const Load& (*load)()) {
  const auto pieces = pieces_of(load());
  const int fd = link().out_fd();
  for (auto _ : state) {
    for (const auto& p : pieces) {
      std::size_t done = 0;
      while (done < p.size()) {
        const ssize_t n = ::write(fd, p.data() + done, p.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
      }
    }
  }
  state.SetBytesProcessed(state.iterations() * total(pieces));
}

BENCHMARK_CAPTURE(BM_Kivload, demo_64x64_in_128, demo_load);
BENCHMARK_CAPTURE(BM_PlainWrite, demo_64x64_in_128, demo_load);
BENCHMARK_CAPTURE(BM_Kivload, block_512x512_in_1024, big_load);
BENCHMARK_CAPTURE(BM_PlainWrite, block_512x512_in_1024, big_load);
BENCHMARK_CAPTURE(BM_Kivload, line_512x512_in_1024, big_line_load);
BENCHMARK_CAPTURE(BM_PlainWrite, line_512x512_in_1024, big_line_load);

}  // namespace

BENCHMARK_MAIN();
