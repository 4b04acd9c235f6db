// The commands: each computes its rows with the model or the classic routines, hands them
// to a RowWriter as they come, notes its warnings, and returns the plot when one was asked for.
#pragma once

#include <optional>
#include <string>

#include "horn/atomic_file.hpp"
#include "horn/options.hpp"
#include "horn/warnings.hpp"
#include "horn/writers.hpp"

namespace zavolt::horn {

// Aperture radius, slant length and gain for each S: to a gain (either model) or to an edge taper
// (aperture model). A point without a solution is a row of empty lengths and a warning.
void run_design(const DesignRequest& request, RowWriter& writer, Warnings& warnings);

// Gain, S and the beamwidths for each frequency, and the feed metrics for a reflector edge. The
// SVG of gain and beamwidths against frequency when request.common.plot is set.
[[nodiscard]] std::optional<std::string> run_analyse(const AnalyseRequest& request, RowWriter& writer,
                                                     Warnings& warnings);

// Level and phase against theta for each frequency; the SVG of the levels when asked for.
[[nodiscard]] std::optional<std::string> run_pattern(const PatternRequest& request, RowWriter& writer,
                                                     Warnings& warnings);

// The files of the profile command beside --output and --plot, each replaced whole or not at all:
// opened before anything is computed, committed by the caller once the whole run succeeded.
struct ProfileFiles {
  std::optional<AtomicFile> sections;
  std::optional<AtomicFile> step;
  std::optional<AtomicFile> stl;

  explicit ProfileFiles(const ProfileRequest& request);
  void commit();
};

// The corrugated profile: the rules' parameters as the head, one row per slot, the staircase,
// STEP and STL files when asked for, written into `files` before the first row; the SVG drawing
// when request.common.plot is set.
[[nodiscard]] std::optional<std::string> run_profile(const ProfileRequest& request, RowWriter& writer,
                                                     Warnings& warnings, ProfileFiles& files);

}  // namespace zavolt::horn
