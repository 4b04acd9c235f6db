// profile: the corrugated horn as built, from a horn given or designed; its slot table, the rules'
// parameters, the staircase as CSV, the drawing, and the metal as STEP and STL.
#include <fmt/format.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <optional>
#include <system_error>
#include <sstream>
#include <string>

#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "horn/drawing.hpp"
#include "horn/failure.hpp"
#include "horn/output.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/cad.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

namespace {

using profile::Parameters;
using profile::Profile;
using profile::WarningKind;

// Decimals that show a micrometre, as in the length columns.
int decimals_of(Unit unit) {
  switch (unit) {
    case Unit::Millimetre: return 3;
    case Unit::Centimetre: return 4;
    case Unit::Inch: return 5;
    case Unit::Metre: return 6;
  }
  return 6;
}

std::string length_text(double metres, Unit unit) {
  return fmt::format("{:.{}f} {}", length_from_metres(unit, metres), decimals_of(unit), unit_name(unit));
}

std::string ghz_text(double hertz) { return fmt::format("{:.3f} GHz", hertz / 1e9); }

profile::Unit csv_unit(Unit unit) {
  switch (unit) {
    case Unit::Millimetre: return profile::Unit::mm;
    case Unit::Centimetre: return profile::Unit::cm;
    case Unit::Inch: return profile::Unit::in;
    case Unit::Metre: return profile::Unit::m;
  }
  return profile::Unit::mm;
}

struct Built {
  profile::Aperture aperture;
  std::optional<double> design_frequency;  // Hz, for a designed horn
  Profile profile;
};

Built build(const ProfileRequest& request) {
  const Unit unit = request.common.unit;
  const double f_min = hertz_from_gigahertz(request.band_ghz.at(0));
  const double f_max = hertz_from_gigahertz(request.band_ghz.at(request.band_ghz.size() - 1));
  Built built;
  if (request.radius) {
    built.aperture = {metres_from(unit, request.radius->value), metres_from(unit, request.slant->value)};
  } else {
    const double f = std::sqrt(f_min * f_max);
    built.design_frequency = f;
    const double s = request.s->value;
    const aperture::Design d =
        request.gain_dbi ? aperture::design_for_directivity(request.gain_dbi->value, f, s)
                         : aperture::design_for_edge_taper(request.edge_taper_db->value, request.edge->half_angle_rad(), f, s);
    if (d.no_solution()) {
      throw UsageError(fmt::format("no horn meets the design at S = {} and {}", request.s->text, ghz_text(f)));
    }
    built.aperture = {d.horn->radius, d.horn->slant};
  }
  built.profile = profile::generate(built.aperture, {f_min, f_max}, request.rules);
  return built;
}

ReportHead profile_head(const ProfileRequest& request, const Built& built) {
  const Unit unit = request.common.unit;
  const std::string u(unit_name(unit));
  const Parameters& p = *built.profile.parameters;
  ReportHead head = head_for("profile", unit, Model::Aperture, Phase::Spherical);
  head.model.clear();  // the rules compute the rows, not a model
  head.phase.clear();
  if (request.radius) {
    head.inputs.push_back(length_input("radius", "aperture radius", *request.radius, unit));
    head.inputs.push_back(length_input("slant", "slant length", *request.slant, unit));
  } else {
    if (request.gain_dbi) {
      head.inputs.push_back(number_input("gain_dbi", "gain", "dBi", ValueSequence::of(*request.gain_dbi)));
    } else {
      head.inputs.push_back(number_input("edge_taper_db", "edge taper", "dB", ValueSequence::of(*request.edge_taper_db)));
      add_edge_input(head, request.edge);
    }
    head.inputs.push_back(number_input("S", "S", "wavelengths", ValueSequence::of(*request.s)));
  }
  const bool single = request.band_ghz.size() == 1;
  head.inputs.push_back(number_input(single ? "frequency_ghz" : "band_ghz", single ? "frequency" : "band", "GHz",
                                     request.band_ghz));

  auto summary = [&](std::string label, std::string text) { head.summary.push_back({std::move(label), std::move(text)}); };
  auto parameter = [&](std::string key, double value) { head.parameters.push_back({std::move(key), value}); };
  auto length_parameter = [&](const std::string& key, double metres) {
    parameter(key + "_" + u, length_from_metres(unit, metres));
  };
  if (built.design_frequency) {
    summary("designed at", ghz_text(*built.design_frequency) + ", the band's geometric centre");
    summary("designed horn", fmt::format("radius {}, slant length {}", length_text(built.aperture.radius, unit),
                                         length_text(built.aperture.slant, unit)));
    parameter("design_frequency_ghz", *built.design_frequency / 1e9);
    length_parameter("radius", built.aperture.radius);
    length_parameter("slant", built.aperture.slant);
  }
  summary("f_c, f_o", fmt::format("{}, {} ({} band)", ghz_text(p.f_c), ghz_text(p.f_o), p.wide_band ? "wide" : "narrow"));
  parameter("f_c_ghz", p.f_c / 1e9);
  parameter("f_o_ghz", p.f_o / 1e9);
  summary("input guide", fmt::format("radius {}, length {}", length_text(p.input_radius, unit), length_text(p.input_length, unit)));
  length_parameter("input_radius", p.input_radius);
  length_parameter("input_length", p.input_length);
  std::string law(profile::law_name(p.law));
  if (profile::law_uses_a(p.law)) law += fmt::format(" A = {}", p.law_a);
  if (profile::law_uses_rho(p.law)) law += fmt::format(" rho = {}", p.law_rho);
  std::string flare = fmt::format("{}, {} long", law, length_text(p.flare_length, unit));
  if (p.law == profile::Law::linear) {
    const double half_angle = std::atan((p.aperture_radius - p.input_radius) / p.flare_length);
    flare += fmt::format(", half-angle {:.2f} deg", degrees_from_radians(half_angle));
    parameter("flare_half_angle_deg", degrees_from_radians(half_angle));
  }
  summary("flare", flare);
  length_parameter("flare_length", p.flare_length);
  summary("corrugations", fmt::format("pitch {}, slot {}, ridge {}", length_text(p.pitch, unit),
                                      length_text(p.slot_width, unit), length_text(p.ridge_width, unit)));
  length_parameter("pitch", p.pitch);
  length_parameter("slot_width", p.slot_width);
  length_parameter("ridge_width", p.ridge_width);
  std::string converter = p.converter_slots == 0 ? "none"
                                                 : fmt::format("{} slots from {} lambda_c ({}) deep", p.converter_slots,
                                                               p.converter_depth, length_text(p.converter_depth * p.lambda_c, unit));
  if (p.converter_in_cylinder) {
    converter += fmt::format(", in a {} cylinder at the input radius: the flare holds only {} pitches",
                             length_text(p.converter_cylinder_length, unit), p.slot_count - static_cast<std::size_t>(p.converter_slots));
  }
  summary("mode converter", converter);
  parameter("converter_slots", p.converter_slots);
  parameter("converter_depth_wavelengths", p.converter_depth);
  length_parameter("converter_cylinder", p.converter_cylinder_length);
  const auto& slots = built.profile.slots;
  if (!slots.empty()) {
    summary("slot depths", fmt::format("{} at the throat to {} at the aperture", length_text(slots.front().depth(), unit),
                                       length_text(slots.back().depth(), unit)));
  }
  length_parameter("aperture_depth", p.aperture_depth);
  summary("slots", fmt::format("{}", p.slot_count));
  parameter("slots", static_cast<double>(p.slot_count));
  std::string total = length_text(p.total_length, unit);
  if (p.converter_in_cylinder) total += fmt::format(", {} of it the converter's cylinder", length_text(p.converter_cylinder_length, unit));
  summary("total length", total);
  length_parameter("total_length", p.total_length);
  return head;
}

void note_warnings(const ProfileRequest& request, const Profile& profile, Warnings& warnings) {
  const Unit unit = request.common.unit;
  const Parameters& p = *profile.parameters;
  for (const profile::Warning& w : profile.warnings) {
    switch (w.kind) {
      case WarningKind::slot_too_narrow:
        warnings.note("narrow-slot", fmt::format("slot {} is {} wide, below the narrowest slot that can be machined ({})",
                                                 *w.slot, length_text(w.value, unit), length_text(w.limit, unit)));
        break;
      case WarningKind::ridge_too_thin:
        warnings.note("thin-ridge", fmt::format("the ridge of slot {} is {} wide, below the thinnest ridge that can be "
                                                "machined ({})",
                                                *w.slot, length_text(w.value, unit), length_text(w.limit, unit)));
        break;
      case WarningKind::pitch_too_coarse:
        warnings.note("pitch", fmt::format("the pitch {} is not below lambda / 3 at {} ({}): the corrugations no longer "
                                           "act as a surface impedance",
                                           length_text(w.value, unit), ghz_text(p.band.f_max), length_text(w.limit, unit)));
        break;
      case WarningKind::te11_cut_off:
        warnings.note("te11", fmt::format("the input radius {} cuts TE11 off at {} (k a = {:.3f}, cut-off {:.3f})",
                                          length_text(p.input_radius, unit), ghz_text(p.band.f_min), w.value, w.limit));
        break;
      case WarningKind::tm11_propagates:
        warnings.note("tm11", fmt::format("the input radius {} lets TM11 propagate at {} (k a = {:.3f}, cut-off {:.3f})",
                                          length_text(p.input_radius, unit), ghz_text(p.band.f_max), w.value, w.limit));
        break;
      case WarningKind::not_the_design_cone:
        warnings.note("law", fmt::format("the {} flare of {} is not the design's cone: the aperture model's S, slant "
                                         "length and phase centre do not describe this horn",
                                         profile::law_name(p.law), length_text(w.value, unit)));
        break;
    }
  }
}

// The engineer's own profile; a file that cannot be read, or a bad line in it, is a usage error
// naming the file. Sloping walls are cut at --max-step, or lambda_c / 40 of the band, if any.
Profile read_profile(const ProfileRequest& request) {
  const std::string& path = *request.profile_file;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno;
    throw UsageError(fmt::format("cannot read {}: {}", path, std::system_category().message(error)));
  }
  double step = profile::kDefaultReadStep;
  if (request.rules.step_length) {
    step = *request.rules.step_length;
  } else if (request.band_ghz.size() > 0) {
    const profile::Band band{hertz_from_gigahertz(request.band_ghz.at(0)),
                             hertz_from_gigahertz(request.band_ghz.at(request.band_ghz.size() - 1))};
    step = profile::kSpeedOfLight / profile::design_frequencies(band).f_c / 40.0;
  }
  try {
    return profile::read_csv(in, step);
  } catch (const profile::CsvError& error) {
    throw UsageError(fmt::format("{}: {}", path, error.what()));
  }
}

