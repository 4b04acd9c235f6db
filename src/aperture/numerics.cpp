#include "aperture/numerics.hpp"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/bessel.hpp>
#include <boost/math/special_functions/detail/bessel_j0.hpp>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/roots.hpp>

#include <cstdint>
#include <limits>

namespace zavolt::aperture::detail {

namespace {

using Gauss20 = boost::math::quadrature::gauss<double, 20>;

// Bits of the roots and minima: the last few of a double are noise in the functions solved.
constexpr int kRootBits = 50;
constexpr int kMinimumBits = 26;  // Brent's limit: half the digits of the function's value
constexpr std::uintmax_t kMaxIterations = 200;

}  // namespace

// Evaluated in double: the default policy promotes to long double, which is four times slower for
// digits the model does not need.
using DoublePolicy = boost::math::policies::policy<boost::math::policies::promote_double<false>>;

// J0 straight from Boost's rational approximations: cyl_bessel_j(0, x) reaches the same routine
// after a dispatch on the order that costs three times the evaluation, and J0 is the model's
// inner loop.
double bessel_j0(double x) { return boost::math::detail::bessel_j0(x); }
double bessel_j1(double x) { return boost::math::cyl_bessel_j(1, x, DoublePolicy()); }

void append_panels(Rule& rule, double lo, double hi, int panels) {
  const auto& abscissa = Gauss20::abscissa();  // positive half, ascending
  const auto& weight = Gauss20::weights();
  const double width = (hi - lo) / panels;
  for (int k = 0; k < panels; ++k) {
    const double left = lo + width * k;
    const double half = width / 2.0;
    const double centre = left + half;
    for (std::size_t i = abscissa.size(); i-- > 0;) {
      rule.nodes.push_back(centre - half * abscissa[i]);
      rule.weights.push_back(half * weight[i]);
    }
    for (std::size_t i = 0; i < abscissa.size(); ++i) {
      rule.nodes.push_back(centre + half * abscissa[i]);
      rule.weights.push_back(half * weight[i]);
    }
  }
}

double bracketed_root(const std::function<double(double)>& f, double lo, double hi, double f_lo, double f_hi) {
  if (f_lo == 0.0) return lo;
  if (f_hi == 0.0) return hi;
  std::uintmax_t iterations = kMaxIterations;
  const auto [left, right] = boost::math::tools::toms748_solve(
      f, lo, hi, f_lo, f_hi, boost::math::tools::eps_tolerance<double>(kRootBits), iterations);
  return left + (right - left) / 2.0;
}

Minimum minimum_between(const std::function<double(double)>& f, double lo, double hi) {
  std::uintmax_t iterations = kMaxIterations;
  const auto [x, value] = boost::math::tools::brent_find_minima(f, lo, hi, kMinimumBits, iterations);
  return {x, value};
}

}  // namespace zavolt::aperture::detail
