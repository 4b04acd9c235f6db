// design: aperture radius and slant length for each S.
#include <fmt/format.h>

#include <cmath>
#include <vector>

#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/classic.hpp"

namespace zavolt::horn {

namespace {

constexpr int kDecibelDecimals = 3;

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
  head.columns = {Column{"S", "S (wavelengths)", kShortest}, length_column("radius", "radius", unit),
                  length_column("slant", "slant", unit), Column{"gain_dbi", "gain (dBi)", kDecibelDecimals}};
  if (request.edge_taper_db) head.columns.push_back(Column{"edge_taper_db", "edge taper (dB)", kDecibelDecimals});
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

DesignedRow classic_row(const DesignRequest& request, std::size_t i, Warnings& warnings) {
  const Unit unit = request.common.unit;
  const float frequency = request.frequency_ghz.single;
  const float s = request.s.single_at(i);
  const classic::Design d = classic::design(frequency, request.gain_dbi->single, s);
  // The designed horn analysed by the same routines: the dialogue's gain and dB conversion.
  const float gain = classic::gain_db(frequency, d.radius, d.slant);
  const ClassicGeometry g = classic_geometry(frequency, d.radius, d.slant, s);
  const std::string s_text = fmt::format("{}", s);
  warn_validity(warnings, warn_design_s(warnings, g.validity, s_text), g.s, g.flare_half_angle, g.radius_m,
                g.wavelength_m, unit, "at S = " + s_text);
  return {Row{{Cell::of_single(s), Cell::of_single(length_from_inches(unit, d.radius)),
               Cell::of_single(length_from_inches(unit, d.slant)), Cell::of_single(gain)}},
          g.flare_half_angle};
}

DesignedRow aperture_row(const DesignRequest& request, std::size_t i, Warnings& warnings) {
  const Unit unit = request.common.unit;
  const double frequency = hertz_from_gigahertz(request.frequency_ghz.value);
  const double s = request.s.at(i);
  const std::string where = "at S = " + shortest(s);
  const aperture::Design d =
      request.gain_dbi
          ? aperture::design_for_directivity(request.gain_dbi->value, frequency, s, aperture_phase(request.phase))
          : aperture::design_for_edge_taper(request.edge_taper_db->value, request.edge->half_angle_rad(), frequency,
                                            s, aperture_phase(request.phase));
  DesignedRow designed;
  designed.row.cells.push_back(Cell::of(s));
  if (d.no_solution()) {
    warnings.note("no-solution", fmt::format("no horn meets the design {}", where));
    designed.row.cells.resize(request.edge_taper_db ? 5 : 4);
    (void)warn_design_s(warnings, d.validity, shortest(s));
    return designed;
  }
  const aperture::Horn& horn = *d.horn;
  const aperture::Geometry g = aperture::geometry(horn, frequency);
  warn_validity(warnings, warn_design_s(warnings, d.validity, shortest(s)), s, g.flare_half_angle, horn.radius,
                g.wavelength, unit, where);
  designed.flare_half_angle = g.flare_half_angle;
  designed.row.cells.push_back(Cell::of(length_from_metres(unit, horn.radius)));
  designed.row.cells.push_back(Cell::of(length_from_metres(unit, horn.slant)));
  designed.row.cells.push_back(d.directivity_dbi ? Cell::of(*d.directivity_dbi) : Cell{});
  if (request.edge_taper_db) designed.row.cells.push_back(d.edge_taper_db ? Cell::of(*d.edge_taper_db) : Cell{});
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