ReportHead read_head(const ProfileRequest& request, const Profile& horn) {
  const Unit unit = request.common.unit;
  ReportHead head = head_for("profile", unit, Model::Aperture, Phase::Spherical);
  head.model.clear();
  head.phase.clear();
  if (request.band_ghz.size() > 0) {
    const bool single = request.band_ghz.size() == 1;
    head.inputs.push_back(number_input(single ? "frequency_ghz" : "band_ghz", single ? "frequency" : "band", "GHz",
                                       request.band_ghz));
  }
  const std::string u(unit_name(unit));
  head.summary.push_back({"profile", *request.profile_file});
  head.summary.push_back({"sections", fmt::format("{}", horn.sections.size())});
  head.summary.push_back({"input radius", length_text(horn.sections.front().radius, unit)});
  head.summary.push_back({"aperture radius", length_text(horn.sections.back().radius, unit)});
  head.summary.push_back({"total length", length_text(horn.length(), unit)});
  head.parameters = {{"sections", static_cast<double>(horn.sections.size())},
                     {"input_radius_" + u, length_from_metres(unit, horn.sections.front().radius)},
                     {"aperture_radius_" + u, length_from_metres(unit, horn.sections.back().radius)},
                     {"total_length_" + u, length_from_metres(unit, horn.length())}};
  return head;
}

