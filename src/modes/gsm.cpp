#include "modes/gsm.hpp"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace zavolt::modes::detail {

Waves waves(const Guide& guide, const Zeros& zeros, double k) {
  const auto n = static_cast<Eigen::Index>(guide.size());
  Waves w{Vector(n), Vector(n), Vector(n)};
  const double k2 = k * k;
  for (Eigen::Index i = 0; i < n; ++i) {
    const bool te = i < guide.te;
    const auto index = static_cast<std::size_t>(te ? i : i - guide.te);
    const double kc = (te ? zeros.te[index] : zeros.tm[index]) / guide.radius;
    const double d = k2 - kc * kc;
    // d > 0: propagating; d <= 0: evanescent, decaying towards +z.
    const Complex beta = d > 0.0 ? Complex(std::sqrt(d), 0.0) : Complex(0.0, -std::sqrt(-d));
    const Complex y = te ? beta / k : k / beta;
    w.beta(i) = beta;
    w.y(i) = y;
    w.root(i) = std::sqrt(y);
  }
  return w;
}

// TE_i -> TE_j: N1 N2 pi k1^2 a1 k2 J1(chi'_i) J1'(k2 a1) / (k1^2 - k2^2)
// TM_i -> TM_j: -N1 N2 pi k2^2 a1 k1 J1'(chi_i) J1(k2 a1) / (k1^2 - k2^2)
// TE_i -> TM_j: N1 N2 pi J1(chi'_i) J1(k2 a1); TM_i -> TE_j: 0.
// Equal wavenumbers occur only at equal radii, within one kind: there the coupling is 1.
RealMatrix coupling(const Guide& small, const Guide& large, const Zeros& zeros) {
  constexpr double kPi = std::numbers::pi;
  const double a1 = small.radius;
  const double a2 = large.radius;
  RealMatrix m = RealMatrix::Zero(large.size(), small.size());
  // The large guide's Bessel values at the small radius: O(N) evaluations.
  std::vector<double> te_j1p(static_cast<std::size_t>(large.te));
  for (int j = 0; j < large.te; ++j) {
    const double x = zeros.te[static_cast<std::size_t>(j)] * a1 / a2;
    te_j1p[static_cast<std::size_t>(j)] = bessel_j1_prime(x);
  }
  std::vector<double> tm_j1(static_cast<std::size_t>(large.tm));
  for (int j = 0; j < large.tm; ++j) tm_j1[static_cast<std::size_t>(j)] = bessel_j1(zeros.tm[static_cast<std::size_t>(j)] * a1 / a2);
  const bool same = a1 == a2;
  for (int i = 0; i < small.te; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    const double k1 = zeros.te[ui] / a1;
    const double n1j = zeros.te_norm[ui] * zeros.te_j1[ui];
    for (int j = 0; j < large.te; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      if (same) {
        m(j, i) = i == j ? 1.0 : 0.0;
        continue;
      }
      const double k2 = zeros.te[uj] / a2;
      m(j, i) = n1j * zeros.te_norm[uj] * kPi * k1 * k1 * a1 * k2 * te_j1p[uj] / (k1 * k1 - k2 * k2);
    }
    for (int j = 0; j < large.tm; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      m(large.te + j, i) = same ? 0.0 : n1j * zeros.tm_norm[uj] * kPi * tm_j1[uj];
    }
  }
  for (int i = 0; i < small.tm; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    const double k1 = zeros.tm[ui] / a1;
    const double n1j = zeros.tm_norm[ui] * zeros.tm_j1_prime[ui];
    for (int j = 0; j < large.tm; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      if (same) {
        m(large.te + j, small.te + i) = i == j ? 1.0 : 0.0;
        continue;
      }
      const double k2 = zeros.tm[uj] / a2;
      m(large.te + j, small.te + i) = -n1j * zeros.tm_norm[uj] * kPi * k2 * k2 * a1 * k1 * tm_j1[uj] / (k1 * k1 - k2 * k2);
    }
  }
  return m;
}

