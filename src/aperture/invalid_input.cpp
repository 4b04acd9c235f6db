#include "zavolt/invalid_input.hpp"

#include <charconv>
#include <string>

namespace zavolt {

namespace {

// The shortest text that reads back as the same double, so the message shows the value as given.
std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string message(Quantity quantity, double value, std::string_view requirement) {
  std::string m(quantity_name(quantity));
  m += ' ';
  m += requirement;
  m += ", got ";
  m += shortest(value);
  return m;
}

}  // namespace

std::string_view quantity_name(Quantity quantity) noexcept {
  switch (quantity) {
    case Quantity::radius: return "aperture radius";
    case Quantity::slant: return "slant length";
    case Quantity::frequency: return "frequency";
    case Quantity::level: return "level";
    case Quantity::edge_angle: return "edge angle";
    case Quantity::f_over_d: return "f/D";
    case Quantity::phase_deviation: return "phase deviation S";
    case Quantity::directivity: return "directivity";
    case Quantity::edge_taper: return "edge taper";
    case Quantity::theta: return "theta";
    case Quantity::band: return "band edge";
    case Quantity::section_length: return "section length";
    case Quantity::section_radius: return "section radius";
    case Quantity::input_radius: return "input radius";
    case Quantity::input_length: return "input length";
    case Quantity::flare_length: return "flare length";
    case Quantity::law_a: return "flare law's A";
    case Quantity::law_rho: return "flare law's rho";
    case Quantity::pitch: return "pitch";
    case Quantity::slot_ratio: return "slot ratio";
    case Quantity::converter_slots: return "converter slots";
    case Quantity::converter_depth: return "converter depth";
    case Quantity::minimum_ridge: return "minimum ridge";
    case Quantity::minimum_slot: return "minimum slot";
    case Quantity::step_length: return "step length";
    case Quantity::wall: return "wall thickness";
    case Quantity::mesh_tolerance: return "mesh tolerance";
    case Quantity::mode_count: return "mode count";
  }
  return "input";
}

InvalidInput::InvalidInput(Quantity quantity, double value, std::string_view requirement)
    : std::invalid_argument(message(quantity, value, requirement)), quantity_(quantity), value_(value) {}

}  // namespace zavolt
