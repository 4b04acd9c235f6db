// The three pieces of mode matching against closed forms, quadrature and the network identities.
#include <gtest/gtest.h>

#include <boost/math/quadrature/gauss.hpp>

#include <cmath>
#include <numbers>

#include "modes/gsm.hpp"

namespace zavolt::modes::detail {
namespace {

constexpr double kPi = std::numbers::pi;

double j1(double x) { return std::cyl_bessel_j(1.0, x); }
double j1p(double x) { return x == 0.0 ? 0.5 : std::cyl_bessel_j(0.0, x) - j1(x) / x; }

// The modes' transverse fields, from the definitions (not the solver's code): e_rho and e_phi
// amplitudes of cos(phi) and sin(phi).
double e_rho(bool te, double kc, double n, double r) { return te ? n * j1(kc * r) / r : n * kc * j1p(kc * r); }
double e_phi(bool te, double kc, double n, double r) { return te ? -n * kc * j1p(kc * r) : -n * j1(kc * r) / r; }

// 30-point Gauss-Legendre on 8 panels: exact to rounding for these smooth integrands.
template <class F>
double quad(F f, double lo, double hi) {
  double sum = 0.0;
  const double w = (hi - lo) / 8.0;
  for (int p = 0; p < 8; ++p) sum += boost::math::quadrature::gauss<double, 30>::integrate(f, lo + p * w, lo + (p + 1) * w);
  return sum;
}

TEST(ModesBessel, ZerosAndNormsAgainstTablesAndQuadrature) {
  const Zeros z = bessel_zeros(40);
  // Zeros of J1' and J1 (tables of the mode-matching notes; the fourth zero of J1' is 11.706004903,
  // the notes' 11.706004923 a slip of one digit, Abramowitz & Stegun table 9.5).
  const double te[] = {1.841183781, 5.331442774, 8.536316366, 11.706004903, 14.863588634};
  const double tm[] = {3.831705970, 7.015586670, 10.173468135, 13.323691936, 16.470630051};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_NEAR(z.te[i], te[i], 1e-9);
    EXPECT_NEAR(z.tm[i], tm[i], 1e-9);
  }
  for (std::size_t i = 0; i < z.te.size(); ++i) {
    EXPECT_NEAR(j1p(z.te[i]), 0.0, 5e-14) << i;
    if (i > 0) {
      EXPECT_LT(z.tm[i - 1], z.te[i]);  // interlaced: none skipped
    }
    EXPECT_LT(z.te[i], z.tm[i]);
  }
  // Integral of |e|^2 over the unit disk is 1 for both kinds.
  for (std::size_t i : {0u, 1u, 7u, 39u}) {
    for (const bool is_te : {true, false}) {
      const double kc = is_te ? z.te[i] : z.tm[i];
      const double n = is_te ? z.te_norm[i] : z.tm_norm[i];
      const double p = kPi * quad([&](double r) {
        return (e_rho(is_te, kc, n, r) * e_rho(is_te, kc, n, r) + e_phi(is_te, kc, n, r) * e_phi(is_te, kc, n, r)) * r;
      }, 0.0, 1.0);
      EXPECT_NEAR(p, 1.0, 1e-11) << (is_te ? "TE" : "TM") << i + 1;
    }
  }
}

TEST(ModesCoupling, ClosedFormsAgainstQuadratureIdentityAndCompleteness) {
  const Zeros z = bessel_zeros(80);
  const double a1 = 0.676e-3, a2 = 1.2e-3;
  const Guide small{a1, 4, 4}, large{a2, 6, 6};
  const RealMatrix m = coupling(small, large, z);
  for (int i = 0; i < small.size(); ++i) {
    for (int j = 0; j < large.size(); ++j) {
      const bool te1 = i < small.te, te2 = j < large.te;
      const auto n1 = static_cast<std::size_t>(te1 ? i : i - small.te), n2 = static_cast<std::size_t>(te2 ? j : j - large.te);
      const double k1 = (te1 ? z.te[n1] : z.tm[n1]) / a1, k2 = (te2 ? z.te[n2] : z.tm[n2]) / a2;
      const double m1 = te1 ? z.te_norm[n1] : z.tm_norm[n1], m2 = te2 ? z.te_norm[n2] : z.tm_norm[n2];
      const double q = kPi * quad([&](double r) {
        return (e_rho(te1, k1, m1, r) * e_rho(te2, k2, m2, r) + e_phi(te1, k1, m1, r) * e_phi(te2, k2, m2, r)) * r;
      }, 0.0, a1);
      EXPECT_NEAR(m(j, i), q, 1e-10) << "i " << i << " j " << j;
    }
  }
  // Equal radii: the identity.
  const RealMatrix same = coupling(Guide{a2, 5, 4}, Guide{a2, 5, 4}, z);
  EXPECT_TRUE(same.isApprox(RealMatrix::Identity(9, 9), 1e-15));
  // Completeness of TE11 in the large guide: 0.9864, 0.9927, 0.9963, 0.9981 at 10 ... 80 of each kind.
  const double sums[] = {0.9864, 0.9927, 0.9963, 0.9981};
  int index = 0;
  for (const int n : {10, 20, 40, 80}) {
    const RealMatrix c = coupling(Guide{a1, 1, 0}, Guide{a2, n, n}, z);
    EXPECT_NEAR(c.col(0).squaredNorm(), sums[index++], 6e-5) << n;
  }
}

Waves waves_of(const Guide& g, const Zeros& z, double frequency) {
  return waves(g, z, 2.0 * kPi * frequency / 299792458.0);
}

// |S|^2 power of the propagating outputs for a unit propagating input, and the reciprocity of the
// power-normalised step: S11, S22 symmetric and S21 = S12^T.
TEST(ModesStep, LosslessReciprocalAndItsMirrorComposesToNoJunction) {
  const Zeros z = bessel_zeros(40);
  const Guide small{6.76e-3, 8, 7}, large{12e-3, 14, 13};
  const double f = 30e9;
  const Waves w1 = waves_of(small, z, f), w2 = waves_of(large, z, f);
  const Gsm s = step(coupling(small, large, z), w1, w2);
  EXPECT_TRUE(s.s11.isApprox(s.s11.transpose(), 1e-12));
  EXPECT_TRUE(s.s22.isApprox(s.s22.transpose(), 1e-12));
  EXPECT_TRUE(s.s21.isApprox(s.s12.transpose(), 1e-12));
  // The propagating block of a step is unitary: every propagating input's power leaves in the
  // propagating outputs (evanescent ones carry none).
  const auto propagating = [](const Waves& w) {
    std::vector<Eigen::Index> p;
    for (Eigen::Index i = 0; i < w.beta.size(); ++i) if (w.beta(i).imag() == 0.0) p.push_back(i);
    return p;
  };
  const auto p1 = propagating(w1), p2 = propagating(w2);
  ASSERT_GE(p1.size(), 1u);
  for (const auto in : p1) {
    double out = 0.0;
    for (const auto r : p1) out += std::norm(s.s11(r, in));
    for (const auto t : p2) out += std::norm(s.s21(t, in));
    EXPECT_NEAR(out, 1.0, 1e-12) << in;
  }
  // The step down is the same junction from the other side; with equal counts on both sides the
  // step up then down, no length between, is no junction at all (to 1e-6: the evanescent modes'
  // admittances span many decades at 30 GHz and set the conditioning of the star product).
  const Guide wide_equal{12e-3, 8, 7};
  const Waves w3 = waves_of(wide_equal, z, f);
  const Gsm up = step(coupling(small, wide_equal, z), w1, w3);
  const Gsm both = star(up, mirrored(up));
  const auto n = small.size();
  EXPECT_LT(both.s11.norm(), 1e-6);
  EXPECT_LT(both.s22.norm(), 1e-6);
  EXPECT_TRUE(both.s21.isApprox(Matrix::Identity(n, n), 1e-6));
  EXPECT_TRUE(both.s12.isApprox(Matrix::Identity(n, n), 1e-6));
  // Through the propagating TE11 the composite is transparent to rounding.
  EXPECT_NEAR(std::abs(both.s21(0, 0) - 1.0), 0.0, 1e-12);
}

TEST(ModesLineAndStar, LineDelaysAndStarMatchesTheDirectForm) {
  const Zeros z = bessel_zeros(20);
  const Guide g{10e-3, 6, 5};
  const double f = 20e9;
  const double k = 2.0 * kPi * f / 299792458.0;
  const Waves w = waves(g, z, k);
  const Vector d = line(w, 0.05);
  // TE11 delayed by exp(-j beta l), an evanescent mode attenuated, never grown.
  const double beta11 = std::sqrt(k * k - (z.te[0] / g.radius) * (z.te[0] / g.radius));
  EXPECT_NEAR(std::abs(d(0) - std::exp(Complex(0.0, -beta11 * 0.05))), 0.0, 1e-14);
  for (Eigen::Index i = 0; i < d.size(); ++i) EXPECT_LE(std::abs(d(i)), 1.0 + 1e-15);
  EXPECT_LT(std::abs(d(5)), 1e-10);  // TE16, far below cut-off over 50 mm
  // A junction followed by a line: star with the line's GSM equals star_line.
  const Guide small{6e-3, 4, 3};
  const Waves ws = waves(small, z, k);
  const Gsm j = step(coupling(small, g, z), ws, w);
  const Gsm a = star(j, line_gsm(d));
  const Gsm b = star_line(j, d);
  EXPECT_TRUE(a.s11.isApprox(b.s11, 1e-13));
  EXPECT_TRUE(a.s12.isApprox(b.s12, 1e-13));
  EXPECT_TRUE(a.s21.isApprox(b.s21, 1e-13));
  EXPECT_TRUE(a.s22.isApprox(b.s22, 1e-13));
  // Step, line, step down: the star product is reciprocal, and the reflection march gives its S11.
  const Gsm chain = star(b, mirrored(j));
  EXPECT_TRUE(chain.s11.isApprox(chain.s11.transpose(), 1e-12));
  EXPECT_TRUE(chain.s21.isApprox(chain.s12.transpose(), 1e-12));
  const Matrix zero = Matrix::Zero(small.size(), small.size());
  const Reflection r1 = reflect(mirrored(j), zero);
  const Matrix g_line = d.asDiagonal() * r1.gamma * d.asDiagonal();
  const Reflection r0 = reflect(j, g_line);
  EXPECT_TRUE(r0.gamma.isApprox(chain.s11, 1e-12));
  // The forward pass recovers S21's first column.
  const Vector forward = r1.transfer * d.cwiseProduct(r0.transfer.col(0));
  EXPECT_TRUE(forward.isApprox(chain.s21.col(0), 1e-12));
}

}  // namespace
}  // namespace zavolt::modes::detail
