// The one exception of the public interface: an input outside its domain.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace zavolt {

// The quantities a caller passes in, so that a command line can map a rejected value back to the
// option that carried it without parsing the message.
enum class Quantity {
  radius,           // aperture radius a
  slant,            // slant length L, apex to rim
  frequency,
  level,            // a beamwidth level in dB
  edge_angle,       // reflector edge half-angle
  f_over_d,         // reflector focal length over diameter
  phase_deviation,  // S
  directivity,      // a wanted directivity or gain in dB
  edge_taper,       // a wanted edge taper in dB
  theta,            // a pattern angle
};

// "aperture radius", "slant length", "frequency", "level", "edge angle", "f/D",
// "phase deviation S", "directivity", "edge taper", "theta".
[[nodiscard]] std::string_view quantity_name(Quantity quantity) noexcept;

// Thrown for a non-positive, NaN or infinite size or frequency (a slant length may be +infinity),
// a slant length not above the aperture radius under the spherical phase, a level <= 0, an edge
// angle outside (0, 90 degrees), and the like. what() names the quantity and the value as given,
// in the units of the call (metres, hertz, radians, dB; inches and GHz for the classic routines):
// "aperture radius must be positive and finite, got -0.003".
class InvalidInput : public std::invalid_argument {
public:
  InvalidInput(Quantity quantity, double value, std::string_view requirement);
  [[nodiscard]] Quantity quantity() const noexcept { return quantity_; }
  [[nodiscard]] double value() const noexcept { return value_; }

private:
  Quantity quantity_;
  double value_;
};

}  // namespace zavolt
