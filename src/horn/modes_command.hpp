// analyse and pattern --model modes: the mode-matching model of a profile over frequency, its
// rows in every format, its S11 as a Touchstone file and its cuts as a plot.
#pragma once

#include <span>
#include <string>

#include "horn/run.hpp"
#include "horn/units.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

// Whether the arguments ask for the mode-matching model: a command followed by --model modes
// (or --model=modes).
[[nodiscard]] bool modes_model_requested(std::span<const std::string> args);

// Runs analyse or pattern --model modes. Throws UsageError for the command line, InvalidInput for what the
// solver refuses, WriteFailure for a file; writes the warnings to streams.error unless --quiet.
void run_modes(std::span<const std::string> args, const HornStreams& streams);

// The profile of FILE.csv by profile::read_csv, in either of its forms; a header of bare names,
// "length,radius" or "z,radius", takes `unit`. Sloping walls are cut into steps of at most
// `step_length` metres. Throws UsageError naming the file, and the line of a bad record.
[[nodiscard]] profile::Profile read_profile_file(const std::string& path, Unit unit, double step_length);

}  // namespace zavolt::horn