Gsm step(const RealMatrix& m, const Waves& small, const Waves& large) {
  const Eigen::Index n1 = m.cols();
  // G = M^T diag(y2) M from two real products.
  const RealMatrix mt_re = m.transpose() * large.y.real().asDiagonal();
  const RealMatrix mt_im = m.transpose() * large.y.imag().asDiagonal();
  const RealMatrix g_re = mt_re * m;
  const RealMatrix g_im = mt_im * m;
  Matrix i_plus_k(n1, n1);
  Matrix i_minus_k(n1, n1);
  for (Eigen::Index c = 0; c < n1; ++c) {
    for (Eigen::Index r = 0; r < n1; ++r) {
      const Complex k = Complex(g_re(r, c), g_im(r, c)) / (small.root(r) * small.root(c));
      const double delta = r == c ? 1.0 : 0.0;
      i_plus_k(r, c) = delta + k;
      i_minus_k(r, c) = delta - k;
    }
  }
  // P_ji = sqrt(y2_j) M_ji / sqrt(y1_i)
  const Matrix p = large.root.asDiagonal() * m.cast<Complex>() * small.root.cwiseInverse().asDiagonal();
  const Eigen::PartialPivLU<Matrix> lu(i_plus_k);
  Gsm s;
  s.s11 = lu.solve(i_minus_k);
  s.s12 = 2.0 * lu.solve(p.transpose());
  s.s21 = s.s12.transpose();
  s.s22 = p * s.s12;
  s.s22.diagonal().array() -= 1.0;
  return s;
}

Gsm mirrored(Gsm s) {
  std::swap(s.s11, s.s22);
  std::swap(s.s12, s.s21);
  return s;
}

Vector line(const Waves& w, double length) {
  return (Complex(0.0, -length) * w.beta).array().exp().matrix();
}

Gsm line_gsm(const Vector& delay) {
  const Eigen::Index n = delay.size();
  Gsm s;
  s.s11 = Matrix::Zero(n, n);
  s.s22 = Matrix::Zero(n, n);
  s.s12 = delay.asDiagonal();
  s.s21 = delay.asDiagonal();
  return s;
}

Gsm star(const Gsm& a, const Gsm& b) {
  const Eigen::Index n2 = a.s22.rows();
  const Eigen::Index n1 = a.s21.cols();
  Matrix lhs = -a.s22 * b.s11;
  lhs.diagonal().array() += 1.0;
  const Eigen::PartialPivLU<Matrix> lu(lhs);
  // V [A21 | A22 B12] in one solve.
  Matrix rhs(n2, n1 + b.s12.cols());
  rhs << a.s21, a.s22 * b.s12;
  const Matrix v = lu.solve(rhs);
  const auto v_a21 = v.leftCols(n1);
  const Matrix w_b12 = b.s12 + b.s11 * v.rightCols(b.s12.cols());
  Gsm s;
  s.s11 = a.s11 + a.s12 * (b.s11 * v_a21);
  s.s21 = b.s21 * v_a21;
  s.s12 = a.s12 * w_b12;
  s.s22 = b.s22 + b.s21 * (a.s22 * w_b12);
  return s;
}

Gsm star_line(Gsm a, const Vector& delay) {
  a.s12 = a.s12 * delay.asDiagonal();
  a.s21 = delay.asDiagonal() * a.s21;
  a.s22 = delay.asDiagonal() * a.s22 * delay.asDiagonal();
  return a;
}

Reflection reflect(const Gsm& s, const Matrix& gamma) {
  Matrix lhs = -s.s22 * gamma;
  lhs.diagonal().array() += 1.0;
  const Eigen::PartialPivLU<Matrix> lu(lhs);
  Reflection r;
  r.transfer = lu.solve(s.s21);
  r.gamma = s.s11 + s.s12 * (gamma * r.transfer);
  return r;
}

}  // namespace zavolt::modes::detail
