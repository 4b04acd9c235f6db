// SVG plots of an analysis and of a pattern, drawn with PLplot on a fixed 800 x 600 page.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zavolt::horn {

inline constexpr int kPlotWidth = 800;
inline constexpr int kPlotHeight = 600;

// One curve; a NaN y leaves a gap (a beamwidth that does not exist at that point).
struct Curve {
  std::string label;
  std::vector<double> x;
  std::vector<double> y;
};

// The feed metrics of an analysis with a reflector's edge, against frequency.
struct FeedCurves {
  Curve taper;       // dB
  Curve efficiency;  // 0 to 1
};

// Gain (dBi) against frequency (GHz) in the upper panel, the beamwidths (degrees, one curve per
// level) below it, and with `feed` a third panel of the edge taper and the feed efficiency.
// Curves beyond eight repeat the colours in another line style; legends stand outside the frames.
// Returns the SVG document.
[[nodiscard]] std::string analysis_plot_svg(const std::string& title, const Curve& gain,
                                            const std::vector<Curve>& beamwidths,
                                            const std::optional<FeedCurves>& feed = std::nullopt);

// Two quantities against frequency (GHz), one curve in each panel, labelled with their units (the
// mode-matching model's return loss and peak cross-polar level). Returns the SVG document.
[[nodiscard]] std::string two_panel_plot_svg(const std::string& title, const Curve& upper, const std::string& upper_label,
                                             const Curve& lower, const std::string& lower_label);

// Level (dB below boresight) against theta (degrees), one curve per frequency, with the -3 dB and
// -10 dB levels marked, and the reflector's edge angle when there is one, the marks labelled
// outside the frame. Levels below the
// plot's floor (nulls are minus infinity) are drawn at the floor's edge.
[[nodiscard]] std::string pattern_plot_svg(const std::string& title, const std::vector<Curve>& levels,
                                           std::optional<double> edge_angle_deg);

}  // namespace zavolt::horn
