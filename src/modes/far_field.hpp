// The far field of the aperture's modes: closed forms per mode, Huygens source (each mode's own E
// and H). With v = k a sin(theta), for the field weights e_m (of E) and h_m (of eta0 H):
//   A(theta) = sum (e_m + h_m cos theta) F_m(v),  B(theta) = sum (e_m cos theta + h_m) G_m(v),
//   TE1m: F = 2 pi a N J1(chi') J1(v)/v,  G = 2 pi a N J1(chi') J1'(v) / (1 - (v/chi')^2),
//   TM1m: F = -2 pi a N J1'(chi) (v/chi) J1(v) / (1 - (v/chi)^2),  G = 0,
// with E_theta = A cos phi and E_phi = -B sin phi up to the common factor j k exp(-j k r)/(4 pi r).
// At v = chi the removable singularity is bridged by the quadratic through its limit and two
// exact values 1e-4 chi to either side (error about 1e-12 relative).
#pragma once

#include <complex>
#include <utility>
#include <vector>

#include "zavolt/modes.hpp"

namespace zavolt::modes {

struct Solution::FarField {
  struct Term {
    bool te = true;
    double chi = 0.0;    // chi' or chi
    double scale = 0.0;  // 2 pi a N J1(chi') or 2 pi a N J1'(chi)
    std::complex<double> e, h;
  };
  double k = 0.0;
  double radius = 0.0;
  std::vector<Term> terms;
  std::complex<double> boresight;  // A(0) = B(0)
  double hemisphere = 0.0;         // integral over [0, pi/2] of (|A|^2 + |B|^2) sin theta

  // A(theta) and B(theta), unnormalised.
  [[nodiscard]] std::pair<std::complex<double>, std::complex<double>> fields(double theta) const;
};

}  // namespace zavolt::modes
