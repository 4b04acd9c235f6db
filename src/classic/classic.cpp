#include "zavolt/classic.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"
#include "numeric/sweep.hpp"
#include "numeric/wavelength.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::classic {

namespace {

using aperture::kLeastRadiusWavelengths;
using aperture::kMostPhaseDeviation;
using aperture::kMostRadiusWavelengths;

void require_positive_finite(Quantity quantity, float value) {
  if (!(std::isfinite(value) && value > 0.0f)) {
    throw InvalidInput(quantity, wide(value), "must be positive and finite");
  }
}

std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// The domain's radii, in wavelengths of 11.80285 / f inches, and its largest S, evaluated in
// binary64 beside the routines' own arithmetic.
double wavelengths(float frequency_ghz, float radius) {
  return wide(radius) * wide(frequency_ghz) / wide(kLightInchesPerNs);
}

bool radius_in_domain(double wavelengths_of_radius) {
  return wavelengths_of_radius >= kLeastRadiusWavelengths && wavelengths_of_radius <= kMostRadiusWavelengths;
}

std::string radius_domain(float frequency_ghz) {
  const double lambda = wide(kLightInchesPerNs) / wide(frequency_ghz);
  return "between " + shortest(kLeastRadiusWavelengths * lambda) + " and " + shortest(kMostRadiusWavelengths * lambda) +
         " (0.05 to 100 wavelengths at this frequency)";
}

// The horn of an analysis: a slant length of +infinity is a horn without phase error.
void require_horn(float frequency_ghz, float radius, float slant) {
  require_positive_finite(Quantity::frequency, frequency_ghz);
  require_positive_finite(Quantity::radius, radius);
  if (!(slant > 0.0f)) throw InvalidInput(Quantity::slant, wide(slant), "must be positive");
  const double a_over_lambda = wavelengths(frequency_ghz, radius);
  if (!radius_in_domain(a_over_lambda)) {
    throw InvalidInput(Quantity::radius, wide(radius), "must lie " + radius_domain(frequency_ghz));
  }
  if (std::isinf(slant)) return;
  const double s = a_over_lambda * (wide(radius) / (2.0 * wide(slant)));
  if (!(s <= kMostPhaseDeviation)) {
    throw InvalidInput(Quantity::slant, wide(slant), "must give S = a^2 / (2 lambda L) of at most 4, not " + shortest(s));
  }
}

}  // namespace

Design design(float frequency_ghz, float gain_db, float s) {
  require_positive_finite(Quantity::frequency, frequency_ghz);
  if (!std::isfinite(gain_db)) throw InvalidInput(Quantity::directivity, wide(gain_db), "must be finite");
  if (!(std::isfinite(s) && s >= 0.0f)) {
    throw InvalidInput(Quantity::phase_deviation, wide(s), "must be finite and not negative");
  }
  if (!(wide(s) <= kMostPhaseDeviation)) throw InvalidInput(Quantity::phase_deviation, wide(s), "must be at most 4");
  // -0 is S = 0, the horn without phase error: the kernel would divide by -0 into a slant of -inf.
  const float s_unsigned = s == 0.0f ? 0.0f : s;
  Design d{};
  HCCGN(frequency_ghz, gain_db, s_unsigned, d.radius, d.slant);
  // The gain-loss polynomial is fitted for S of 0 to 1; far beyond, and for gains whose horn is
  // too small or too large, the radius leaves the domain (S = 50 gives a radius of 0).
  if (!(std::isfinite(d.radius) && radius_in_domain(wavelengths(frequency_ghz, d.radius)))) {
    throw InvalidInput(Quantity::directivity, wide(gain_db),
                       "needs an aperture radius of " + shortest(wide(d.radius)) + " in, outside the domain " +
                           radius_domain(frequency_ghz));
  }
  if (!(d.slant > 0.0f)) {
    throw InvalidInput(Quantity::phase_deviation, wide(s), "gives no horn of this gain (no positive slant length)");
  }
  return d;
}

float gain_ratio(float frequency_ghz, float radius, float slant) {
  require_horn(frequency_ghz, radius, slant);
  return CCHGN(frequency_ghz, radius, slant);
}

float gain_db(float frequency_ghz, float radius, float slant) {
  const float ratio = gain_ratio(frequency_ghz, radius, slant);
  // A ratio that underflows to 0 (a vanishing aperture) has no logarithm: report it as -infinity
  // rather than the dialogue's SING error.
  if (ratio == 0.0f) return -std::numeric_limits<float>::infinity();
  return to_f32(dlog(wide(ratio)) * wide(kDbFactor));
}

Beamwidths beamwidths(float frequency_ghz, float radius, float slant) {
  require_horn(frequency_ghz, radius, slant);
  const HcnbwWidths w = hcnbw_widths(frequency_ghz, radius, slant);
  return {w.beamwidth_3db, w.beamwidth_10db};
}

float phase_deviation(float frequency_ghz, float radius, float slant) {
  require_horn(frequency_ghz, radius, slant);
  return hcnbw_phase_deviation(frequency_ghz, radius, slant);
}

float inches_from_centimetres(float centimetres) noexcept {
  return to_f32(wide(centimetres) / wide(kCentimetresPerInch));
}

float centimetres_from_inches(float inches) noexcept { return to_f32(wide(inches) * wide(kCentimetresPerInch)); }

float sweep_point(std::int64_t index, float start, float step) noexcept { return sweep_value(index, start, step); }

}  // namespace zavolt::classic
