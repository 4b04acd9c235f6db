// A whole run of zavolt-horn on given descriptors, so that tests can run it in-process.
#pragma once

#include <span>
#include <string>

namespace zavolt::horn {

struct HornStreams {
  int output = 1;  // the rows, --help and --version, unless --output names a file
  int error = 2;   // "zavolt-horn: error: ..." and "zavolt-horn: warning: ..." lines
};

// Runs the command in `args` (the arguments after the program name). Returns the exit status: 0,
// 1 for a file that could not be opened or written, 2 for a usage error. SIGPIPE must be ignored
// by the caller for a closed pipe to be a write failure.
[[nodiscard]] int run_horn(std::span<const std::string> args, const HornStreams& streams);

}  // namespace zavolt::horn
