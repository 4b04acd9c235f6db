// The horn at one frequency: geometry, validity, the sampled aperture and the far field.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "aperture/checks.hpp"
#include "aperture/numerics.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::aperture {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFlareLimit = 15.0 * kPi / 180.0;  // beyond it the quadratic phase is a poor fit
// The angular frequency in x of the aperture integrand is at most k a + p + 2 k Delta(a); one
// 20-point panel per 14 radians of it keeps the quadrature error near 1e-14.
constexpr double kRadiansPerPanel = 14.0;
// The far field F(u) has exponential type 1 in u (the aperture ends at x = 1), so its n-th
// derivative is bounded by |F|'s scale, and a Chebyshev interpolant of degree n on a panel of
// width w errs by at most 2 (w / 4)^(n + 1) / (n + 1)!: 4e-18 for n = 47 and w = 32, with 1.5
// samples per unit of u.
constexpr int kPanelDegree = 47;
constexpr double kMostPanelU = 32.0;
// An interpolated F(u) costs about as much as this many evaluations of J0.
constexpr double kInterpolationWork = 2.0;
// Samples of the scans and the Brent and root refinements of one beamwidth level or the feed
// metrics, per unit of k a: an upper estimate of what beam.cpp asks for.
constexpr double kScanSamplesPerKa = 5.3;
constexpr double kRefinementsPerKa = 12.0;

// The Chebyshev points (1 - cos(pi i / n)) / 2 on [0, 1] and their barycentric weights (-1)^i,
// halved at both ends.
struct ChebyshevPoints {
  std::array<double, kPanelDegree + 1> nodes;
  std::array<double, kPanelDegree + 1> weights;
};

const ChebyshevPoints& chebyshev_points() {
  static const ChebyshevPoints points = [] {
    ChebyshevPoints p{};
    for (int i = 0; i <= kPanelDegree; ++i) {
      const auto at = static_cast<std::size_t>(i);
      p.nodes[at] = (1.0 - std::cos(kPi * i / kPanelDegree)) / 2.0;
      p.weights[at] = (i % 2 == 0 ? 1.0 : -1.0) * (i == 0 || i == kPanelDegree ? 0.5 : 1.0);
    }
    return p;
  }();
  return points;
}

std::string wavelengths_text(double wavelength) {
  return "between " + detail::shortest(kLeastRadiusWavelengths * wavelength) + " and " +
         detail::shortest(kMostRadiusWavelengths * wavelength) + " (0.05 to 100 wavelengths at this frequency)";
}

void require_horn(const Horn& horn, double frequency) {
  detail::require_positive_finite(Quantity::frequency, frequency);
  detail::require_positive_finite(Quantity::radius, horn.radius);
  if (std::isnan(horn.slant) || !(horn.slant > 0.0)) {
    throw InvalidInput(Quantity::slant, horn.slant, "must be positive");
  }
  if (horn.phase == Phase::spherical && !(horn.slant > horn.radius)) {
    std::string requirement = "must exceed the aperture radius under the spherical phase (radius ";
    requirement += detail::shortest(horn.radius);
    requirement += ')';
    throw InvalidInput(Quantity::slant, horn.slant, requirement);
  }
  const double wavelength = kSpeedOfLight / frequency;
  const double a_over_lambda = horn.radius / wavelength;
  if (!(a_over_lambda >= kLeastRadiusWavelengths && a_over_lambda <= kMostRadiusWavelengths)) {
    throw InvalidInput(Quantity::radius, horn.radius, "must lie " + wavelengths_text(wavelength));
  }
  if (std::isinf(horn.slant)) return;
  // S = (a / lambda) (a / 2 L) cannot overflow where a / lambda is bounded. A design's horn at
  // S = 4 gives S back within a few roundings.
  const double s = a_over_lambda * (horn.radius / (2.0 * horn.slant));
  if (!(s <= kMostPhaseDeviation * (1.0 + 1e-12))) {
    throw InvalidInput(Quantity::slant, horn.slant,
                       "must give S = a^2 / (2 lambda L) of at most 4, not " + detail::shortest(s));
  }
}

