// Beamwidths, the cross-polar peak, feed metrics and phase centres: scans of the far field refined
// by roots and minima, integrals by panels of Gauss-Legendre quadrature in theta.
#include "modes/pattern.hpp"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/roots.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace zavolt::modes {

namespace {

using Gauss20 = boost::math::quadrature::gauss<double, 20>;
using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kDegree = kPi / 180.0;
constexpr double kPanelU = 6.0;
constexpr double kMaxPanel = 15.0 * kDegree;
// Scans step 0.3 in u = k a sin(theta), at most 1 degree (0.1 and 0.25 degree for the cross-polar
// peak, a narrower feature): a lobe spans about pi in u.
constexpr double kScanU = 0.3;
constexpr double kXpolScanU = 0.1;
constexpr int kRootBits = 50;
constexpr int kMinimumBits = 26;
constexpr std::uintmax_t kMaxIterations = 200;
constexpr double kZeroLevel = 1e-3;  // a null deeper than 60 dB counts as a zero of the field
constexpr double kCopolFloorDb = -20.0;

double ka(const Solution::FarField& ff) { return ff.k * ff.radius; }

// Integral over [lo, hi] of f on panels.
template <class F>
double integrate(const Solution::FarField& ff, double lo, double hi, F f) {
  if (!(hi > lo)) return 0.0;
  const double width = std::min(kPanelU / ka(ff), kMaxPanel);
  const int panels = std::max(1, static_cast<int>(std::ceil((hi - lo) / width)));
  const double step = (hi - lo) / panels;
  double sum = 0.0;
  for (int p = 0; p < panels; ++p) {
    const double a = lo + step * p;
    sum += Gauss20::integrate(f, a, p + 1 == panels ? hi : a + step);
  }
  return sum;
}

Complex plane_field(const Solution::FarField& ff, Plane plane, double theta) {
  const auto [a, b] = ff.fields(theta);
  switch (plane) {
    case Plane::e: return a / ff.boresight;
    case Plane::h: return b / ff.boresight;
    case Plane::d45: break;
  }
  return (a + b) / (2.0 * ff.boresight);
}

double level_db(Complex relative) { return 20.0 * std::log10(std::abs(relative)); }

double root(const auto& f, double lo, double hi, double f_lo, double f_hi) {
  if (f_lo == 0.0) return lo;
  if (f_hi == 0.0) return hi;
  std::uintmax_t iterations = kMaxIterations;
  const auto [l, r] = boost::math::tools::toms748_solve(f, lo, hi, f_lo, f_hi,
                                                        boost::math::tools::eps_tolerance<double>(kRootBits), iterations);
  return l + (r - l) / 2.0;
}

void require_theta(double theta) {
  if (!(theta >= 0.0 && theta <= kHalfPi)) {
    throw InvalidInput(Quantity::theta, theta, "must lie in [0, pi/2] radians (aperture integration gives the forward hemisphere)");
  }
}

}  // namespace

namespace detail {

double hemisphere_power(const Solution::FarField& ff) {
  return integrate(ff, 0.0, kHalfPi, [&ff](double t) {
    const auto [a, b] = ff.fields(t);
    return (std::norm(a) + std::norm(b)) * std::sin(t);
  });
}

Convergence compare(const Solution& base, const Solution& higher) {
  Convergence c;
  c.modes = higher.modes;
  c.delta_s11 = std::abs(higher.s11 - base.s11);
  for (const Plane plane : {Plane::e, Plane::h, Plane::d45}) {
    for (int j = 0; j <= 180; ++j) {
      const double theta = 0.5 * j * kDegree;
      const double lo = level_db(plane_field(*base.far_field, plane, theta));
      if (lo < kCopolFloorDb) break;
      const double hi = level_db(plane_field(*higher.far_field, plane, theta));
      c.delta_copol_db = std::max(c.delta_copol_db, std::abs(hi - lo));
    }
  }
  const double x_lo = base.xpol_peak_db();
  const double x_hi = higher.xpol_peak_db();
  c.delta_xpol_db = std::isfinite(x_lo) && std::isfinite(x_hi) ? std::abs(x_hi - x_lo) : 0.0;
  return c;
}

}  // namespace detail

double Solution::aperture_power(Kind kind, int order) const noexcept {
  double total = 0.0;
  double part = 0.0;
  for (const auto& p : transmitted) {
    total += p.power;
    if (p.mode.kind == kind && p.mode.order == order) part = p.power;
  }
  return total > 0.0 ? part / total : 0.0;
}

CutPoint Solution::cut_point(double theta) const {
  require_theta(theta);
  const auto [a, b] = far_field->fields(theta);
  const Complex e = a / far_field->boresight;
  const Complex h = b / far_field->boresight;
  return CutPoint{theta, e, h, (e + h) / 2.0, (e - h) / 2.0};
}

std::vector<CutPoint> Solution::cuts(std::span<const double> thetas) const {
  std::vector<CutPoint> out;
  out.reserve(thetas.size());
  for (const double t : thetas) out.push_back(cut_point(t));
  return out;
}

double Solution::directivity_dbi() const {
  return 10.0 * std::log10(4.0 * std::norm(far_field->boresight) / far_field->hemisphere);
}

double Solution::gain_dbi() const { return directivity_dbi() + 10.0 * std::log10(1.0 - std::norm(s11)); }

