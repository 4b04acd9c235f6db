// The Bessel functions and zeros of the order 1 modes, behind plain declarations so that Boost.Math
// is compiled in one place.
#pragma once

#include <vector>

namespace zavolt::modes::detail {

[[nodiscard]] double bessel_j0(double x);
[[nodiscard]] double bessel_j1(double x);
// J1'(x) = J0(x) - J1(x) / x; 1/2 at x = 0.
[[nodiscard]] double bessel_j1_prime(double x);

// The first `count` zeros of J1 and of J1' with what the modes need of each, to about 1e-15
// relative. te[n-1] = chi'_n (J1'(chi'_n) = 0, chi'_1 = 1.8412); tm[n-1] = chi_n (J1(chi_n) = 0,
// chi_1 = 3.8317). They interlace: chi'_1 < chi_1 < chi'_2 < chi_2 < ...
struct Zeros {
  std::vector<double> te;
  std::vector<double> tm;
  std::vector<double> te_j1;        // J1(chi'_n)
  std::vector<double> tm_j1_prime;  // J1'(chi_n)
  std::vector<double> te_norm;      // N = [(pi/2)(chi'^2 - 1) J1(chi')^2]^(-1/2): integral of |e|^2 over the disk is 1
  std::vector<double> tm_norm;      // N = [(pi/2) chi^2 J1'(chi)^2]^(-1/2)
};

// Zeros of J1' by TOMS 748 between consecutive zeros of J1 (Boost's cyl_bessel_j_zero), the first
// one in (1, chi_1).
[[nodiscard]] Zeros bessel_zeros(int count);

}  // namespace zavolt::modes::detail
