// Gain of a conical corrugated horn.
#pragma once

#include <array>

namespace zavolt {

// The integrand block of FINT: the abscissa x first, then the selector (1.0 selects the sine
// part, anything else the cosine part), then the phase parameter Phi. GLINT writes each node into
// element 0 and hands FINT its address.
using FPARM = std::array<float, 3>;

// x J0(2.404826 x) cos(Phi x^2), or sin(...) for selector 1.0. The trigonometric argument
// (Phi x) x stays in double; J0's argument and each product are rounded.
float FINT(float* block);

// The working values of one gain evaluation, for inspection.
struct CchgnDetail {
  float wavelength;  // inches
  float phi;         // pi a^2 / (lambda L), radians
  float ic;          // cosine integral
  float is;          // sine integral
  float gain;        // power ratio
};

// gain = 585.9198 (a/lambda)^2 (Ic^2 + Is^2) with Ic and Is the 16-point Gauss-Legendre
// integrals over [0, 1] of the aperture field x J0(2.404826 x) with the quadratic phase error
// Phi x^2, cosine part first. Lengths in inches, frequency in GHz. The sign of f, a or L does not
// change the gain; f = 0 gives exactly 0, L = 0 gives NaN.
[[nodiscard]] CchgnDetail cchgn_detail(float frequency_ghz, float radius, float slant);

// The gain as a power ratio (not dB).
[[nodiscard]] float CCHGN(float frequency_ghz, float radius, float slant);

}  // namespace zavolt
