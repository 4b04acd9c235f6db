// Hand-written staircases for the mode-matching tests: uniform guides, single steps, a smooth cone
// cut in steps and a corrugated horn built from pitch and depth rules.
#pragma once

#include <cmath>
#include <numbers>

#include "zavolt/modes.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::modes::testing {

inline constexpr double kC = kSpeedOfLight;

inline profile::Profile uniform(double radius, double length) { return profile::Profile{{{length, radius}}}; }

// a1 for `l1`, then a2 for `l2`.
inline profile::Profile single_step(double a1, double l1, double a2, double l2) {
  return profile::Profile{{{l1, a1}, {l2, a2}}};
}

// A smooth-wall cone from radius a_in to a_out over the axial length `flare`, cut into `steps`
// equal steps (each at the mean radius of its slice), after an input guide of length `lead`.
inline profile::Profile stepped_cone(double a_in, double a_out, double flare, int steps, double lead) {
  profile::Profile p;
  p.sections.push_back({lead, a_in});
  for (int j = 0; j < steps; ++j) {
    const double t = (j + 0.5) / steps;
    p.sections.push_back({flare / steps, a_in + (a_out - a_in) * t});
  }
  return p;
}

// A corrugated conical horn designed at the frequency f_c for the slot depths: input radius
// 3 / k_c, a cone of semi-flare `flare_deg` to the aperture radius a_out, pitch lambda_c / pitch_div,
// slot width 0.8 pitch, a converter of `converter` slots from 0.42 lambda_c to the quarter-wave
// depth (with its curvature correction), then quarter-wave slots tapering to the aperture's at
// f_o = f_c. The aperture plane ends a ridge of the aperture radius. Returns also the slant length.
struct CorrugatedHorn {
  profile::Profile profile;
  double aperture_radius = 0.0;
  double slant = 0.0;  // apex to rim
};

inline double quarter_wave_depth(double wavelength, double ka) {
  return wavelength / 4.0 * std::exp(1.0 / (2.114 * std::pow(ka, 1.134)));
}

inline CorrugatedHorn corrugated_horn(double f_c, double a_out, double flare_deg, int converter = 5,
                                      double pitch_div = 8.0) {
  const double lambda = kC / f_c;
  const double k = 2.0 * std::numbers::pi / lambda;
  const double a_in = 3.0 / k;
  const double tan_flare = std::tan(flare_deg * std::numbers::pi / 180.0);
  const double p = lambda / pitch_div;
  const double slot = 0.8 * p;
  const double ridge = p - slot;
  const double length = (a_out - a_in) / tan_flare;
  const int count = static_cast<int>(std::ceil(length / p));
  CorrugatedHorn h;
  h.profile.sections.push_back({lambda / 2.0, a_in});
  const double d_end = quarter_wave_depth(lambda, k * a_out);
  double d_start = 0.0;
  for (int j = 1; j <= count; ++j) {
    const double z_slot = (j - 1) * p + ridge;                 // slot start
    const double a = std::min(a_in + z_slot * tan_flare, a_out);
    const double a_ridge = std::min(a_in + (j - 1) * p * tan_flare, a_out);
    double d;
    if (j <= converter) {
      const double sigma = 0.42;
      d = (sigma - ((j - 1.0) / converter) * (sigma - 0.25 * std::exp(1.0 / (2.114 * std::pow(k * a, 1.134))))) * lambda;
    } else {
      if (d_start == 0.0) d_start = quarter_wave_depth(lambda, k * a);
      const double t = count == converter + 1 ? 1.0 : (j - converter - 1.0) / (count - converter - 1.0);
      d = d_start + (d_end - d_start) * t;
    }
    h.profile.sections.push_back({ridge, a_ridge});
    h.profile.sections.push_back({slot, a + d});
  }
  h.profile.sections.push_back({ridge, a_out});
  h.aperture_radius = a_out;
  h.slant = a_out / std::sin(flare_deg * std::numbers::pi / 180.0);
  return h;
}

}  // namespace zavolt::modes::testing
