// The input checks shared by the model and the designs.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "zavolt/aperture.hpp"
#include "zavolt/invalid_input.hpp"

namespace zavolt::aperture::detail {

// The constructor of a Model whose far field is summed at every angle rather than sampled once:
// for the designs' trial horns, each asked for an angle or two.
struct ModelAccess {
  static Model unsampled(const Horn& horn, double frequency) { return Model(horn, frequency, false); }
};

// The shortest text that reads back as the same double.
inline std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// ceil(x), at least 1, as a count of panels or samples. Within the domain every count is far below
// kMostCount; outside it the conversion would be undefined, so it is refused before it is made.
inline constexpr double kMostCount = 1e8;
inline std::size_t count_of(double x) {
  if (!(x >= 0.0 && x <= kMostCount)) throw std::length_error("a quadrature count outside the model's domain");
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(x)));
}
inline int panels_of(double x) { return static_cast<int>(count_of(x)); }

inline void require_positive_finite(Quantity quantity, double value) {
  if (!(std::isfinite(value) && value > 0.0)) throw InvalidInput(quantity, value, "must be positive and finite");
}

inline void require_finite(Quantity quantity, double value) {
  if (!std::isfinite(value)) throw InvalidInput(quantity, value, "must be finite");
}

// S = 0 is a horn without phase error; a negative S has no horn.
inline void require_phase_deviation(double s) {
  if (!(std::isfinite(s) && s >= 0.0)) throw InvalidInput(Quantity::phase_deviation, s, "must be finite and not negative");
  if (!(s <= kMostPhaseDeviation)) throw InvalidInput(Quantity::phase_deviation, s, "must be at most 4");
}

// [0.01 degree, pi/2): a reflector rim at or beyond 90 degrees has no edge taper in this sense.
inline void require_edge_angle(double edge_angle) {
  if (!(edge_angle >= kLeastEdgeAngle && edge_angle < std::acos(0.0))) {
    throw InvalidInput(Quantity::edge_angle, edge_angle,
                       "must lie from 0.01 degree (0.00017453292519943296) to below pi/2 radians");
  }
}

// A beamwidth level in dB below boresight.
inline void require_level(double level_db) {
  if (!(level_db > 0.0 && level_db <= kMostLevel)) {
    throw InvalidInput(Quantity::level, level_db, "must lie above 0 and at most 100 dB");
  }
}

}  // namespace zavolt::aperture::detail
