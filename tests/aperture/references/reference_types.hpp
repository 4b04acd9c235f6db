// The records of the checked-in high-precision references (generate.py writes the values).
#pragma once

#include <limits>

namespace zavolt::aperture::references {

// A beamwidth whose level is not reached within 90 degrees.
inline constexpr double kNotReached = -1.0;
// A phase centre the reference did not compute: inside the edge the field has a zero, or a null
// deeper than 54 dB (too near the 60 dB at which the model calls the phase centre undefined), or,
// with no phase error, comes within 40 dB of zero.
inline constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

struct DirectivityReference {
  double a_over_lambda;
  double s;
  bool spherical;
  double dbi;
};

struct BeamwidthReference {
  double a_over_lambda;
  double s;
  bool spherical;
  double level_db;
  double width_deg;  // kNotReached
};

struct FeedReference {
  double a_over_lambda;
  double s;
  bool spherical;
  double edge_deg;
  double edge_taper_db;
  double spillover;
  double taper;
  double phase_centre_lambda;  // kUnchecked
  // Inside the edge, a sign change of a real field or a null deeper than 66 dB: the model must call
  // the phase centre undefined.
  bool zero_inside;
};

}  // namespace zavolt::aperture::references
