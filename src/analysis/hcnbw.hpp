// 3 dB and 10 dB beamwidths of a conical corrugated horn.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zavolt {

// The pattern variable u = k a sin(theta) at the 3 dB and at the 10 dB point, as functions of the
// phase deviation S: entry k belongs to S = 0.04 k (zero-based), S from 0 to 1.
inline constexpr std::array<float, 26> U3TAB = {
    2.09976f, 2.10059f, 2.10311f, 2.10737f, 2.11345f, 2.1215f,  2.13168f, 2.14424f, 2.1595f,
    2.17785f, 2.19983f, 2.22611f, 2.25761f, 2.29552f, 2.34149f, 2.3978f,  2.46773f, 2.55609f,
    2.6703f,  2.82216f, 3.03088f, 3.32576f, 3.73288f, 4.21643f, 4.68257f, 5.09368f,
};
inline constexpr std::array<float, 26> U10TAB = {
    3.60996f, 3.61314f, 3.6228f,  3.63925f, 3.66309f, 3.69521f, 3.7369f,  3.78999f, 3.85711f,
    3.94202f, 4.05019f, 4.18964f, 4.37172f, 4.60973f, 4.90968f, 5.24532f, 5.57756f, 5.88486f,
    6.172f,   6.45386f, 6.75066f, 7.09384f, 7.5478f,  8.24793f, 9.06794f, 9.69056f,
};

// The working values of one beamwidth evaluation, for inspection.
struct HcnbwDetail {
  float wavelength;      // inches
  float s;               // phase deviation a^2 / (2 L lambda)
  std::int32_t bracket;  // IS: one-based table entry of the first of the three points
  std::array<float, 3> abscissae;
  float u3, x3, theta3, q3, beamwidth_3db;
  float u10, x10, theta10, q10, beamwidth_10db;
};

// Reads u at S from the tables by three-point Lagrange interpolation (the tabulated value at or
// below S and the two above it; S >= 0.92 uses the last three and extrapolates beyond 1), turns u
// into the angle asin(u / (k a)) with k = 6.281853 / lambda, and shapes it: with cos^m(theta/2)
// through the level at theta, the full width at which cos^(m+2) reaches that level, in degrees.
// The bracket is clamped to 1..24 (a negative, infinite or NaN S reads the first entries). An
// aperture too small for its 3 dB or 10 dB point (u lambda / (6.281853 a) > 1) throws the sqrt
// DOMAIN MathError.
[[nodiscard]] HcnbwDetail hcnbw_detail(float frequency_ghz, float radius, float slant);

// The beamwidths routine: full 3 dB and 10 dB widths in degrees.
void HCNBW(float frequency_ghz, float radius, float slant, float& beamwidth_3db, float& beamwidth_10db);

// S = a^2 / ((L * 2) * lambda) with lambda = 11.80285 / f, each stored: the phase deviation at
// which the beamwidths read their tables.
[[nodiscard]] float hcnbw_phase_deviation(float frequency_ghz, float radius, float slant);

// Both widths as HCNBW computes them, bit for bit, except that a width whose sine of angle exceeds
// 1 is empty instead of raising the sqrt DOMAIN MathError; the other width is still computed.
struct HcnbwWidths {
  std::optional<float> beamwidth_3db;
  std::optional<float> beamwidth_10db;
};
[[nodiscard]] HcnbwWidths hcnbw_widths(float frequency_ghz, float radius, float slant);

}  // namespace zavolt
