#include "design/hccgn.hpp"

#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"
#include "numeric/wavelength.hpp"

namespace zavolt {

namespace {

constexpr float kTwoPi = 6.283185f;

}  // namespace

HccgnDetail hccgn_detail(float frequency_ghz, float gain_db, float phase_deviation) {
  HccgnDetail d{};
  d.wavelength = wavelength_inches(frequency_ghz);
  d.loss = LSCOEF[5];
  for (int j = 4; j >= 0; --j) {
    d.loss = to_f32(wide(d.loss) * wide(phase_deviation) + wide(LSCOEF[static_cast<unsigned>(j)]));
  }
  const double exponent = (wide(d.loss) + wide(gain_db)) / 20.0;
  d.ka = dpow(10.0, exponent);
  d.radius = to_f32((d.ka * wide(d.wavelength)) / wide(kTwoPi));
  d.slant = to_f32((wide(d.radius) * wide(d.radius)) / ((wide(d.wavelength) * 2.0) * wide(phase_deviation)));
  return d;
}

void HCCGN(float frequency_ghz, float gain_db, float phase_deviation, float& radius, float& slant) {
  const HccgnDetail d = hccgn_detail(frequency_ghz, gain_db, phase_deviation);
  radius = d.radius;
  slant = d.slant;
}

}  // namespace zavolt
