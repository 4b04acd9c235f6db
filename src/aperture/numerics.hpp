// The Boost.Math building blocks of the aperture model, behind plain declarations so that the
// heavy headers are compiled in one place.
#pragma once

#include <functional>
#include <vector>

namespace zavolt::aperture::detail {

[[nodiscard]] double bessel_j0(double x);
[[nodiscard]] double bessel_j1(double x);

// A composite Gauss-Legendre rule: nodes in ascending order with their weights.
struct Rule {
  std::vector<double> nodes;
  std::vector<double> weights;
};

// The 20-point rule on each of `panels` equal panels of [lo, hi], appended in ascending order.
// Exact for polynomials of degree 39 on each panel; an oscillation of angular frequency w is
// integrated to about 1e-14 while w times the panel width stays below 14.
void append_panels(Rule& rule, double lo, double hi, int panels);

// The root of f in [lo, hi], where f(lo) and f(hi) differ in sign (TOMS 748), to about 1e-15
// relative.
[[nodiscard]] double bracketed_root(const std::function<double(double)>& f, double lo, double hi, double f_lo,
                                    double f_hi);

// The minimum of f on [lo, hi] (Brent): the abscissa and the value.
struct Minimum {
  double x;
  double value;
};
[[nodiscard]] Minimum minimum_between(const std::function<double(double)>& f, double lo, double hi);

}  // namespace zavolt::aperture::detail
