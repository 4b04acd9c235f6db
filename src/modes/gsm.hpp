// The three pieces of mode matching, as the literature states them: the generalized scattering
// matrix of a step between two radii, the uniform line, and Redheffer's star product; and the
// reflection step of the backward march that composes them more cheaply when only the input
// reflection and the forward waves are wanted.
//
// Every matrix is in the power-normalised basis of its guide's modes, ordered TE1..TEn then
// TM1..TMm. Port 1 is on the left (towards the input), port 2 on the right. Eigen's dense complex
// matrices; every solve is one PartialPivLU, no inverse is formed.
#pragma once

#include <Eigen/Dense>

#include <complex>

#include "modes/bessel.hpp"

namespace zavolt::modes::detail {

using Matrix = Eigen::MatrixXcd;
using Vector = Eigen::VectorXcd;
using RealMatrix = Eigen::MatrixXd;
using Complex = std::complex<double>;

// The modes kept in a uniform guide: TE1..TE{te} and TM1..TM{tm} of radius `radius`.
struct Guide {
  double radius = 0.0;
  int te = 0;
  int tm = 0;
  [[nodiscard]] int size() const noexcept { return te + tm; }
};

// The modes' wave properties at wavenumber k. beta = sqrt(k^2 - kc^2) or -j sqrt(kc^2 - k^2);
// y = eta0 Y (TE beta/k, TM k/beta); root = sqrt(y), principal branch.
struct Waves {
  Vector beta;
  Vector y;
  Vector root;
};
[[nodiscard]] Waves waves(const Guide& guide, const Zeros& zeros, double k);

// M_ji = integral over the small disk of e_large_j . e_small_i (real), rows the large guide's
// modes, columns the small one's, closed forms. Needs small.radius <= large.radius; at equal
// radii it is the identity on the common modes.
[[nodiscard]] RealMatrix coupling(const Guide& small, const Guide& large, const Zeros& zeros);

// A two-port's scattering matrix.
struct Gsm {
  Matrix s11, s12, s21, s22;
};

// The step from the small guide (port 1) to the large one (port 2): E matched over the large
// cross-section, H over the small one. With P = sqrt(Y2) M sqrt(Y1)^-1 and K = P^T P:
// S11 = (I + K)^-1 (I - K), S12 = 2 (I + K)^-1 P^T, S21 = S12^T, S22 = P S12 - I.
// K is formed from real products of M (the coupling matrix is real).
[[nodiscard]] Gsm step(const RealMatrix& m, const Waves& small, const Waves& large);

// The same junction seen from the other side: the ports swapped.
[[nodiscard]] Gsm mirrored(Gsm s);

// A uniform line of length l: S11 = S22 = 0, S12 = S21 = diag(exp(-j beta l)); the diagonal.
[[nodiscard]] Vector line(const Waves& w, double length);
[[nodiscard]] Gsm line_gsm(const Vector& delay);

// Redheffer's star product: A (ports 1, 2) then B (ports 2, 3). One LU of (I - A22 B11):
// S11 = A11 + A12 B11 V A21, S21 = B21 V A21, W B12 = B12 + B11 V A22 B12 (W = (I - B11 A22)^-1),
// S12 = A12 W B12, S22 = B22 + B21 A22 W B12, V = (I - A22 B11)^-1.
[[nodiscard]] Gsm star(const Gsm& a, const Gsm& b);
// A followed by a uniform line: the star product with B11 = B22 = 0, B12 = B21 = diag(delay).
[[nodiscard]] Gsm star_line(Gsm a, const Vector& delay);

// One step of the backward march: the reflection seen at port 1 of S when port 2 is loaded by
// gamma, S11 + S12 gamma (I - S22 gamma)^-1 S21, and the forward transfer (I - S22 gamma)^-1 S21
// from port 1's incident waves to port 2's outgoing ones.
struct Reflection {
  Matrix gamma;
  Matrix transfer;
};
[[nodiscard]] Reflection reflect(const Gsm& s, const Matrix& gamma);

}  // namespace zavolt::modes::detail
