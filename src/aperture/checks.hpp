// The input checks shared by the model and the designs.
#pragma once

#include <charconv>
#include <cmath>
#include <string>

#include "zavolt/invalid_input.hpp"

namespace zavolt::aperture::detail {

// The shortest text that reads back as the same double.
inline std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

inline void require_positive_finite(Quantity quantity, double value) {
  if (!(std::isfinite(value) && value > 0.0)) throw InvalidInput(quantity, value, "must be positive and finite");
}

inline void require_finite(Quantity quantity, double value) {
  if (!std::isfinite(value)) throw InvalidInput(quantity, value, "must be finite");
}

// S = 0 is a horn without phase error; a negative S has no horn.
inline void require_phase_deviation(double s) {
  if (!(std::isfinite(s) && s >= 0.0)) throw InvalidInput(Quantity::phase_deviation, s, "must be finite and not negative");
}

// (0, pi/2): a reflector rim at or beyond 90 degrees has no edge taper in this sense.
inline void require_edge_angle(double edge_angle) {
  if (!(edge_angle > 0.0 && edge_angle < std::acos(0.0))) {
    throw InvalidInput(Quantity::edge_angle, edge_angle, "must lie strictly between 0 and pi/2 radians");
  }
}

}  // namespace zavolt::aperture::detail