// The path excess Delta(rho) of the spherical wave from the apex over the aperture plane.
double path_excess(const Horn& horn, double rho) {
  if (std::isinf(horn.slant)) return 0.0;
  if (horn.phase == Phase::quadratic) return rho * rho / (2.0 * horn.slant);
  // sqrt(h^2 + rho^2) - h without the cancellation, h = sqrt(L^2 - a^2).
  const double h = std::sqrt((horn.slant - horn.radius) * (horn.slant + horn.radius));
  return rho * rho / (std::sqrt(h * h + rho * rho) + h);
}

Geometry make_geometry(const Horn& horn, double frequency) {
  Geometry g;
  g.wavelength = kSpeedOfLight / frequency;
  g.s = std::isinf(horn.slant) ? 0.0 : horn.radius * horn.radius / (2.0 * g.wavelength * horn.slant);
  g.flare_half_angle = horn.slant <= horn.radius ? kPi / 2.0 : std::asin(horn.radius / horn.slant);
  g.validity.s_outside_0_to_1 = g.s < 0.0 || g.s > 1.0;
  g.validity.flare_above_15_degrees = horn.phase == Phase::quadratic && g.flare_half_angle > kFlareLimit;
  g.validity.aperture_below_wavelength = horn.radius < g.wavelength;
  g.validity.flare_beyond_accuracy_domain = horn.radius / horn.slant > kMostAccurateFlare;
  return g;
}

// arg in (-pi, pi]: std::arg gives -pi for a negative real with a negative zero imaginary part.
double wrapped_phase(std::complex<double> z) {
  const double phase = std::arg(z);
  return phase <= -kPi ? kPi : phase;
}

}  // namespace

double wavelength(double frequency) {
  detail::require_positive_finite(Quantity::frequency, frequency);
  return kSpeedOfLight / frequency;
}

double edge_angle_from_f_over_d(double f_over_d) {
  if (!(std::isfinite(f_over_d) && f_over_d > 0.25)) {
    throw InvalidInput(Quantity::f_over_d, f_over_d, "must be finite and above 0.25");
  }
  const double edge_angle = 2.0 * std::atan(1.0 / (4.0 * f_over_d));
  if (!(edge_angle >= kLeastEdgeAngle)) {
    throw InvalidInput(Quantity::f_over_d, f_over_d, "must give an edge angle of at least 0.01 degree (f/D up to 1432.4)");
  }
  return edge_angle;
}

Geometry geometry(const Horn& horn, double frequency) {
  require_horn(horn, frequency);
  return make_geometry(horn, frequency);
}

Model::Model(const Horn& horn, double frequency) : Model(horn, frequency, true) {}

Model::Model(const Horn& horn, double frequency, bool sampled) : horn_(horn), frequency_(frequency) {
  require_horn(horn, frequency);
  geometry_ = make_geometry(horn, frequency);
  const double k = 2.0 * kPi / geometry_.wavelength;
  ka_ = k * horn.radius;
  const double rim_phase = k * path_excess(horn, horn.radius);
  // Within the domain ka <= 200 pi and the rim phase is at most 8 pi (quadratic) or ka (spherical):
  // a few hundred panels.
  const double oscillation = ka_ + kFirstZeroJ0 + 2.0 * rim_phase;
  const int panels = detail::panels_of(oscillation / kRadiansPerPanel);
  detail::Rule rule;
  detail::append_panels(rule, 0.0, 1.0, panels);
  nodes_ = std::move(rule.nodes);
  weights_.reserve(nodes_.size());
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    const double x = nodes_[i];
    const double amplitude = rule.weights[i] * x * detail::bessel_j0(kFirstZeroJ0 * x);
    weights_.push_back(std::polar(amplitude, -k * path_excess(horn, horn.radius * x)));
  }
  boresight_ = aperture_integral(0.0);
  if (!sampled) return;
  const int far_panels = detail::panels_of(ka_ / kMostPanelU);
  panel_u_ = ka_ / far_panels;
  samples_.reserve(static_cast<std::size_t>(far_panels) * (kPanelDegree + 1));
  for (int j = 0; j < far_panels; ++j) {
    for (const double t : chebyshev_points().nodes) samples_.push_back(aperture_integral((j + t) * panel_u_));
  }
}

