// Beamwidths, the off-axis maximum and the feed metrics: scans of the pattern, refined by roots,
// minima and panels of Gauss-Legendre quadrature in theta.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "aperture/checks.hpp"
#include "aperture/numerics.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::aperture {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;
// Scans step 0.3 in u = k a sin(theta), at most 1 degree: a lobe of the pattern spans about pi
// in u, so no crossing or dip escapes unseen between a sample and a refinement of its neighbours.
constexpr double kScanStepU = 0.3;
constexpr double kMaxScanStep = kDegree;
// Quadrature panels in theta span at most 6 in u (two lobes of |E|^2) and 15 degrees.
constexpr double kPanelU = 6.0;
constexpr double kMaxPanel = 15.0 * kDegree;
// A null deeper than 60 dB counts as a zero of the field: the phase is not defined across it.
constexpr double kZeroLevel = 1e-3;
// The continuous phase is followed by halving a step until it turns less than pi/4.
constexpr double kPhaseStep = kPi / 4.0;
constexpr int kMaxHalvings = 40;

double scan_step(double ka) { return std::min(kScanStepU / ka, kMaxScanStep); }
double panel_width(double ka) { return std::min(kPanelU / ka, kMaxPanel); }

// theta_j = j step, the last one clamped to `end`.
std::vector<double> scan_angles(double ka, double end) {
  const double step = scan_step(ka);
  const std::size_t count = end / step < 1.0 ? 1 : detail::count_of(end / step);
  std::vector<double> angles;
  angles.reserve(count + 1);
  for (std::size_t j = 0; j <= count; ++j) angles.push_back(std::min(static_cast<double>(j) * step, end));
  return angles;
}

double wrap(double phase) { return phase - 2.0 * kPi * std::round(phase / (2.0 * kPi)); }

}  // namespace

// The whole pattern to 90 degrees is scanned once: the off-axis maximum needs it anyway, and every
// level's first crossing is then found among the samples.
std::vector<Beamwidth> Model::beamwidths(std::span<const double> levels_db) const {
  for (const double level : levels_db) detail::require_level(level);
  const auto level_at = [this](double theta) { return 10.0 * std::log10(std::norm(relative_field(theta))); };
  const std::vector<double> angles = scan_angles(ka_, kPi / 2.0);
  std::vector<double> levels(angles.size());
  for (std::size_t j = 0; j < angles.size(); ++j) levels[j] = j == 0 ? 0.0 : level_at(angles[j]);

  bool off_axis = false;
  for (std::size_t j = 1; j < angles.size() && !off_axis; ++j) {
    off_axis = levels[j] > 0.0;
    // A sampled peak close to boresight level may hide a true peak above it.
    const bool peak = j + 1 < angles.size() && levels[j] >= levels[j - 1] && levels[j] >= levels[j + 1];
    if (!off_axis && peak && levels[j] > -0.5) {
      const auto dip = [&](double theta) { return -level_at(theta); };
      off_axis = -detail::minimum_between(dip, angles[j - 1], angles[j + 1]).value > 0.0;
    }
  }

  std::vector<Beamwidth> widths;
  widths.reserve(levels_db.size());
  for (const double x : levels_db) {
    Beamwidth b;
    b.level_db = x;
    b.maximum_off_axis = off_axis;
    b.validity = geometry_.validity;
    const auto excess = [&](double theta) { return level_at(theta) + x; };
    for (std::size_t j = 1; j < angles.size(); ++j) {
      if (levels[j] + x <= 0.0) {
        b.width = 2.0 * detail::bracketed_root(excess, angles[j - 1], angles[j], levels[j - 1] + x, levels[j] + x);
        break;
      }
      // A dip between samples j-1 and j+1 may reach the level unseen.
      const bool dip = j + 1 < angles.size() && levels[j] <= levels[j - 1] && levels[j] <= levels[j + 1];
      if (dip) {
        const detail::Minimum m = detail::minimum_between(excess, angles[j - 1], angles[j + 1]);
        if (m.value <= 0.0) {
          b.width = 2.0 * detail::bracketed_root(excess, angles[j - 1], m.x, levels[j - 1] + x, m.value);
          break;
        }
      }
    }
    b.not_reached_within_90_degrees = !b.width.has_value();
    widths.push_back(b);
  }
  return widths;
}

