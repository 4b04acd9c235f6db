// analyse and pattern --model modes: the mode-matching model of a profile over frequency, its
// rows in every format, its S11 as a Touchstone file and its cuts as a plot.
#pragma once

#include <span>
#include <string>

#include "horn/run.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

// Whether the arguments ask for the mode-matching model: a command followed by --model modes
// (or --model=modes).
[[nodiscard]] bool modes_model_requested(std::span<const std::string> args);

// Runs analyse or pattern --model modes. Throws UsageError for the command line, InvalidInput for what the
// solver refuses, WriteFailure for a file; writes the warnings to streams.error unless --quiet.
void run_modes(std::span<const std::string> args, const HornStreams& streams);

// A profile from CSV text: one section a line, "length,radius" in metres times `scale` (the
// unit's length in metres); blank lines, lines starting with '#' and a first line of names are
// skipped. Throws UsageError naming `name` and the line.
[[nodiscard]] profile::Profile read_profile_csv(const std::string& text, double scale, const std::string& name);

}  // namespace zavolt::horn
