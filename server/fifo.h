#pragma once
// The FIFO pair the client writes to: finding it, creating it, opening it.
//
// The client writes packets to the output FIFO ("imt1o") and reads nothing
// from the input FIFO ("imt1i"); the server reads the first and only holds
// the second open.
#include <functional>
#include <optional>
#include <string>

namespace server {

struct FifoPaths {
  std::string in;   // the client's input side: held open, never written
  std::string out;  // the client's output side: read for packets
};

using EnvLookup = std::function<const char*(const char*)>;

// INDEV/OUTDEV when both are set and not empty, else $HOME/.imt1i and
// $HOME/.imt1o. Sets why and returns nothing when neither is available.
std::optional<FifoPaths> fifo_paths_from_env(const EnvLookup& env, std::string& why);

// Creates a missing FIFO (mode 0600). Fails with a reason when the path
// exists and is not a FIFO, or cannot be created.
bool ensure_fifo(const std::string& path, std::string& why);

// Opens the input side so that it stays open for the whole run (read and
// write, so the open never waits). Returns -1 and sets why on failure.
int hold_input_side(const std::string& path, std::string& why);

// Opens the output side for reading without waiting for a writer (the
// descriptor is non-blocking: wait for data with poll). A descriptor opened
// before a writer comes reports a hang-up only once a writer has come and gone.
// Returns -1 and sets why on failure.
int open_output_side(const std::string& path, std::string& why);

}  // namespace server
