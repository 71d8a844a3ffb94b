#include "server/app.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>

#include "server/packet_reader.h"
#include "server/png_out.h"
#include "server/sheet.h"
#include "server/state.h"
#include "server/term_view.h"
#include "server/trace.h"

namespace server {

namespace {

volatile sig_atomic_t g_stop = 0;
volatile sig_atomic_t g_winch = 0;

void on_stop(int) { g_stop = 1; }
void on_winch(int) { g_winch = 1; }

// Handlers without SA_RESTART, so that a blocked open, read or sleep returns
// at once and the loop can look at the flags.
void install_signals() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sigemptyset(&sa.sa_mask);
  sa.sa_handler = on_stop;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sa.sa_handler = on_winch;
  sigaction(SIGWINCH, &sa, nullptr);
  sa.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &sa, nullptr);
}

double now_seconds() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Sleeps until the monotonic time t, unless told to stop first.
void sleep_until(double t) {
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(t);
  ts.tv_nsec = static_cast<long>((t - static_cast<double>(ts.tv_sec)) * 1e9);
  while (!g_stop && clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

bool readable_now(int fd) {
  struct pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

class Server {
 public:
  explicit Server(const Options& o) : opt_(o), palette_(make_palette(o.cmap)) {
    state_.on_load = [this](const DisplayState& s, const LoadInfo& info) { load_complete(s, info); };
  }

  bool open_outputs();
  void serve(int fd);
  // Redraws at the new size when the terminal was resized.
  void check_resize();
  int finish();

 private:
  void report(const std::string& msg);
  void handle(const ReadItem& item);
  void load_complete(const DisplayState& s, const LoadInfo& info);
  void show(std::uint64_t load, bool new_load);
  void redraw();

  const Options& opt_;
  Palette palette_;
  DisplayState state_;
  PacketReader reader_;
  ContactSheet sheet_;
  std::unique_ptr<TerminalView> view_;
  bool stderr_is_tty_ = false;
  std::FILE* trace_ = nullptr;
  std::uint64_t bad_checksums_ = 0, truncated_ = 0, skipped_bytes_ = 0, read_errors_ = 0;
  std::uint64_t shown_load_ = 0;  // load number last shown
  bool dirty_ = false;            // frame buffer changed since it was shown
  std::string status_;
  std::deque<double> show_times_;
  double last_show_ = -1;
};

bool Server::open_outputs() {
  if (!opt_.trace.empty()) {
    trace_ = std::fopen(opt_.trace.c_str(), "w");
    if (!trace_) {
      std::fprintf(stderr, "fbview: cannot write trace %s: %s\n", opt_.trace.c_str(), std::strerror(errno));
      return false;
    }
  }
  const bool tty = isatty(STDOUT_FILENO) != 0;
  if (opt_.view == ViewChoice::kTerminal || (opt_.view == ViewChoice::kAuto && tty))
    view_ = std::make_unique<TerminalView>(STDOUT_FILENO, palette_, color_mode_from_env(std::getenv("COLORTERM")));
  stderr_is_tty_ = isatty(STDERR_FILENO) != 0;
  return true;
}

void Server::report(const std::string& msg) {
  std::fprintf(stderr, "fbview: %s\n", msg.c_str());
  if (view_ && stderr_is_tty_) view_->disturbed();
}

void Server::show(std::uint64_t load, bool new_load) {
  if (new_load && opt_.pace_ms > 0 && last_show_ >= 0) sleep_until(last_show_ + opt_.pace_ms / 1000.0);
  const double t = now_seconds();
  if (new_load) {
    show_times_.push_back(t);
    if (show_times_.size() > 10) show_times_.pop_front();
    last_show_ = t;
  }
  double rate = 0;
  if (show_times_.size() >= 2 && show_times_.back() > show_times_.front())
    rate = static_cast<double>(show_times_.size() - 1) / (show_times_.back() - show_times_.front());
  shown_load_ = load;
  dirty_ = false;
  if (!view_) return;
  status_ = status_line(state_.record(), state_.has_record(), load, rate, 0);
  view_->show(state_.frame(), status_);
}

void Server::redraw() {
  if (view_ && shown_load_ > 0) view_->show(state_.frame(), status_);
}

void Server::check_resize() {
  if (!g_winch) return;
  g_winch = 0;
  if (view_) view_->resized();
  redraw();
}

void Server::load_complete(const DisplayState& s, const LoadInfo& info) {
  if (!opt_.sheet.empty()) sheet_.capture(s.frame(), info.area);
  if (info.number != shown_load_) show(info.number, true);
  else if (dirty_) show(info.number, false);
}

void Server::handle(const ReadItem& item) {
  if (trace_) std::fprintf(trace_, "%s\n", trace_line(item).c_str());
  if (item.type == ReadItem::Type::kFault) {
    switch (item.fault) {
      case FaultKind::kBadChecksum: ++bad_checksums_; break;
      case FaultKind::kTruncated: ++truncated_; break;
      case FaultKind::kSkipped: skipped_bytes_ += item.bytes; break;
    }
    report(fault_message(item));
    return;
  }
  const std::int16_t kind = item.header[display::kSubunit];
  if (kind == display::kPixelPacket || kind == display::kErasePacket || kind == display::kWorldCoordPacket)
    dirty_ = true;
  if (auto note = state_.apply(item.header, item.data))
    report("packet " + std::to_string(item.number) + ": " + *note);
}

void Server::serve(int fd) {
  reader_.restart();
  static std::uint8_t chunk[65536];
  for (;;) {
    check_resize();
    if (g_stop) break;
    const ReadItem item = reader_.next();
    if (item.type == ReadItem::Type::kEnd) break;
    if (item.type != ReadItem::Type::kNeedMore) {
      handle(item);
      continue;
    }
    // Nothing more in hand. When the pixels of a load have come and the client
    // has nothing more to say for now, the load is on screen at once rather
    // than when the next packet tells that it is complete.
    if (reader_.at_boundary() && state_.load_in_progress() && !readable_now(fd)) {
      const std::uint64_t n = state_.loads() + 1;
      if (n != shown_load_) show(n, true);
      else if (dirty_) show(n, false);
      if (g_stop) break;
    }
    // Wait for bytes, for the writer to hang up, or for a signal.
    struct pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, -1) < 0) {
      if (errno == EINTR) continue;
      ++read_errors_;
      report(std::string("poll failed: ") + std::strerror(errno));
      reader_.finish();
      continue;
    }
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      reader_.feed(std::span<const std::uint8_t>(chunk, static_cast<std::size_t>(got)));
    } else if (got == 0) {
      reader_.finish();  // every writer has closed: the client's stream ended
    } else if (errno != EINTR && errno != EAGAIN) {
      ++read_errors_;
      report(std::string("read failed: ") + std::strerror(errno));
      reader_.finish();
    }
  }
  state_.end_of_stream();
}

