#pragma once
// fbview's run: serve clients on the FIFO pair until told to stop.
#include "server/cli.h"
#include "server/fifo.h"

namespace server {

inline constexpr int kExitClean = 0;
inline constexpr int kExitFailure = 1;  // FIFOs or outputs unusable
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDamaged = 3;  // the stream held damaged packets

// Runs the server with parsed options; env finds the FIFOs when the options
// do not name them. Returns the exit status.
int run_server(const Options& options, const EnvLookup& env);

// Entry point behind main: parses the command line and runs.
int fbview_main(int argc, char** argv);

}  // namespace server