Beamwidth Solution::beamwidth(Plane plane, double level) const {
  if (!(std::isfinite(level) && level > 0.0)) throw InvalidInput(Quantity::level, level, "must be positive and finite");
  Beamwidth b{level, std::nullopt};
  const FarField& ff = *far_field;
  const auto excess = [&](double t) { return level_db(plane_field(ff, plane, t)) + level; };
  const double step = std::min(kScanU / ka(ff), kDegree);
  double previous = level;  // at theta = 0
  double t0 = 0.0;
  for (int j = 1;; ++j) {
    const double t = std::min(j * step, kHalfPi);
    const double e = excess(t);
    if (e <= 0.0) {
      b.width = 2.0 * root(excess, t0, t, previous, e);
      break;
    }
    if (t == kHalfPi) break;
    previous = e;
    t0 = t;
  }
  return b;
}

double Solution::xpol_peak_db(std::optional<double> cone, double* at) const {
  const FarField& ff = *far_field;
  double end = kHalfPi;
  if (cone) {
    end = std::clamp(*cone, 0.0, kHalfPi);
  } else {
    const Beamwidth b = beamwidth(Plane::d45, 10.0);
    if (b.width) end = *b.width / 2.0;
  }
  const auto cross = [&](double t) {
    const auto [a, bb] = ff.fields(t);
    return std::abs((a - bb) / (2.0 * ff.boresight));
  };
  const double step = std::min({kXpolScanU / ka(ff), 0.25 * kDegree, end});
  const int n = std::max(1, static_cast<int>(std::ceil(end / step)));
  double best = 0.0;
  double best_t = 0.0;
  int best_j = 0;
  for (int j = 1; j <= n; ++j) {
    const double t = std::min(j * (end / n), end);
    const double v = cross(t);
    if (v > best) {
      best = v;
      best_t = t;
      best_j = j;
    }
  }
  if (best_j > 0) {
    const double lo = (best_j - 1) * (end / n);
    const double hi = std::min((best_j + 1) * (end / n), end);
    std::uintmax_t iterations = kMaxIterations;
    const auto [x, v] = boost::math::tools::brent_find_minima([&](double t) { return -cross(t); }, lo, hi,
                                                              kMinimumBits, iterations);
    if (-v > best) {
      best = -v;
      best_t = x;
    }
  }
  if (at) *at = best_t;
  return best > 0.0 ? 20.0 * std::log10(best) : -std::numeric_limits<double>::infinity();
}

FeedMetrics Solution::feed_metrics(double edge) const {
  if (!(edge > 0.0 && edge < kHalfPi)) {
    throw InvalidInput(Quantity::edge_angle, edge, "must lie strictly between 0 and pi/2 radians");
  }
  const FarField& ff = *far_field;
  const auto co_power = [&](double t) { return std::norm(plane_field(ff, Plane::d45, t)) * std::sin(t); };
  FeedMetrics m;
  m.edge_angle = edge;
  m.edge_taper_db = -level_db(plane_field(ff, Plane::d45, edge));
  const double inside = integrate(ff, 0.0, edge, co_power);
  const double all = inside + integrate(ff, edge, kHalfPi, co_power);
  m.spillover_efficiency = inside / all;
  const double amplitude = integrate(ff, 0.0, edge, [&](double t) {
    return std::abs(plane_field(ff, Plane::d45, t)) * std::tan(t / 2.0);
  });
  const double cot = 1.0 / std::tan(edge / 2.0);
  m.taper_efficiency = 2.0 * cot * cot * amplitude * amplitude / inside;
  m.feed_efficiency = m.spillover_efficiency * m.taper_efficiency;
  // Averaged over phi: |co|^2 gives 3 pi/4 (|A|^2 + |B|^2) + pi/2 Re(A B*), all of it pi (|A|^2 + |B|^2).
  const double co = integrate(ff, 0.0, edge, [&](double t) {
    const auto [a, b] = ff.fields(t);
    return (0.75 * kPi * (std::norm(a) + std::norm(b)) + 0.5 * kPi * (a * std::conj(b)).real()) * std::sin(t);
  });
  const double total = integrate(ff, 0.0, edge, [&](double t) {
    const auto [a, b] = ff.fields(t);
    return kPi * (std::norm(a) + std::norm(b)) * std::sin(t);
  });
  m.polarisation_efficiency = co / total;
  return m;
}

PhaseCentre Solution::phase_centre(Plane plane, double fit) const {
  if (!(fit > 0.0 && fit <= kHalfPi)) throw InvalidInput(Quantity::edge_angle, fit, "must lie in (0, pi/2] radians");
  const FarField& ff = *far_field;
  PhaseCentre pc{plane, std::nullopt};
  // The phase unwrapped along a grid fine enough that it turns less than pi/4 a step, weights
  // |E|^2 sin theta by the trapezoid rule, then the weighted regression of psi on cos theta.
  const int n = std::max(64, static_cast<int>(std::ceil(fit * ka(ff) / 0.05)));
  double sw = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
  double previous = 0.0;
  for (int j = 0; j <= n; ++j) {
    const double t = fit * j / n;
    const Complex e = plane_field(ff, plane, t);
    if (std::abs(e) < kZeroLevel) return pc;
    double psi = std::arg(e);
    if (j > 0) psi = previous + std::remainder(psi - previous, 2.0 * kPi);
    previous = psi;
    const double w = std::norm(e) * std::sin(t) * ((j == 0 || j == n) ? 0.5 : 1.0);
    const double x = std::cos(t);
    sw += w;
    sx += w * x;
    sy += w * psi;
    sxx += w * x * x;
    sxy += w * x * psi;
  }
  const double var = sxx - sx * sx / sw;
  if (!(var > 0.0)) return pc;
  const double slope = (sxy - sx * sy / sw) / var;
  pc.distance = -slope / ff.k;
  return pc;
}

}  // namespace zavolt::modes
