// Gain of a conical corrugated horn.
#pragma once

#include <array>
#include <cstddef>

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

// The same working values with each integral taken by GLINT over FINT, node by node, as the rule
// is defined. cchgn_detail gives the same bits with the Phi-free work done once.
[[nodiscard]] CchgnDetail cchgn_detail_through_glint(float frequency_ghz, float radius, float slant);

// The order-16 rule on [0, 1] as CCHGN applies it, with all that does not depend on Phi done once.
// Per node, in the order GLINT visits them: the abscissa x as GLINT rounds it, FINT's factor
// r = J0(2.404826 x) x as FINT rounds it (J0 by BESJ0's own series, tabulated at compile time),
// and the node's weight.
inline constexpr std::size_t kGainNodes = 16;
struct GainNode {
  float x;
  float r;
  float weight;
};
[[nodiscard]] const std::array<GainNode, kGainNodes>& gain_nodes() noexcept;

// Ic and Is for the phase parameter Phi, bit for bit as GLINT over FINT gives them: per node the
// phase (Phi x) x once, its sine and cosine from one evaluation, each part summed and rounded in
// GLINT's order, and scaled by the half-width last.
struct GainIntegrals {
  float ic;
  float is;
};
[[nodiscard]] GainIntegrals gain_integrals(float phi);

// The gain as a power ratio (not dB).
[[nodiscard]] float CCHGN(float frequency_ghz, float radius, float slant);

}  // namespace zavolt
