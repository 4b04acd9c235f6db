// Designs: the aperture radius for a wanted directivity or edge taper at a given S.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "aperture/checks.hpp"
#include "aperture/numerics.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::aperture {

namespace {

constexpr double kPi = std::numbers::pi;
// Under the spherical phase L > a means a > 2 lambda S; the search starts this close above it.
constexpr double kAboveCone = 1e-9;
constexpr int kMaxExpansions = 200;
// The edge-taper search steps 0.3 in u_e = k a sin(theta_e) (as the pattern scans do) and gives up
// beyond u_e = 200, far past the main beam of any S in the model's domain.
constexpr double kTaperStepU = 0.3;
constexpr double kMaxEdgeU = 200.0;

struct Problem {
  double frequency;
  double s;
  Phase phase;
  double wavelength;

  [[nodiscard]] Horn horn(double radius) const {
    const double slant = s == 0.0 ? std::numeric_limits<double>::infinity() : radius * radius / (2.0 * wavelength * s);
    return {radius, slant, phase};
  }
  [[nodiscard]] Model model(double radius) const { return Model(horn(radius), frequency); }
  // The smallest radius admitted: any under the quadratic phase, L > a under the spherical one.
  [[nodiscard]] double smallest_radius() const {
    return phase == Phase::spherical && s > 0.0 ? 2.0 * wavelength * s * (1.0 + kAboveCone) : 0.0;
  }
};

Problem make_problem(double frequency, double s, Phase phase) {
  detail::require_positive_finite(Quantity::frequency, frequency);
  detail::require_phase_deviation(s);
  return {frequency, s, phase, wavelength(frequency)};
}

Design no_solution(const Problem& p) {
  Design d;
  d.s = p.s;
  d.validity.s_outside_0_to_1 = p.s > 1.0;
  return d;
}

Design solved(const Problem& p, double radius) {
  const Model model = p.model(radius);
  Design d;
  d.s = p.s;
  d.horn = model.horn();
  d.directivity_dbi = model.directivity().dbi;
  d.validity = model.validity();
  return d;
}

}  // namespace

Design design_for_directivity(double directivity_dbi, double frequency, double s, Phase phase) {
  detail::require_finite(Quantity::directivity, directivity_dbi);
  const Problem p = make_problem(frequency, s, phase);
  const auto shortfall_under = [&](const Problem& problem, double radius) {
    return problem.model(radius).directivity().dbi - directivity_dbi;
  };
  const auto shortfall = [&](double radius) { return shortfall_under(p, radius); };

  // Under the quadratic phase, and with no phase error, F(0) depends on S alone: D grows as a^2.
  // Two steps of that scaling settle the radius (the second absorbs the change of quadrature with k a).
  Problem quadratic = p;
  quadratic.phase = Phase::quadratic;
  double radius = p.wavelength;
  for (int step = 0; step < 2; ++step) radius *= std::pow(10.0, -shortfall_under(quadratic, radius) / 20.0);
  if (phase == Phase::quadratic || s == 0.0) return solved(p, radius);

  // The spherical phase costs directivity at a given S, the more so the shorter the horn: the
  // radius lies above the quadratic one, and D still grows with a.
  const double lo = p.smallest_radius();
  const double shortfall_lo = shortfall(lo);
  if (shortfall_lo > 0.0) return no_solution(p);
  double hi = std::max(radius, lo) * 1.25;
  double shortfall_hi = shortfall(hi);
  for (int i = 0; i < kMaxExpansions && shortfall_hi < 0.0; ++i) {
    hi *= 1.25;
    shortfall_hi = shortfall(hi);
  }
  if (shortfall_hi < 0.0) return no_solution(p);
  return solved(p, detail::bracketed_root(shortfall, lo, hi, shortfall_lo, shortfall_hi));
}

Design design_for_edge_taper(double edge_taper_db, double edge_angle, double frequency, double s, Phase phase) {
  detail::require_positive_finite(Quantity::edge_taper, edge_taper_db);
  detail::require_edge_angle(edge_angle);
  const Problem p = make_problem(frequency, s, phase);
  const double k = 2.0 * kPi / p.wavelength;
  const double step = kTaperStepU / (k * std::sin(edge_angle));
  const double largest = kMaxEdgeU / (k * std::sin(edge_angle));
  const auto excess = [&](double radius) {
    return -20.0 * std::log10(std::abs(p.model(radius).relative_field(edge_angle))) - edge_taper_db;
  };

  // Within the main beam the taper grows with a, and it peaks where the edge meets the first
  // minimum of the pattern: the design is where it first rises through the target before that peak.
  // Next to the cone (L just above a under the spherical phase) boresight can be a minimum, and the
  // taper first falls: such radii put the edge outside the main beam, and the search starts where
  // the taper turns upwards.
  const auto design_at = [&](double radius) {
    Design d = solved(p, radius);
    d.edge_taper_db = -20.0 * std::log10(std::abs(Model(*d.horn, frequency).relative_field(edge_angle)));
    return d;
  };
  double before = 0.0;  // the radius before `previous`, and its excess
  double excess_before = 0.0;
  double previous = std::max(p.smallest_radius(), step / 2.0);
  double excess_previous = excess(previous);
  bool rising = false;
  while (previous <= largest) {
    const double radius = previous + step;
    const double e = excess(radius);
    if (e > excess_previous) {
      rising = true;
      if (excess_previous < 0.0 && e >= 0.0) {
        return design_at(detail::bracketed_root(excess, previous, radius, excess_previous, e));
      }
    } else if (rising) {
      // The taper peaked between `before` and `radius`: the last chance within the main beam.
      const auto falling = [&](double r) { return -excess(r); };
      const detail::Minimum peak = detail::minimum_between(falling, before, radius);
      if (excess_before < 0.0 && -peak.value >= 0.0) {
        return design_at(detail::bracketed_root(excess, before, peak.x, excess_before, -peak.value));
      }
      return no_solution(p);
    }
    before = previous;
    excess_before = excess_previous;
    previous = radius;
    excess_previous = e;
  }
  return no_solution(p);
}

}  // namespace zavolt::aperture
