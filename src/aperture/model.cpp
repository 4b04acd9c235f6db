// The horn at one frequency: geometry, validity, the sampled aperture and the far field.
#include <algorithm>
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
  return 2.0 * std::atan(1.0 / (4.0 * f_over_d));
}

Geometry geometry(const Horn& horn, double frequency) {
  require_horn(horn, frequency);
  return make_geometry(horn, frequency);
}

Model::Model(const Horn& horn, double frequency) : horn_(horn), frequency_(frequency) {
  require_horn(horn, frequency);
  geometry_ = make_geometry(horn, frequency);
  const double k = 2.0 * kPi / geometry_.wavelength;
  ka_ = k * horn.radius;
  const double rim_phase = k * path_excess(horn, horn.radius);
  const double oscillation = ka_ + kFirstZeroJ0 + 2.0 * rim_phase;
  const int panels = std::max(1, static_cast<int>(std::ceil(oscillation / kRadiansPerPanel)));
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

std::complex<double> Model::relative_field(double theta) const {
  detail::require_finite(Quantity::theta, theta);
  const double obliquity = (1.0 + std::cos(theta)) / 2.0;
  const double u = ka_ * std::sin(theta);
  // On the axis the ratio is 1 exactly: a complex division of F(0) by itself leaves a phase of
  // about 1e-15 rad.
  if (u == 0.0) return obliquity;
  return obliquity * aperture_integral(u) / boresight_;
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
