#include "horn/command_support.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "numeric/fp.hpp"
#include "numeric/wavelength.hpp"

namespace zavolt::horn {

namespace {

constexpr double kMostFlareDeg = 15.0;
constexpr double kMetresPerInch = 0.0254;

// Decimals that show a micrometre in each unit.
int length_decimals(Unit unit) {
  switch (unit) {
    case Unit::Millimetre: return 3;
    case Unit::Centimetre: return 4;
    case Unit::Inch: return 5;
    case Unit::Metre: return 6;
  }
  return 6;
}


}  // namespace

// A length for a message, in the run's unit.
std::string length_text(double metres, Unit unit) {
  return fmt::format("{:.{}f} {}", length_from_metres(unit, metres), length_decimals(unit), unit_name(unit));
}

profile::Unit csv_unit(Unit unit) {
  switch (unit) {
    case Unit::Millimetre: return profile::Unit::mm;
    case Unit::Centimetre: return profile::Unit::cm;
    case Unit::Inch: return profile::Unit::in;
    case Unit::Metre: return profile::Unit::m;
  }
  return profile::Unit::mm;
}

double degrees_from_radians(double radians) { return radians * 180.0 / std::numbers::pi; }

aperture::Phase aperture_phase(Phase phase) {
  return phase == Phase::Quadratic ? aperture::Phase::quadratic : aperture::Phase::spherical;
}

ReportHead head_for(std::string command, Unit unit, Model model, Phase phase) {
  ReportHead head;
  head.command = std::move(command);
  head.unit = std::string(unit_name(unit));
  head.model = std::string(model_name(model));
  head.phase = model == Model::Classic ? "quadratic" : std::string(phase_name(phase));
  return head;
}

Column length_column(const std::string& name, const std::string& heading, Unit unit) {
  Column column{fmt::format("{}_{}", name, unit_name(unit)), fmt::format("{} ({})", heading, unit_name(unit)),
                length_decimals(unit)};
  column.length = true;
  return column;
}

Input length_input(const std::string& name, const std::string& label, const Length& length, Unit unit) {
  return Input{fmt::format("{}_{}", name, unit_name(unit)), label, std::string(unit_name(unit)),
               ValueSequence::of(length.typed)};
}

Cell displayed_length(const Cell& cell, Unit unit) {
  switch (cell.kind()) {
    case Cell::Kind::Double: return Cell::of(length_from_metres(unit, cell.value()));
    case Cell::Kind::Single: return Cell::of_single(length_from_inches(unit, cell.single()));
    case Cell::Kind::Empty:
    case Cell::Kind::Truth:
    case Cell::Kind::Text: return cell;
  }
  return cell;
}

Input number_input(const std::string& key, const std::string& label, const std::string& unit,
                   const ValueSequence& values) {
  return Input{key, label, unit, values};
}

void add_edge_input(ReportHead& head, const std::optional<ReflectorEdge>& edge) {
  if (!edge) return;
  if (edge->as_f_over_d) {
    head.inputs.push_back(number_input("f_over_d", "f/D", "", ValueSequence::of(edge->given)));
    head.summary.push_back(Summary{"edge half-angle", fmt::format("{:.2f} deg", edge->half_angle_deg())});
  } else {
    head.inputs.push_back(number_input("edge_angle_deg", "edge half-angle", "deg", ValueSequence::of(edge->given)));
  }
}

void Spread::take(double value) {
  if (!std::isfinite(value)) return;
  low_ = any_ ? std::min(low_, value) : value;
  high_ = any_ ? std::max(high_, value) : value;
  any_ = true;
}

std::string Spread::text(int decimals, const std::string& unit) const {
  const std::string suffix = unit.empty() ? "" : " " + unit;
  if (!any_) return "-";
  if (fmt::format("{:.{}f}", low_, decimals) == fmt::format("{:.{}f}", high_, decimals)) {
    return fmt::format("{:.{}f}{}", low_, decimals, suffix);
  }
  return fmt::format("{:.{}f} to {:.{}f}{}", low_, decimals, high_, decimals, suffix);
}

void warn_validity(Warnings& warnings, const aperture::Validity& validity, double s, double flare_half_angle,
                   double radius_m, double wavelength_m, Unit unit, const std::string& where) {
  if (validity.s_outside_0_to_1) {
    warnings.note("s-outside", fmt::format("S = {:.4f} {} lies outside 0 to 1", s, where));
  }
  if (validity.flare_above_15_degrees) {
    warnings.note("flare", fmt::format("the flare half-angle {:.2f} deg {} is above 15 deg, where the quadratic "
                                       "phase is a poor approximation",
                                       degrees_from_radians(flare_half_angle), where));
  }
  if (validity.flare_beyond_accuracy_domain) {
    const double a_over_l = std::sin(flare_half_angle);
    warnings.note("flare-accuracy",
                  flare_half_angle < std::numbers::pi / 2.0
                      ? fmt::format("a/L = {:.3f} {} lies beyond the accuracy domain (a/L up to 0.7)", a_over_l, where)
                      : fmt::format("a/L is 1 or more {}, beyond the accuracy domain (a/L up to 0.7)", where));
  }
  if (validity.aperture_below_wavelength) {
    warnings.note("small-aperture", fmt::format("the aperture radius {} is below one wavelength ({}) {}",
                                                length_text(radius_m, unit), length_text(wavelength_m, unit), where));
  }
}

void warn_directivity_formula(Warnings& warnings, double formula_dbi, double pattern_dbi, const std::string& where) {
  constexpr double kMostDirectivityDifference = 0.1;  // dB
  if (!(std::abs(pattern_dbi - formula_dbi) > kMostDirectivityDifference)) return;
  warnings.note("directivity-formula",
                fmt::format("the aperture formula's gain {:.3f} dBi differs from the pattern's directivity {:.3f} dBi "
                            "{}: the formula is a poor approximation for this aperture",
                            formula_dbi, pattern_dbi, where));
}

ClassicGeometry classic_geometry(float frequency_ghz, float radius_in, float slant_in, float s) {
  ClassicGeometry g{};
  g.s = wide(s);
  g.flare_half_angle = std::isinf(slant_in) ? 0.0 : std::asin(std::min(1.0, wide(radius_in) / wide(slant_in)));
  g.wavelength_m = wide(kLightInchesPerNs) / wide(frequency_ghz) * kMetresPerInch;
  g.radius_m = wide(radius_in) * kMetresPerInch;
  g.validity.s_outside_0_to_1 = g.s < 0.0 || g.s > 1.0;
  g.validity.flare_above_15_degrees = degrees_from_radians(g.flare_half_angle) > kMostFlareDeg;
  g.validity.aperture_below_wavelength = g.radius_m < g.wavelength_m;
  g.validity.flare_beyond_accuracy_domain = !std::isinf(slant_in) && wide(radius_in) / wide(slant_in) > 0.7;
  return g;
}

}  // namespace zavolt::horn
