#include "zavolt/classic.hpp"

#include <cmath>
#include <limits>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"
#include "numeric/sweep.hpp"

namespace zavolt::classic {

namespace {

void require_positive_finite(Quantity quantity, float value) {
  if (!(std::isfinite(value) && value > 0.0f)) {
    throw InvalidInput(quantity, wide(value), "must be positive and finite");
  }
}

// The horn of an analysis: a slant length of +infinity is a horn without phase error.
void require_horn(float frequency_ghz, float radius, float slant) {
  require_positive_finite(Quantity::frequency, frequency_ghz);
  require_positive_finite(Quantity::radius, radius);
  if (!(slant > 0.0f)) throw InvalidInput(Quantity::slant, wide(slant), "must be positive");
}

}  // namespace

Design design(float frequency_ghz, float gain_db, float s) {
  require_positive_finite(Quantity::frequency, frequency_ghz);
  if (!std::isfinite(gain_db)) throw InvalidInput(Quantity::directivity, wide(gain_db), "must be finite");
  if (!(std::isfinite(s) && s >= 0.0f)) {
    throw InvalidInput(Quantity::phase_deviation, wide(s), "must be finite and not negative");
  }
  // -0 is S = 0, the horn without phase error: the kernel would divide by -0 into a slant of -inf.
  const float s_unsigned = s == 0.0f ? 0.0f : s;
  Design d{};
  HCCGN(frequency_ghz, gain_db, s_unsigned, d.radius, d.slant);
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