// Created (or cut) at once, so that a bad path fails before anything is computed.
void check_writable(const std::optional<std::string>& path) {
  if (!path) return;
  OutputFile file(*path);
  file.close();
}

}  // namespace

std::optional<std::string> run_profile(const ProfileRequest& request, RowWriter& writer, Warnings& warnings) {
  std::optional<OutputFile> sections_file;
  if (request.sections) sections_file.emplace(*request.sections);
  check_writable(request.step);
  check_writable(request.stl);

  const Unit unit = request.common.unit;
  std::optional<Built> built;
  Profile read;
  if (request.profile_file) {
    read = read_profile(request);
  } else {
    built = build(request);
    note_warnings(request, built->profile, warnings);
  }
  const Profile& horn = built ? built->profile : read;
  ReportHead head = built ? profile_head(request, *built) : read_head(request, horn);
  head.columns = {Column{"slot", "slot", kShortest},
                  length_column("z", "z", unit),
                  length_column("ridge_radius", "ridge radius", unit),
                  length_column("slot_radius", "slot radius", unit),
                  length_column("depth", "depth", unit),
                  length_column("slot_width", "slot width", unit),
                  length_column("ridge_width", "ridge width", unit),
                  Column{"converter", "converter", kShortest}};
  writer.begin(head);
  for (std::size_t i = 0; i < horn.slots.size(); ++i) {
    const profile::Slot& slot = horn.slots[i];
    writer.row(Row{{Cell::of(static_cast<double>(i + 1)), Cell::of(length_from_metres(unit, slot.z)),
                    Cell::of(length_from_metres(unit, slot.ridge_radius)), Cell::of(length_from_metres(unit, slot.slot_radius)),
                    Cell::of(length_from_metres(unit, slot.depth())), Cell::of(length_from_metres(unit, slot.slot_width)),
                    Cell::of(length_from_metres(unit, slot.ridge_width)), Cell::of_truth(slot.converter)}});
  }
  writer.end(warnings.lines());

  if (sections_file) {
    std::ostringstream csv;
    profile::write_csv(csv, horn, csv_unit(unit));
    write_all(sections_file->fd(), csv.str(), *request.sections);
    sections_file->close();
  }
  if (request.step) cad::write_step(horn, request.wall_m, *request.step);
  if (request.stl) cad::write_stl(horn, request.wall_m, request.stl_tolerance_m, *request.stl);
  if (!request.common.plot) return std::nullopt;
  return profile_drawing_svg(horn, profile::metal(horn, request.wall_m), unit);
}

}  // namespace zavolt::horn
