// Horn dimensions for a wanted gain.
#pragma once

#include <array>

namespace zavolt {

// The gain-loss polynomial p(S) in dB, ascending powers of S: the shortfall of the horn's gain
// below (k a)^2, the gain of a uniformly illuminated aperture of the same radius.
inline constexpr std::array<float, 6> LSCOEF = {1.60117f,  -0.0697403f, 9.930943f,
                                                -4.675229f, 8.909889f,  -5.402608f};

// The working values of one design, for inspection.
struct HccgnDetail {
  float wavelength;  // inches
  float loss;        // p(S), dB
  double ka;         // k a, never rounded to binary32
  float radius;      // inches
  float slant;       // inches
};

// Solves 20 log10(k a) - p(S) = gain for k a in closed form, then a = k a lambda / 2 pi and
// L = a^2 / (2 lambda S) from the definition of S. p(S) is evaluated by Horner's rule with a
// rounding after every step; 10^((p + gain)/20) stays in double. Any S is accepted: S = 0 gives
// an infinite slant length, a negative S a negative one.
[[nodiscard]] HccgnDetail hccgn_detail(float frequency_ghz, float gain_db, float phase_deviation);

// The design routine: aperture radius and slant length in inches.
void HCCGN(float frequency_ghz, float gain_db, float phase_deviation, float& radius, float& slant);

}  // namespace zavolt
