#include "modes/far_field.hpp"

#include <cmath>

#include "modes/bessel.hpp"

namespace zavolt::modes {

namespace {

constexpr double kBridge = 1e-4;

// q(v) = n(v) / (1 - (v/chi)^2) where n(chi) = 0, given its limit at chi.
template <class Numerator>
double bridged(double v, double chi, double limit, Numerator numerator) {
  const double h = kBridge * chi;
  const auto exact = [&](double x) { return numerator(x) / (1.0 - (x / chi) * (x / chi)); };
  if (std::abs(v - chi) >= h) return exact(v);
  const double lo = exact(chi - h);
  const double hi = exact(chi + h);
  const double t = (v - chi) / h;
  return limit + t * (hi - lo) / 2.0 + t * t * ((hi + lo) / 2.0 - limit);
}

}  // namespace

std::pair<std::complex<double>, std::complex<double>> Solution::FarField::fields(double theta) const {
  const double c = std::cos(theta);
  const double v = k * radius * std::sin(theta);
  const double j1 = detail::bessel_j1(v);
  const double j1_over_v = v == 0.0 ? 0.5 : j1 / v;
  const double j1p = detail::bessel_j1_prime(v);
  std::complex<double> a, b;
  for (const Term& t : terms) {
    if (t.te) {
      const double f = t.scale * j1_over_v;
      // J1''(chi') = -(1 - 1/chi'^2) J1(chi'); the limit of J1'(v)/(1 - (v/chi')^2) is -(chi'/2) J1''(chi').
      double g_shape;
      if (std::abs(v - t.chi) >= kBridge * t.chi) {
        g_shape = j1p / (1.0 - (v / t.chi) * (v / t.chi));
      } else {
        const double j1_chi = detail::bessel_j1(t.chi);
        const double limit = (t.chi / 2.0) * (1.0 - 1.0 / (t.chi * t.chi)) * j1_chi;
        g_shape = bridged(v, t.chi, limit, [](double x) { return detail::bessel_j1_prime(x); });
      }
      a += (t.e + t.h * c) * f;
      b += (t.e * c + t.h) * (t.scale * g_shape);
    } else {
      // The limit of (v/chi) J1(v) / (1 - (v/chi)^2) is -chi J1'(chi) / 2.
      double f_shape;
      if (std::abs(v - t.chi) >= kBridge * t.chi) {
        f_shape = (v / t.chi) * j1 / (1.0 - (v / t.chi) * (v / t.chi));
      } else {
        const double limit = -t.chi * detail::bessel_j1_prime(t.chi) / 2.0;
        const double chi = t.chi;
        f_shape = bridged(v, t.chi, limit, [chi](double x) { return (x / chi) * detail::bessel_j1(x); });
      }
      a += (t.e + t.h * c) * (-t.scale * f_shape);
    }
  }
  return {a, b};
}

}  // namespace zavolt::modes
