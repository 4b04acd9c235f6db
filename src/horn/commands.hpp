// The commands: each computes its rows with the model or the classic routines, hands them
// to a RowWriter as they come, notes its warnings, and returns the plot when one was asked for.
#pragma once

#include <optional>
#include <string>

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

// The corrugated profile: the rules' parameters as the head, one row per slot, the staircase,
// STEP and STL files when asked for; the SVG drawing when request.common.plot is set.
[[nodiscard]] std::optional<std::string> run_profile(const ProfileRequest& request, RowWriter& writer,
                                                     Warnings& warnings);

}  // namespace zavolt::horn
