#pragma once
// FIFO transport to the display server: finds and opens the pair of named
// pipes and moves bytes. Failures are reported on standard error, followed by
// the platform's text for the error number, and returned as -1.
#include <cstdint>
#include <span>

namespace display {

// Descriptors of the pair, -1 while closed.
struct FifoDescriptors {
  int si_datain = -1;   // input FIFO ("imt1i"), read side
  int si_dataout = -1;  // output FIFO ("imt1o"), the display server reads it
};
FifoDescriptors& fifo_descriptors();

// Candidate pairs, first that exists as two FIFOs wins: $INDEV/$OUTDEV (both
// set and non-empty), $HOME/.imt1i + $HOME/.imt1o, /dev/imt1i + /dev/imt1o.
// Paths may be of any length. A pair already open is closed first. From here on the broken-pipe signal is ignored,
// so a write without a reader fails with EPIPE instead of ending the process.
int si_open_namedpipe();

// Closes each open descriptor and sets it to -1; any state.
void si_close_namedpipe();

// Writes exactly count bytes to the output FIFO, resuming a partial write at
// the first unwritten byte. count <= 0 writes nothing and returns 0.
int si_write(const void* buffer, std::int32_t count);

// One read of at most 16384 bytes (and at most buffer.size()) from the input
// FIFO. On end of file or failure: count 0, first byte 0, -1.
inline constexpr std::int32_t kReadMax = 16384;
int si_read(std::span<char> buffer, std::int32_t& count);

}  // namespace display
