// The records of the checked-in high-precision references (generate.py writes the values).
#pragma once

#include <limits>

namespace zavolt::aperture::references {

// A beamwidth whose level is not reached within 90 degrees.
inline constexpr double kNotReached = -1.0;
// A phase centre the reference did not compute: the field comes within 40 dB of a zero inside the
// edge, where the phase is ill-conditioned.
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
  bool zero_inside;            // a sign change of the (real) field inside the edge
};

}  // namespace zavolt::aperture::references
