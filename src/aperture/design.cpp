// Designs: the aperture radius for a wanted directivity or edge taper at a given S.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

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
  // A trial horn of a search: its far field summed at the angle asked for.
  [[nodiscard]] Model model(double radius) const { return detail::ModelAccess::unsampled(horn(radius), frequency); }
  // The smallest radius admitted: any under the quadratic phase, L > a under the spherical one.
  [[nodiscard]] double smallest_radius() const {
    return phase == Phase::spherical && s > 0.0 ? 2.0 * wavelength * s * (1.0 + kAboveCone) : 0.0;
  }
  // The domain's radii at this frequency.
  [[nodiscard]] double least_radius() const { return kLeastRadiusWavelengths * wavelength; }
  [[nodiscard]] double most_radius() const { return kMostRadiusWavelengths * wavelength; }
};

Problem make_problem(double frequency, double s, Phase phase) {
  detail::require_positive_finite(Quantity::frequency, frequency);
  detail::require_phase_deviation(s);
  return {frequency, s, phase, wavelength(frequency)};
}

Design no_solution(const Problem& p, std::string reason) {
  Design d;
  d.s = p.s;
  d.validity.s_outside_0_to_1 = p.s > 1.0;
  d.reason = std::move(reason);
  return d;
}

// The designed horn analysed as an analysis row would analyse it.
Design solved(const Problem& p, double radius) {
  const Model model(p.horn(radius), p.frequency);
  Design d;
  d.s = p.s;
  d.horn = model.horn();
  d.directivity_dbi = model.directivity().dbi;
  d.pattern_directivity_dbi = model.pattern_directivity_dbi();
  d.validity = model.validity();
  const double levels[] = {3.0, 10.0};
  const std::vector<Beamwidth> widths = model.beamwidths(levels);
  d.beamwidth_3db = widths[0];
  d.beamwidth_10db = widths[1];
  d.maximum_off_axis = widths[0].maximum_off_axis;
  return d;
}

// A wanted directivity whose radius, log10_radius in log10 metres, lies outside the domain.
[[noreturn]] void refuse_directivity(const Problem& p, double directivity_dbi, double log10_radius) {
  const double radius = std::pow(10.0, log10_radius);
  const std::string radius_text = std::isfinite(radius) && radius > 0.0
                                      ? detail::shortest(radius)
                                      : "10^" + detail::shortest(std::round(log10_radius));
  throw InvalidInput(Quantity::directivity, directivity_dbi,
                     "needs an aperture radius of " + radius_text +
                         " m, outside the model's domain at this frequency (" + detail::shortest(p.least_radius()) +
                         " to " + detail::shortest(p.most_radius()) + " m, 0.05 to 100 wavelengths)");
}

}  // namespace

Design design_for_directivity(double directivity_dbi, double frequency, double s, Phase phase) {
  detail::require_finite(Quantity::directivity, directivity_dbi);
  const Problem p = make_problem(frequency, s, phase);
  const auto shortfall_under = [&](const Problem& problem, double radius) {
    return problem.model(radius).directivity().dbi - directivity_dbi;
  };
  const auto shortfall = [&](double radius) { return shortfall_under(p, radius); };
  const double least = p.least_radius();
  const double most = p.most_radius();

  // Under the quadratic phase, and with no phase error, F(0) depends on S alone: D grows as a^2.
  // Two steps of that scaling settle the radius (the second absorbs the change of quadrature with k a).
  // The first step's radius is within a part in 1e6 of the answer: one farther outside the domain
  // is refused, one nearer is brought to its edge for the second step.
  Problem quadratic = p;
  quadratic.phase = Phase::quadratic;
  double radius = std::max(p.wavelength, least);
  const double log10_radius = std::log10(radius) - shortfall_under(quadratic, radius) / 20.0;
  radius = std::pow(10.0, log10_radius);
  if (!(radius >= least * (1.0 - 1e-6) && radius <= most * (1.0 + 1e-6))) {
    refuse_directivity(p, directivity_dbi, log10_radius);
  }
  radius = std::clamp(radius, least, most);
  radius *= std::pow(10.0, -shortfall_under(quadratic, radius) / 20.0);
  if (phase == Phase::quadratic || s == 0.0) {
    if (!(radius >= least && radius <= most)) refuse_directivity(p, directivity_dbi, std::log10(radius));
    return solved(p, radius);
  }

  // The spherical phase costs directivity at a given S, the more so the shorter the horn: the
  // radius lies above the quadratic one, and D still grows with a.
  const double lo = std::max(p.smallest_radius(), least);
  const double shortfall_lo = shortfall(lo);
  if (shortfall_lo > 0.0) {
    if (lo == least) refuse_directivity(p, directivity_dbi, std::log10(radius));
    return no_solution(p, "the wanted gain lies below that of the shortest horn, its slant at its radius");
  }
  double hi = std::min(std::max(radius, lo) * 1.25, most);
  double shortfall_hi = shortfall(hi);
  for (int i = 0; i < kMaxExpansions && shortfall_hi < 0.0 && hi < most; ++i) {
    hi = std::min(hi * 1.25, most);
    shortfall_hi = shortfall(hi);
  }
  if (shortfall_hi < 0.0) refuse_directivity(p, directivity_dbi, std::log10(std::max(radius, most)));
  return solved(p, detail::bracketed_root(shortfall, lo, hi, shortfall_lo, shortfall_hi));
}

