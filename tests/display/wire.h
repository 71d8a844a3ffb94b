#pragma once
// A display client wired to a real FIFO pair in a temporary directory, with a
// reader thread on the output side standing in for the display server.
#include <memory>
#include <string>
#include <vector>

#include "display/kiv.h"
#include "display/si_subs.h"
#include "display/state.h"
#include "tests/display/support.h"
#include "textio/units.h"

namespace display_test {

class Wire {
 public:
  // Fresh display state with the given frame-buffer choice and size (no menu),
  // byte order detected, pair opened.
  explicit Wire(std::int32_t choice = 11, std::int16_t width = 128, std::int16_t height = 128)
      : pair_(dir_) {
    display::display_state() = display::DisplayState{};
    auto& s = display::display_state();
    s.integer4.fb_choice = choice;
    s.integer2.fb_width = width;
    s.integer2.fb_height = height;
    display::get_endian();
    EnvGuard::set("HOME", dir_.path());
    EnvGuard::set("INDEV", pair_.in);
    EnvGuard::set("OUTDEV", pair_.out);
    reader_ = std::make_unique<FifoReader>(pair_.out);
    open_status_ = display::si_open_namedpipe();
  }
  ~Wire() { display::si_close_namedpipe(); }
  int open_status() const { return open_status_; }
  const FifoPair& pair() const { return pair_; }
  const TempDir& dir() const { return dir_; }

  // Closes the pair and returns everything the display server received.
  std::string bytes() {
    display::si_close_namedpipe();
    return reader_->finish();
  }
  std::vector<Packet> packets() { return parse_packets(bytes()); }

 private:
  EnvGuard env_;
  TempDir dir_;
  FifoPair pair_;
  std::unique_ptr<FifoReader> reader_;
  int open_status_ = -1;
};

// Standard output of this process while it lives, units flushed at both ends.
class StdoutCapture {
 public:
  StdoutCapture() : capture_((textio::flush_all_units(), 1)) {}
  std::string text() {
    textio::flush_all_units();
    return capture_.text();
  }

 private:
  Capture capture_;
};

}  // namespace display_test
