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
  // The horn as built: its profile and the rules that generate one.
  band,             // a frequency band's edge
  section_length,   // a uniform section of a profile
  section_radius,
  input_radius,     // the input guide
  input_length,
  flare_length,     // the axial length of the flare
  law_a,            // a flare law's shape parameters
  law_rho,
  pitch,            // corrugation pitch
  slot_ratio,       // slot width over pitch
  converter_slots,  // slots of the mode converter
  converter_depth,  // the first converter slot's depth, in wavelengths
  minimum_ridge,    // the thinnest ridge and narrowest slot that can be machined
  minimum_slot,
  step_length,      // the longest step a smooth wall is cut into
  wall,             // the metal's thickness outside the slots
  mesh_tolerance,   // the STL mesher's chordal deviation
  // Mode matching.
  mode_count,       // modes of each kind in the widest section
};

// "aperture radius", "slant length", "frequency", "level", "edge angle", "f/D",
// "phase deviation S", "directivity", "edge taper", "theta", "band edge", "section length",
// "section radius", "input radius", "input length", "flare length", "flare law's A",
// "flare law's rho", "pitch", "slot ratio", "converter slots", "converter depth",
// "minimum ridge", "minimum slot", "step length", "wall thickness", "mesh tolerance", "mode count".
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