namespace {

// Whether the edge lies inside the main beam of the designed horn: |E| has no minimum between
// boresight and the edge (boresight itself may be one, the dip of a horn with much phase error),
// and the taper is first reached at the edge (within a millionth of the angle).
bool edge_inside_main_beam(const Horn& horn, double frequency, double edge_angle, double edge_taper_db) {
  const Model model(horn, frequency);
  const double k = 2.0 * kPi / model.geometry().wavelength;
  const double step = std::min(kTaperStepU / (k * horn.radius), edge_angle / 16.0);
  const std::size_t count = detail::count_of(edge_angle / step);
  double previous = 1.0;  // |E|^2 at boresight
  bool falling = false;
  for (std::size_t j = 1; j <= count; ++j) {
    const double power = std::norm(model.relative_field(std::min(static_cast<double>(j) * step, edge_angle)));
    if (falling && power > previous * (1.0 + 1e-9)) return false;
    falling = falling || power < previous;
    previous = power;
  }
  const Beamwidth width = model.beamwidth(edge_taper_db);
  return width.width.has_value() && std::abs(*width.width / 2.0 - edge_angle) <= 1e-6 * edge_angle;
}

}  // namespace

Design design_for_edge_taper(double edge_taper_db, double edge_angle, double frequency, double s, Phase phase) {
  detail::require_positive_finite(Quantity::edge_taper, edge_taper_db);
  if (!(edge_taper_db <= kMostLevel)) throw InvalidInput(Quantity::edge_taper, edge_taper_db, "must be at most 100 dB");
  detail::require_edge_angle(edge_angle);
  const Problem p = make_problem(frequency, s, phase);
  const double k = 2.0 * kPi / p.wavelength;
  const double step = kTaperStepU / (k * std::sin(edge_angle));
  const double largest = std::min(kMaxEdgeU / (k * std::sin(edge_angle)), p.most_radius());
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
    if (!edge_inside_main_beam(*d.horn, frequency, edge_angle, edge_taper_db)) {
      return no_solution(p, "the horn that meets the taper has its edge outside the main beam");
    }
    return d;
  };
  const std::string beyond_domain = "the taper needs an aperture radius beyond the model's domain (100 wavelengths)";
  double before = 0.0;  // the radius before `previous`, and its excess
  double excess_before = 0.0;
  double previous = std::max({p.smallest_radius(), step / 2.0, p.least_radius()});
  if (previous > largest) return no_solution(p, largest < p.most_radius() ? "the main beam never reaches the taper" : beyond_domain);
  double excess_previous = excess(previous);
  bool rising = false;
  while (previous < largest) {
    const double radius = std::min(previous + step, largest);
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
      return no_solution(p, "the main beam never reaches the taper");
    }
    before = previous;
    excess_before = excess_previous;
    previous = radius;
    excess_previous = e;
  }
  return no_solution(p, largest < p.most_radius() ? "the main beam never reaches the taper" : beyond_domain);
}

std::vector<SweepPoint> sweep(const Horn& horn, std::span<const double> frequencies, std::span<const double> levels_db,
                              std::optional<double> edge_angle) {
  std::vector<SweepPoint> points;
  points.reserve(frequencies.size());
  for (const double frequency : frequencies) {
    const Model model(horn, frequency);
    SweepPoint point;
    point.frequency = frequency;
    point.geometry = model.geometry();
    point.directivity = model.directivity();
    point.pattern_directivity_dbi = model.pattern_directivity_dbi();
    point.beamwidths = model.beamwidths(levels_db);
    if (edge_angle) point.feed = model.feed_metrics(*edge_angle);
    points.push_back(std::move(point));
  }
  return points;
}

}  // namespace zavolt::aperture
