#include "analysis/hcnbw.hpp"

#include <cstddef>
#include <span>

#include "numeric/algip.hpp"
#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"
#include "numeric/wavelength.hpp"

namespace zavolt {

namespace {

constexpr float kTableStep = 0.04f;
constexpr std::int32_t kLastBracket = 24;
constexpr std::int32_t kPoints = 3;
// 6.281853, not 2 pi: the beamwidths are defined with it.
constexpr float kTwoPi = 6.281853f;
constexpr float kField3db = 0.3465736f;   // ln 2 / 2
constexpr float kField10db = 1.151293f;   // ln 10 / 2
constexpr float kPower3db = 0.5f;
constexpr float kPower10db = 0.1f;
constexpr float kDegreesOfFourRadians = 229.1831f;  // 720 / pi

// IS = trunc(S / 0.04 + 1), in double, clamped to 1..24 so that entries IS..IS+2 exist; NaN gives 1.
std::int32_t bracket_index(float s) {
  const double position = wide(s) / wide(kTableStep) + 1.0;
  if (!(position >= 1.0)) return 1;
  if (position >= static_cast<double>(kLastBracket)) return kLastBracket;
  return static_cast<std::int32_t>(position);
}

// u at S from the three entries of `table` starting at one-based entry `bracket`.
float interpolate(const std::array<float, 26>& table, std::int32_t bracket, float s,
                  const std::array<float, 3>& abscissae) {
  const std::span<const float> ordinates(table.data() + (bracket - 1), kPoints);
  return ALGIP(s, abscissae, ordinates, kPoints);
}

// sin(theta) = lambda u / (6.281853 a).
float sine_of_angle(float wavelength, float u, float radius) {
  return to_f32((wide(wavelength) * wide(u)) / (wide(kTwoPi) * wide(radius)));
}

// asin(X), as atan(X / sqrt(1 - X^2)).
float angle_from_sine(float x) {
  return to_f32(datan(wide(x) / dsqrt(1.0 - wide(x) * wide(x))));
}

// Q = 2 (m + 2), m = -d / ln cos(theta/2) the exponent of cos^m(theta/2) through the field level d.
float shaping_exponent(float theta, float field_level) {
  return to_f32((2.0 - wide(field_level) / dlog(dcos(wide(theta) / 2.0))) * 2.0);
}

// Y = r^(1/Q) = cos(phi) with cos^Q(phi) = r; the width is 4 phi in degrees.
float full_width(float q, float power_level) {
  const float y = to_f32(dpow(wide(power_level), 1.0 / wide(q)));
  return to_f32(datan(dsqrt(1.0 - wide(y) * wide(y)) / wide(y)) * wide(kDegreesOfFourRadians));
}

float phase_deviation_at(float wavelength, float radius, float slant) {
  return to_f32((wide(radius) * wide(radius)) / ((wide(slant) * 2.0) * wide(wavelength)));
}

// The working values up to the sines of the two angles, which decide whether each width exists.
HcnbwDetail sines_of_angles(float frequency_ghz, float radius, float slant) {
  HcnbwDetail d{};
  d.wavelength = wavelength_inches(frequency_ghz);
  d.s = phase_deviation_at(d.wavelength, radius, slant);
  d.bracket = bracket_index(d.s);
  for (std::int32_t i = 1; i <= kPoints; ++i) {
    d.abscissae[static_cast<std::size_t>(i - 1)] = to_f32(static_cast<double>(d.bracket + i - 2) * wide(kTableStep));
  }
  d.u3 = interpolate(U3TAB, d.bracket, d.s, d.abscissae);
  d.x3 = sine_of_angle(d.wavelength, d.u3, radius);
  d.u10 = interpolate(U10TAB, d.bracket, d.s, d.abscissae);
  d.x10 = sine_of_angle(d.wavelength, d.u10, radius);
  return d;
}

// 1 - X^2 is exact in double for a binary32 X, so this is the sqrt DOMAIN condition exactly.
bool sine_above_one(float x) { return 1.0 - wide(x) * wide(x) < 0.0; }

}  // namespace

HcnbwDetail hcnbw_detail(float frequency_ghz, float radius, float slant) {
  HcnbwDetail d = sines_of_angles(frequency_ghz, radius, slant);
  d.theta3 = angle_from_sine(d.x3);
  d.theta10 = angle_from_sine(d.x10);
  d.q3 = shaping_exponent(d.theta3, kField3db);
  d.beamwidth_3db = full_width(d.q3, kPower3db);
  d.q10 = shaping_exponent(d.theta10, kField10db);
  d.beamwidth_10db = full_width(d.q10, kPower10db);
  return d;
}

void HCNBW(float frequency_ghz, float radius, float slant, float& beamwidth_3db, float& beamwidth_10db) {
  const HcnbwDetail d = hcnbw_detail(frequency_ghz, radius, slant);
  beamwidth_3db = d.beamwidth_3db;
  beamwidth_10db = d.beamwidth_10db;
}

float hcnbw_phase_deviation(float frequency_ghz, float radius, float slant) {
  return phase_deviation_at(wavelength_inches(frequency_ghz), radius, slant);
}

HcnbwWidths hcnbw_widths(float frequency_ghz, float radius, float slant) {
  const HcnbwDetail d = sines_of_angles(frequency_ghz, radius, slant);
  HcnbwWidths w;
  if (!sine_above_one(d.x3)) {
    w.beamwidth_3db = full_width(shaping_exponent(angle_from_sine(d.x3), kField3db), kPower3db);
  }
  if (!sine_above_one(d.x10)) {
    w.beamwidth_10db = full_width(shaping_exponent(angle_from_sine(d.x10), kField10db), kPower10db);
  }
  return w;
}

}  // namespace zavolt
