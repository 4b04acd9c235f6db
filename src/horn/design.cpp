// design: aperture radius and slant length for each S.
#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "horn/failure.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/classic.hpp"

namespace zavolt::horn {

namespace {

constexpr int kDecibelDecimals = 3;
constexpr int kAngleDecimals = 3;
constexpr int kFlareDecimals = 2;

ReportHead design_head(const DesignRequest& request) {
  const Unit unit = request.common.unit;
  ReportHead head = head_for("design", unit, request.model, request.phase);
  if (request.gain_dbi) {
    head.inputs.push_back(number_input("gain_dbi", "gain", "dBi", ValueSequence::of(*request.gain_dbi)));
  } else {
    head.inputs.push_back(number_input("edge_taper_db", "edge taper", "dB", ValueSequence::of(*request.edge_taper_db)));
    add_edge_input(head, request.edge);
  }
  head.inputs.push_back(number_input("frequency_ghz", "frequency", "GHz", ValueSequence::of(request.frequency_ghz)));
  head.inputs.push_back(number_input("S", "S", "wavelengths", request.s));
  Column slant = length_column("slant", "slant", unit);
  slant.infinity_allowed = true;  // S = 0
  head.columns = {Column{"S", "S (wavelengths)", kShortest}, length_column("radius", "radius", unit), slant,
                  Column{"gain_dbi", "gain (dBi)", kDecibelDecimals}};
  if (request.edge_taper_db) head.columns.push_back(Column{"edge_taper_db", "edge taper (dB)", kDecibelDecimals});
  Column axial = length_column("axial_length", "axial length", unit);
  axial.infinity_allowed = true;
  head.columns.push_back(Column{"flare_half_angle_deg", "flare (deg)", kFlareDecimals});
  head.columns.push_back(axial);
  head.columns.push_back(Column{"bw3_deg", "bw3 (deg)", kAngleDecimals});
  head.columns.push_back(Column{"bw10_deg", "bw10 (deg)", kAngleDecimals});
  return head;
}

// One design row, and the flare half-angle of the horn designed (NaN without a solution).
struct DesignedRow {
  Row row;
  double flare_half_angle = kNoValue;
};

// S is the design's own input: its warning names it once, not as the place of another.
aperture::Validity warn_design_s(Warnings& warnings, aperture::Validity validity, const std::string& s) {
  if (validity.s_outside_0_to_1) warnings.note("s-outside", fmt::format("S = {} lies outside 0 to 1", s));
  validity.s_outside_0_to_1 = false;
  return validity;
}

// The axial length sqrt(L^2 - a^2) of the cone from its apex to the aperture plane: infinite at
// S = 0, none where L <= a (the quadratic phase allows it).
double axial_length(double radius, double slant) {
  if (std::isinf(slant)) return slant;
  if (!(slant > radius)) return kNoValue;
  return std::sqrt((slant - radius) * (slant + radius));
}

// The text of S point i as typed, or as the range gives it.
std::string point_text(const ValueSequence& values, std::size_t i) {
  return values.is_range() ? shortest(values.at(i)) : values.numbers()[i].text;
}

// The radius a gain needs, from the aperture model's scaling D ~ a^2 at a fixed S under the
// quadratic phase: log10 of metres, exact enough for a message; it may lie far beyond a double.
double log10_radius_for(double gain_dbi, double s, double frequency_hz) {
  const double wavelength = aperture::kSpeedOfLight / frequency_hz;
  const double slant = s == 0.0 ? std::numeric_limits<double>::infinity() : wavelength / (2.0 * s);
  const double dbi = aperture::Model({wavelength, slant, aperture::Phase::quadratic}, frequency_hz).directivity().dbi;
  return std::log10(wavelength) + (gain_dbi - dbi) / 20.0;
}

// A length given as log10 of metres, in the run's unit: "1.63e+152 mm", or "10^5e+306 mm" beyond
// what a double holds.
std::string huge_length_text(double log10_metres, Unit unit) {
  const double log10_shown = log10_metres + std::log10(length_from_metres(unit, 1.0));
  if (std::abs(log10_shown) < 300.0) return fmt::format("{:.3g} {}", std::pow(10.0, log10_shown), unit_name(unit));
  return fmt::format("10^{:.3g} {}", log10_shown, unit_name(unit));
}

// A design the domain refuses, in the words of the options typed, with the radius it would need
// where the aperture model's scaling gives it (the spherical phase needs a larger one still).
[[noreturn]] void refuse_gain(const DesignRequest& request, std::size_t i) {
  const Unit unit = request.common.unit;
  const double wavelength_m = aperture::kSpeedOfLight / request.frequency_hz;
  std::string needed = "an aperture radius";
  if (request.model == Model::Aperture) {
    const double s = request.s.at(i);
    const double log10_radius = log10_radius_for(request.gain_dbi->value, s, request.frequency_hz);
    const bool above = log10_radius > std::log10(100.0 * wavelength_m);
    if (request.phase == Phase::Quadratic || s == 0.0) {
      needed += " of " + huge_length_text(log10_radius, unit) + ",";
    } else if (above) {
      needed += " of more than " + huge_length_text(log10_radius, unit) + ",";
    }
  }
  throw UsageError(fmt::format("--gain {} at S = {} needs {} outside the model's domain at --freq {} "
                               "GHz (a/λ from 0.05 to 100: {:.4g} to {:.4g} {})",
                               request.gain_dbi->text, point_text(request.s, i), needed, request.frequency_ghz.text,
                               length_from_metres(unit, 0.05 * wavelength_m),
                               length_from_metres(unit, 100.0 * wavelength_m), unit_name(unit)));
}

template <typename Design>
Design designed_or_refused(const DesignRequest& request, Design (*design)(const DesignRequest&, std::size_t),
                           std::size_t i) {
  try {
    return design(request, i);
  } catch (const InvalidInput& error) {
    if (error.quantity() == Quantity::directivity && request.gain_dbi) refuse_gain(request, i);
    // A radius or slant the design derived: named by the S it came from, not by an option nobody typed.
    if (error.quantity() == Quantity::radius || error.quantity() == Quantity::slant) {
      throw UsageError(fmt::format("--s {} at --freq {} GHz gives a horn outside the model's domain: {}",
                                   point_text(request.s, i), request.frequency_ghz.text, error.what()));
    }
    throw;
  }
}

classic::Design classic_design(const DesignRequest& request, std::size_t i) {
  return classic::design(request.frequency_ghz.single, request.gain_dbi->single, request.s.single_at(i));
}

aperture::Design aperture_design(const DesignRequest& request, std::size_t i) {
  const double frequency = request.frequency_hz;
  const double s = request.s.at(i);
  return request.gain_dbi
             ? aperture::design_for_directivity(request.gain_dbi->value, frequency, s, aperture_phase(request.phase))
             : aperture::design_for_edge_taper(request.edge_taper_db->value, request.edge->half_angle_rad(), frequency,
                                               s, aperture_phase(request.phase));
}

DesignedRow classic_row(const DesignRequest& request, std::size_t i, Warnings& warnings) {
  const Unit unit = request.common.unit;
  const float frequency = request.frequency_ghz.single;
  const float s = request.s.single_at(i);
  const classic::Design d = designed_or_refused(request, classic_design, i);
  // The designed horn analysed by the same routines: the dialogue's gain and dB conversion.
  const float gain = classic::gain_db(frequency, d.radius, d.slant);
  const ClassicGeometry g = classic_geometry(frequency, d.radius, d.slant, s);
  const std::string s_text = fmt::format("{}", s);
  warn_validity(warnings, warn_design_s(warnings, g.validity, s_text), g.s, g.flare_half_angle, g.radius_m,
                g.wavelength_m, unit, "at S = " + s_text);
  const classic::Beamwidths widths = classic::beamwidths(frequency, d.radius, d.slant);
  for (const auto& [width, level] : {std::pair{widths.bw3, "3"}, std::pair{widths.bw10, "10"}}) {
    if (!width) {
      warnings.note(fmt::format("classic-beyond-90-{}", level),
                    fmt::format("the classic {} dB beamwidth at S = {} does not exist: its angle would lie beyond "
                                "90 deg",
                                level, s_text));
    }
  }
  // The axial length in binary64 metres from the binary32 inches.
  constexpr double kMetresPerInch = 0.0254;
  const double axial_m = axial_length(static_cast<double>(d.radius), static_cast<double>(d.slant)) * kMetresPerInch;
  return {Row{{Cell::of_single(s), Cell::of_single(d.radius), Cell::of_single(d.slant), Cell::of_single(gain),
               Cell::of(degrees_from_radians(g.flare_half_angle)), Cell::of(axial_m),
               widths.bw3 ? Cell::of_single(*widths.bw3) : Cell{}, widths.bw10 ? Cell::of_single(*widths.bw10) : Cell{}}},
          g.flare_half_angle};
}

DesignedRow aperture_row(const DesignRequest& request, std::size_t i, Warnings& warnings) {
  const double frequency = request.frequency_hz;
  const double s = request.s.at(i);
  const std::string where = "at S = " + shortest(s);
  const aperture::Design d = designed_or_refused(request, aperture_design, i);
  DesignedRow designed;
  designed.row.cells.push_back(Cell::of(s));
  if (d.no_solution()) {
    warnings.note("no-solution", fmt::format("no horn meets the design {}: {}", where, d.reason));
    designed.row.cells.resize(request.edge_taper_db ? 9 : 8);
    (void)warn_design_s(warnings, d.validity, shortest(s));
    return designed;
  }
  const aperture::Horn& horn = *d.horn;
  const aperture::Geometry g = aperture::geometry(horn, frequency);
  warn_validity(warnings, warn_design_s(warnings, d.validity, shortest(s)), s, g.flare_half_angle, horn.radius,
                g.wavelength, request.common.unit, where);
  if (d.maximum_off_axis) warnings.note("off-axis", fmt::format("the pattern's maximum lies off axis {}", where));
  if (d.directivity_dbi && d.pattern_directivity_dbi) {
    warn_directivity_formula(warnings, *d.directivity_dbi, *d.pattern_directivity_dbi, where);
  }
  designed.flare_half_angle = g.flare_half_angle;
  designed.row.cells.push_back(Cell::of(horn.radius));
  designed.row.cells.push_back(Cell::of(horn.slant));
  designed.row.cells.push_back(d.directivity_dbi ? Cell::of(*d.directivity_dbi) : Cell{});
  if (request.edge_taper_db) designed.row.cells.push_back(d.edge_taper_db ? Cell::of(*d.edge_taper_db) : Cell{});
  designed.row.cells.push_back(Cell::of(degrees_from_radians(g.flare_half_angle)));
  designed.row.cells.push_back(Cell::of(axial_length(horn.radius, horn.slant)));
  for (const std::optional<aperture::Beamwidth>& bw : {d.beamwidth_3db, d.beamwidth_10db}) {
    if (bw && bw->not_reached_within_90_degrees) {
      warnings.note(fmt::format("not-reached-{}", bw->level_db),
                    fmt::format("the {} dB level is not reached within 90 deg {}", shortest(bw->level_db), where));
    }
    designed.row.cells.push_back(bw && bw->width ? Cell::of(degrees_from_radians(*bw->width)) : Cell{});
  }
  return designed;
}

DesignedRow design_row(const DesignRequest& request, std::size_t i, Warnings& warnings) {
  return request.model == Model::Classic ? classic_row(request, i, warnings) : aperture_row(request, i, warnings);
}

}  // namespace

void run_design(const DesignRequest& request, RowWriter& writer, Warnings& warnings) {
  ReportHead head = design_head(request);
  if (request.common.format != Format::Table) {
    writer.begin(head);
    for (std::size_t i = 0; i < request.s.size(); ++i) writer.row(design_row(request, i, warnings).row);
    writer.end(warnings.lines());
    return;
  }
  // The table shows the spread of the flare half-angle above its rows, so it needs them all first.
  std::vector<Row> rows;
  Spread flare;
  for (std::size_t i = 0; i < request.s.size(); ++i) {
    DesignedRow designed = design_row(request, i, warnings);
    flare.take(degrees_from_radians(designed.flare_half_angle));
    rows.push_back(std::move(designed.row));
  }
  head.summary.push_back(Summary{"flare half-angle", flare.text(2, "deg")});
  writer.begin(head);
  for (const Row& row : rows) writer.row(row);
  writer.end(warnings.lines());
}

}  // namespace zavolt::horn
