// The wavelength that the horn routines share.
#pragma once

#include "numeric/fp.hpp"

namespace zavolt {

// The speed of light in inches per nanosecond.
inline constexpr float kLightInchesPerNs = 11.80285f;

// Wavelength in inches for a frequency in GHz, stored.
[[nodiscard]] inline float wavelength_inches(float frequency_ghz) {
  return to_f32(wide(kLightInchesPerNs) / wide(frequency_ghz));
}

}  // namespace zavolt
