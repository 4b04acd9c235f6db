// The classic routines of the zavolt dialogue, for callers that want its numbers.
//
// Every value is binary32, lengths in inches, frequencies in GHz, angles in degrees, and each one
// is bit for bit what the dialogue computes from the same binary32 inputs. The model is the
// classic one: gain by 16-point quadrature under the quadratic phase, a design from a gain-loss
// polynomial in S, and 3 dB and 10 dB beamwidths read from tables of the pattern variable for
// S = 0 to 1 (extrapolated beyond). zavolt::aperture is the more exact model.
//
// Invalid input throws zavolt::InvalidInput naming the quantity and its value (in inches or GHz),
// where the dialogue would compute a meaningless row: a frequency or radius that is not positive
// and finite, a slant length that is NaN or not positive (+infinity is a horn without phase
// error), S negative or not finite. The domain is the aperture model's (zavolt/aperture.hpp): a
// radius of 0.05 to 100 wavelengths (11.80285 / f inches), S up to 4; a horn outside it, and a
// design whose radius would leave it, throw InvalidInput too (a design names the gain). The checks
// stand beside the routines: inside the domain every number is the dialogue's, bit for bit. No
// global state: safe from several threads.
#pragma once

#include <cstdint>
#include <optional>

#include "zavolt/invalid_input.hpp"

namespace zavolt::classic {

// 4.34294, not 10 / ln 10 = 4.3429448: the dialogue's gains are defined with it.
inline constexpr float kDbFactor = 4.34294f;
inline constexpr float kCentimetresPerInch = 2.54f;

struct Design {
  float radius;  // inches
  float slant;   // inches; +infinity at S = 0
};

// The horn for a wanted gain (dB) at a frequency and S: the dialogue's design row.
// S = -0 is taken as 0 (slant +infinity), where the dialogue would give -infinity.
[[nodiscard]] Design design(float frequency_ghz, float gain_db, float s);

// The gain as a power ratio, and in dB as the dialogue converts it: float(ln(ratio) * 4.34294).
[[nodiscard]] float gain_ratio(float frequency_ghz, float radius, float slant);
[[nodiscard]] float gain_db(float frequency_ghz, float radius, float slant);

// Full 3 dB and 10 dB widths in degrees. A width whose angle has a sine above 1 (an aperture too
// small for that level: the dialogue's sqrt DOMAIN error) is empty, the other one kept.
struct Beamwidths {
  std::optional<float> bw3;
  std::optional<float> bw10;
};
[[nodiscard]] Beamwidths beamwidths(float frequency_ghz, float radius, float slant);

// S = a^2 / (2 L lambda) as the beamwidth routine computes it, lambda = 11.80285 / f inches.
[[nodiscard]] float phase_deviation(float frequency_ghz, float radius, float slant);

// The dialogue's unit conversions for lengths typed and shown in centimetres: float(cm / 2.54)
// and float(inches * 2.54). They validate nothing.
[[nodiscard]] float inches_from_centimetres(float centimetres) noexcept;
[[nodiscard]] float centimetres_from_inches(float inches) noexcept;

// Point `index` (one-based) of a sweep: float((index - 1) step + start), evaluated in double.
[[nodiscard]] float sweep_point(std::int64_t index, float start, float step) noexcept;

}  // namespace zavolt::classic
