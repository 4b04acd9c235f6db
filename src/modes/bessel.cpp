#include "modes/bessel.hpp"

#include <boost/math/special_functions/bessel.hpp>
#include <boost/math/tools/roots.hpp>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace zavolt::modes::detail {

namespace {

// Double throughout: the default policy promotes to long double for digits the model does not need.
using DoublePolicy = boost::math::policies::policy<boost::math::policies::promote_double<false>>;

constexpr int kRootBits = 52;
constexpr std::uintmax_t kMaxIterations = 200;

double j1_prime_root(double lo, double hi) {
  const auto f = [](double x) { return bessel_j1_prime(x); };
  std::uintmax_t iterations = kMaxIterations;
  const auto [left, right] = boost::math::tools::toms748_solve(
      f, lo, hi, f(lo), f(hi), boost::math::tools::eps_tolerance<double>(kRootBits), iterations);
  return left + (right - left) / 2.0;
}

}  // namespace

double bessel_j0(double x) { return boost::math::cyl_bessel_j(0, x, DoublePolicy()); }
double bessel_j1(double x) { return boost::math::cyl_bessel_j(1, x, DoublePolicy()); }

double bessel_j1_prime(double x) {
  if (x == 0.0) return 0.5;
  return bessel_j0(x) - bessel_j1(x) / x;
}

Zeros bessel_zeros(int count) {
  Zeros z;
  const auto n = static_cast<std::size_t>(count);
  z.te.reserve(n);
  z.tm.reserve(n);
  for (int m = 1; m <= count; ++m) z.tm.push_back(boost::math::cyl_bessel_j_zero(1.0, m, DoublePolicy()));
  for (std::size_t m = 0; m < n; ++m) z.te.push_back(j1_prime_root(m == 0 ? 1.0 : z.tm[m - 1], z.tm[m]));
  constexpr double kHalfPi = std::numbers::pi / 2.0;
  for (std::size_t m = 0; m < n; ++m) {
    const double chi_p = z.te[m];
    const double j1 = bessel_j1(chi_p);
    z.te_j1.push_back(j1);
    z.te_norm.push_back(1.0 / std::sqrt(kHalfPi * (chi_p * chi_p - 1.0) * j1 * j1));
    const double chi = z.tm[m];
    const double j1p = bessel_j1_prime(chi);
    z.tm_j1_prime.push_back(j1p);
    z.tm_norm.push_back(1.0 / std::sqrt(kHalfPi * chi * chi * j1p * j1p));
  }
  return z;
}

}  // namespace zavolt::modes::detail