Work estimated_work(const Horn& horn, double frequency) {
  require_horn(horn, frequency);
  const double wavelength = kSpeedOfLight / frequency;
  const double k = 2.0 * kPi / wavelength;
  const double ka = k * horn.radius;
  const double oscillation = ka + kFirstZeroJ0 + 2.0 * k * path_excess(horn, horn.radius);
  const double nodes = 20.0 * std::ceil(oscillation / kRadiansPerPanel);
  const double samples = (kPanelDegree + 1) * std::ceil(ka / kMostPanelU);
  Work w;
  const double scan = (kScanSamplesPerKa * ka + 100.0) * kInterpolationWork;
  // A root or a minimum costs a few dozen evaluations and some overhead whatever the horn.
  const double refinements = (kRefinementsPerKa * ka + 650.0) * kInterpolationWork;
  w.model = nodes * (samples + 1.0) + scan;
  w.per_level = scan + refinements;
  w.per_angle = kInterpolationWork;
  w.feed_metrics = 2.0 * (scan + refinements);
  return w;
}

std::complex<double> Model::aperture_integral(double u) const {
  std::complex<double> sum = 0.0;
  if (u == 0.0) {
    for (const std::complex<double>& w : weights_) sum += w;
    return sum;
  }
  for (std::size_t i = 0; i < nodes_.size(); ++i) sum += weights_[i] * detail::bessel_j0(u * nodes_[i]);
  return sum;
}

Directivity Model::directivity() const {
  const double a_over_lambda = horn_.radius / geometry_.wavelength;
  const double j1 = detail::bessel_j1(kFirstZeroJ0);
  const double d = 16.0 * kPi * kPi * a_over_lambda * a_over_lambda * std::norm(boresight_) / (j1 * j1);
  return {10.0 * std::log10(d), geometry_.validity};
}

std::complex<double> Model::far_field(double u) const {
  if (samples_.empty()) return aperture_integral(u);
  // F is even in u, and |u| <= k a: the panel index is in range before the conversion.
  const double position = std::min(std::abs(u) / panel_u_, static_cast<double>(samples_.size() / (kPanelDegree + 1)));
  const auto panel = std::min(static_cast<std::size_t>(position), samples_.size() / (kPanelDegree + 1) - 1);
  const double t = position - static_cast<double>(panel);
  const std::complex<double>* f = samples_.data() + panel * (kPanelDegree + 1);
  // The barycentric form of the second kind: stable on Chebyshev points.
  const ChebyshevPoints& points = chebyshev_points();
  std::complex<double> numerator = 0.0;
  double denominator = 0.0;
  for (std::size_t i = 0; i < points.nodes.size(); ++i) {
    const double difference = t - points.nodes[i];
    if (difference == 0.0) return f[i];
    const double weight = points.weights[i] / difference;
    numerator += weight * f[i];
    denominator += weight;
  }
  return numerator / denominator;
}

std::complex<double> Model::relative_field(double theta) const {
  detail::require_finite(Quantity::theta, theta);
  const double obliquity = (1.0 + std::cos(theta)) / 2.0;
  const double u = ka_ * std::sin(theta);
  // On the axis the ratio is 1 exactly: a complex division of F(0) by itself leaves a phase of
  // about 1e-15 rad.
  if (u == 0.0) return obliquity;
  return obliquity * far_field(u) / boresight_;
}

PatternPoint Model::pattern_point(double theta) const {
  PatternPoint p;
  p.theta = theta;
  p.field = relative_field(theta);
  p.level_db = 20.0 * std::log10(std::abs(p.field));
  p.phase = wrapped_phase(p.field);
  return p;
}

std::vector<PatternPoint> Model::pattern(std::span<const double> thetas) const {
  std::vector<PatternPoint> cut;
  cut.reserve(thetas.size());
  for (const double theta : thetas) cut.push_back(pattern_point(theta));
  return cut;
}

Directivity directivity(const Horn& horn, double frequency) { return Model(horn, frequency).directivity(); }

Beamwidth beamwidth(const Horn& horn, double frequency, double level_db) {
  return Model(horn, frequency).beamwidth(level_db);
}

FeedMetrics feed_metrics(const Horn& horn, double frequency, double edge_angle) {
  return Model(horn, frequency).feed_metrics(edge_angle);
}

std::vector<PatternPoint> pattern(const Horn& horn, double frequency, std::span<const double> thetas) {
  return Model(horn, frequency).pattern(thetas);
}

}  // namespace zavolt::aperture