int Server::finish() {
  int status = kExitClean;
  if (view_) view_->restore();
  if (trace_ && std::fclose(trace_) != 0) {
    std::fprintf(stderr, "fbview: cannot write trace %s\n", opt_.trace.c_str());
    status = kExitFailure;
  }
  trace_ = nullptr;
  if (!opt_.png.empty()) {
    const std::string why = write_frame_png(opt_.png, state_.frame(), opt_.cmap);
    if (!why.empty()) {
      std::fprintf(stderr, "fbview: cannot write %s: %s\n", opt_.png.c_str(), why.c_str());
      status = kExitFailure;
    }
  }
  if (!opt_.sheet.empty()) {
    const std::string why = sheet_.write(opt_.sheet, opt_.cmap);
    if (!why.empty()) {
      std::fprintf(stderr, "fbview: cannot write %s: %s\n", opt_.sheet.c_str(), why.c_str());
      status = kExitFailure;
    }
  }
  const KindCounts& k = state_.kinds();
  std::fprintf(stderr,
               "fbview: %llu packets (start %llu, world-coord %llu, erase %llu, table %llu, draw %llu, "
               "pixel %llu, unknown %llu); %llu loads; %llu checksum failures; %llu truncated; "
               "%llu bytes skipped; %llu pixel bytes clipped\n",
               static_cast<unsigned long long>(reader_.packets()), static_cast<unsigned long long>(k.start),
               static_cast<unsigned long long>(k.world), static_cast<unsigned long long>(k.erase),
               static_cast<unsigned long long>(k.table), static_cast<unsigned long long>(k.draw),
               static_cast<unsigned long long>(k.pixel), static_cast<unsigned long long>(k.unknown),
               static_cast<unsigned long long>(state_.loads()),
               static_cast<unsigned long long>(bad_checksums_), static_cast<unsigned long long>(truncated_),
               static_cast<unsigned long long>(skipped_bytes_),
               static_cast<unsigned long long>(state_.clipped_bytes()));
  const bool damaged = bad_checksums_ + truncated_ + skipped_bytes_ + k.unknown + read_errors_ > 0;
  if (status == kExitClean && damaged) status = kExitDamaged;
  return status;
}

}  // namespace

int run_server(const Options& options, const EnvLookup& env) {
  FifoPaths paths{options.in_path, options.out_path};
  std::string why;
  if (paths.in.empty()) {
    auto p = fifo_paths_from_env(env, why);
    if (!p) {
      std::fprintf(stderr, "fbview: %s\n", why.c_str());
      return kExitFailure;
    }
    paths = *p;
  }
  if (paths.in == paths.out) {
    // Holding the one FIFO open for writing would hide every client's end of stream.
    std::fprintf(stderr, "fbview: the input and output FIFOs must be two different paths (%s)\n", paths.in.c_str());
    return kExitFailure;
  }
  if (!ensure_fifo(paths.in, why) || !ensure_fifo(paths.out, why)) {
    std::fprintf(stderr, "fbview: %s\n", why.c_str());
    return kExitFailure;
  }
  const int held = hold_input_side(paths.in, why);
  if (held < 0) {
    std::fprintf(stderr, "fbview: %s\n", why.c_str());
    return kExitFailure;
  }

  g_stop = 0;
  g_winch = 0;
  install_signals();
  Server server(options);
  if (!server.open_outputs()) {
    close(held);
    return kExitFailure;
  }
  int status = kExitClean;
  int fd = open_output_side(paths.out, why);
  if (fd < 0) {
    std::fprintf(stderr, "fbview: %s\n", why.c_str());
    status = kExitFailure;
  }
  while (fd >= 0) {
    server.serve(fd);
    if (options.once || g_stop) break;
    // The next client. The new descriptor is opened before the old one is
    // closed: a FIFO left without any reader drops what a writer already put
    // in it, and the next client may have written already.
    const int next = open_output_side(paths.out, why);
    close(fd);
    fd = next;
    if (fd < 0) {
      std::fprintf(stderr, "fbview: %s\n", why.c_str());
      status = kExitFailure;
    }
  }
  if (fd >= 0) close(fd);
  const int end = server.finish();
  close(held);
  return status != kExitClean ? status : end;
}

int fbview_main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string why;
  auto options = parse_options(args, why);
  if (!options) {
    std::fprintf(stderr, "fbview: %s\n(fbview --help explains the options)\n", why.c_str());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(usage_text().c_str(), stdout);
    return kExitClean;
  }
  return run_server(*options, [](const char* name) { return std::getenv(name); });
}

}  // namespace server
