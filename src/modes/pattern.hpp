// Pattern analysis of a mode-matching solution: power integrals, cut scans and the convergence
// comparison of two solutions.
#pragma once

#include "modes/far_field.hpp"
#include "zavolt/modes.hpp"

namespace zavolt::modes::detail {

// Integral over [0, pi/2] of (|A|^2 + |B|^2) sin theta: 20-point Gauss-Legendre panels at most
// 6 / (k a) and 15 degrees wide (two lobes of |E|^2 at most), about 1e-12 relative.
[[nodiscard]] double hemisphere_power(const Solution::FarField& ff);

// The change from `base` to `higher` (the same horn at a higher mode limit).
[[nodiscard]] Convergence compare(const Solution& base, const Solution& higher);

}  // namespace zavolt::modes::detail