Beamwidth Model::beamwidth(double level_db) const {
  const double levels[] = {level_db};
  return beamwidths(levels).front();
}

bool Model::maximum_off_axis() const {
  const double level[] = {3.0};
  return beamwidths(level).front().maximum_off_axis;
}

double Model::pattern_directivity_dbi() const {
  // The same panels in theta as the feed metrics' power integrals.
  detail::Rule rule;
  const double width = panel_width(ka_);
  detail::append_panels(rule, 0.0, kPi / 2.0, detail::panels_of((kPi / 2.0) / width));
  double power = 0.0;
  for (std::size_t i = 0; i < rule.nodes.size(); ++i) {
    power += rule.weights[i] * std::norm(relative_field(rule.nodes[i])) * std::sin(rule.nodes[i]);
  }
  // 4 pi |E(0)|^2 / (2 pi integral |E|^2 sin theta), |E(0)| = 1.
  return 10.0 * std::log10(2.0 / power);
}

FeedMetrics Model::feed_metrics(double edge_angle) const {
  detail::require_edge_angle(edge_angle);
  FeedMetrics m;
  m.edge_angle = edge_angle;
  m.validity = geometry_.validity;
  m.edge_taper_db = -20.0 * std::log10(std::abs(relative_field(edge_angle)));

  // The |E| integral is split where |E| has a kink or nearly one: at the sign changes of a real
  // field (no phase error), and at every minimum of |E| of a complex one, whose null is the sharper
  // the smaller the phase error (a 20-point panel across it misses the taper efficiency by up to
  // 6e-4 as S tends to 0). One sample beyond the edge finds a minimum just inside it. A null deeper
  // than kZeroLevel counts as a zero of the field.
  const bool real_field = std::isinf(horn_.slant);
  std::vector<double> angles = scan_angles(ka_, edge_angle);
  angles.push_back(edge_angle + scan_step(ka_));
  std::vector<std::complex<double>> fields(angles.size());
  for (std::size_t j = 0; j < angles.size(); ++j) fields[j] = relative_field(angles[j]);
  const auto power = [this](double theta) { return std::norm(relative_field(theta)); };
  std::vector<double> breaks = {0.0};
  bool zero = false;
  for (std::size_t j = 1; j + 1 < angles.size(); ++j) {
    if (real_field && std::signbit(fields[j].real()) != std::signbit(fields[j - 1].real())) {
      const auto real_part = [this](double theta) { return relative_field(theta).real(); };
      breaks.push_back(
          detail::bracketed_root(real_part, angles[j - 1], angles[j], fields[j - 1].real(), fields[j].real()));
      zero = true;
      continue;
    }
    const bool dip = std::abs(fields[j]) <= std::abs(fields[j - 1]) && std::abs(fields[j]) <= std::abs(fields[j + 1]);
    if (!dip || (real_field && zero)) continue;
    const detail::Minimum minimum = detail::minimum_between(power, angles[j - 1], angles[j + 1]);
    if (!(minimum.x < edge_angle)) continue;
    zero = zero || minimum.value < kZeroLevel * kZeroLevel;
    if (!real_field) breaks.push_back(minimum.x);
  }
  // Minima of neighbouring dips may come out of order.
  std::sort(breaks.begin(), breaks.end());
  breaks.push_back(edge_angle);

  detail::Rule inside;
  const double width = panel_width(ka_);
  for (std::size_t i = 0; i + 1 < breaks.size(); ++i) {
    const double span = breaks[i + 1] - breaks[i];
    detail::append_panels(inside, breaks[i], breaks[i + 1], detail::panels_of(span / width));
  }
  detail::Rule outside;
  detail::append_panels(outside, edge_angle, kPi, detail::panels_of((kPi - edge_angle) / width));

  std::vector<std::complex<double>> inside_fields(inside.nodes.size());
  double power_inside = 0.0;
  double amplitude_moment = 0.0;
  for (std::size_t i = 0; i < inside.nodes.size(); ++i) {
    const double theta = inside.nodes[i];
    inside_fields[i] = relative_field(theta);
    power_inside += inside.weights[i] * std::norm(inside_fields[i]) * std::sin(theta);
    amplitude_moment += inside.weights[i] * std::abs(inside_fields[i]) * std::tan(theta / 2.0);
  }
  double power_outside = 0.0;
  for (std::size_t i = 0; i < outside.nodes.size(); ++i) {
    const double theta = outside.nodes[i];
    power_outside += outside.weights[i] * std::norm(relative_field(theta)) * std::sin(theta);
  }
  const double cot_half = 1.0 / std::tan(edge_angle / 2.0);
  m.spillover_efficiency = power_inside / (power_inside + power_outside);
  m.taper_efficiency = 2.0 * cot_half * cot_half * amplitude_moment * amplitude_moment / power_inside;
  m.feed_efficiency = m.spillover_efficiency * m.taper_efficiency;

  m.phase_centre_undefined = zero;
  if (zero) return m;

  // The continuous phase from boresight (where it is 0) through the nodes in order, then the
  // weighted least-squares line psi = c0 + k d (1 - cos theta): the same fit as psi0 - k d cos theta,
  // in a variable that keeps its digits at small angles.
  const auto follow = [this](auto& self, double from, double phase, double to, std::complex<double> field,
                             int depth) -> double {
    const double turn = wrap(std::arg(field) - phase);
    if (std::abs(turn) <= kPhaseStep || depth == kMaxHalvings) return phase + turn;
    const double middle = from + (to - from) / 2.0;
    const double phase_middle = self(self, from, phase, middle, relative_field(middle), depth + 1);
    return self(self, middle, phase_middle, to, field, depth + 1);
  };
  std::vector<double> phases(inside.nodes.size());
  double previous_theta = 0.0;
  double previous_phase = 0.0;
  for (std::size_t i = 0; i < inside.nodes.size(); ++i) {
    phases[i] = follow(follow, previous_theta, previous_phase, inside.nodes[i], inside_fields[i], 0);
    previous_theta = inside.nodes[i];
    previous_phase = phases[i];
  }
  double sum_q = 0.0;
  double sum_qv = 0.0;
  double sum_qpsi = 0.0;
  std::vector<double> v(inside.nodes.size());
  std::vector<double> q(inside.nodes.size());
  for (std::size_t i = 0; i < inside.nodes.size(); ++i) {
    const double theta = inside.nodes[i];
    const double half_sine = std::sin(theta / 2.0);
    v[i] = 2.0 * half_sine * half_sine;  // 1 - cos theta
    q[i] = inside.weights[i] * std::norm(inside_fields[i]) * std::sin(theta);
    sum_q += q[i];
    sum_qv += q[i] * v[i];
    sum_qpsi += q[i] * phases[i];
  }
  const double mean_v = sum_qv / sum_q;
  const double mean_psi = sum_qpsi / sum_q;
  double covariance = 0.0;
  double variance = 0.0;
  for (std::size_t i = 0; i < inside.nodes.size(); ++i) {
    covariance += q[i] * (v[i] - mean_v) * (phases[i] - mean_psi);
    variance += q[i] * (v[i] - mean_v) * (v[i] - mean_v);
  }
  const double k = 2.0 * kPi / geometry_.wavelength;
  m.phase_centre = covariance / variance / k;
  return m;
}

}  // namespace zavolt::aperture
