// profile: the corrugated horn as built, from a horn given or designed; its slot table, the rules'
// parameters, the staircase as CSV, the drawing, and the metal as STEP and STL.
#include <fmt/format.h>

#include <cerrno>
#include <cmath>
#include <numbers>
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
#include "zavolt/invalid_input.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

namespace {

using profile::Parameters;
using profile::Profile;
using profile::WarningKind;

std::string ghz_text(double hertz) { return fmt::format("{:.3f} GHz", hertz / 1e9); }

// The option that carries a quantity of the rules, and whether it is a length.
struct Carrier {
  std::string_view option;
  bool length = false;
};

Carrier carrier_of(Quantity quantity, const ProfileRequest& request) {
  switch (quantity) {
    case Quantity::radius: return {"--radius", true};
    case Quantity::slant: return {"--slant", true};
    case Quantity::band: return {request.band_ghz.size() == 1 ? "--freq" : "--band"};
    case Quantity::section_length:
    case Quantity::section_radius: return {"--profile", true};
    case Quantity::input_radius: return {"--input-radius", true};
    case Quantity::input_length: return {"--input-length", true};
    case Quantity::flare_length: return {"--length", true};
    case Quantity::law_a: return {"--law-a"};
    case Quantity::law_rho: return {"--law-rho"};
    case Quantity::pitch: return {"--pitch", true};
    case Quantity::slot_ratio: return {"--slot-ratio"};
    case Quantity::converter_slots: return {"--converter-slots"};
    case Quantity::converter_depth: return {"--converter-depth"};
    case Quantity::minimum_ridge: return {"--min-ridge", true};
    case Quantity::minimum_slot: return {"--min-slot", true};
    case Quantity::step_length: return {"--max-step", true};
    case Quantity::wall: return {"--wall", true};
    case Quantity::mesh_tolerance: return {"--stl-tolerance", true};
    default: return {"an option"};
  }
}

// The library's words for a refused value without its ", got <value in SI units>".
std::string requirement_of(const InvalidInput& error) {
  std::string text = error.what();
  const std::size_t got = text.rfind(", got ");
  if (got != std::string::npos) text.resize(got);
  return text;
}

// A value of the rules in the run's unit, to the digits that read back.
std::string value_text(const Carrier& carrier, Quantity quantity, double value, Unit unit) {
  if (carrier.length) return length_text(value, unit);
  if (quantity == Quantity::band) return fmt::format("{} GHz", shortest(value / 1e9));
  return shortest(value);
}

// The design's options: "--gain 20 at --s 0.2 and 12.000 GHz".
std::string design_words(const ProfileRequest& request, double frequency_hz) {
  std::string words = request.gain_dbi ? fmt::format("--gain {}", request.gain_dbi->text)
                                       : fmt::format("--edge-taper {} with {} {}", request.edge_taper_db->text,
                                                     request.edge->as_f_over_d ? "--f-over-d" : "--edge-angle",
                                                     request.edge->given.text);
  return words + fmt::format(" at --s {} and {}", request.s->text, ghz_text(frequency_hz));
}

// A value the rules refuse, in the words and the unit of the command line: the option and its text
// as typed, or the design or default it came from. `designed` is the aperture a design gave.
[[noreturn]] void refuse(const ProfileRequest& request, const InvalidInput& error,
                         const std::optional<profile::Aperture>& designed = std::nullopt,
                         std::optional<double> design_frequency = std::nullopt) {
  const Unit unit = request.common.unit;
  const Quantity quantity = error.quantity();
  const Carrier carrier = carrier_of(quantity, request);
  if (quantity == Quantity::radius && request.band_ghz.size() > 0) {
    // Not above the input radius: the one refusal whose words carry a length of their own.
    const profile::Band band{hertz_from_gigahertz(request.band_ghz.at(0)),
                             hertz_from_gigahertz(request.band_ghz.at(request.band_ghz.size() - 1))};
    const double f_c = profile::design_frequencies(band).f_c;
    const double input = request.rules.input_radius.value_or(3.0 * profile::kSpeedOfLight / f_c / (2.0 * std::numbers::pi));
    const auto typed_input = request.typed.find("--input-radius");
    const std::string source = typed_input != request.typed.end()
                                   ? fmt::format("--input-radius {}", typed_input->second)
                                   : fmt::format("3 lambda_c / (2 pi) at f_c = {}", ghz_text(f_c));
    const std::string limit = fmt::format("the input radius of {} ({})", value_text(carrier, quantity, input, unit), source);
    if (designed && design_frequency) {
      throw UsageError(fmt::format("{} designs an aperture radius of {}: it must exceed {}",
                                   design_words(request, *design_frequency),
                                   value_text(carrier, quantity, designed->radius, unit), limit));
    }
    const auto typed = request.typed.find("--radius");
    if (typed != request.typed.end()) {
      throw UsageError(fmt::format("--radius was refused: aperture radius must exceed {}, got {}", limit, typed->second));
    }
  }
  const auto typed = request.typed.find(carrier.option);
  if (typed != request.typed.end()) {
    throw UsageError(fmt::format("{} was refused: {}, got {}", carrier.option, requirement_of(error), typed->second));
  }
  if (designed && design_frequency && (quantity == Quantity::radius || quantity == Quantity::slant)) {
    throw UsageError(fmt::format("{} designs a horn the rules refuse: {}, got {}", design_words(request, *design_frequency),
                                 requirement_of(error), value_text(carrier, quantity, error.value(), unit)));
  }
  // A default of the rules, from the band or the horn: named by the option that would change it.
  throw UsageError(fmt::format("{} was refused: {}, got {} (the default of {})", carrier.option, requirement_of(error),
                               value_text(carrier, quantity, error.value(), unit), carrier.option));
}

struct Built {
  profile::Aperture aperture;
  std::optional<double> design_frequency;  // Hz, for a designed horn
  Profile profile;
};

Built build(const ProfileRequest& request) {
  const double f_min = hertz_from_gigahertz(request.band_ghz.at(0));
  const double f_max = hertz_from_gigahertz(request.band_ghz.at(request.band_ghz.size() - 1));
  Built built;
  if (request.radius) {
    built.aperture = {request.radius->metres, request.slant->metres};
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
  try {
    built.profile = profile::generate(built.aperture, {f_min, f_max}, request.rules);
  } catch (const InvalidInput& error) {
    if (built.design_frequency) refuse(request, error, built.aperture, built.design_frequency);
    throw;
  }
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

}  // namespace

ProfileFiles::ProfileFiles(const ProfileRequest& request) {
  if (request.sections) sections.emplace(*request.sections);
  if (request.step) step.emplace(*request.step);
  if (request.stl) stl.emplace(*request.stl);
}

void ProfileFiles::commit() {
  for (std::optional<AtomicFile>* file : {&sections, &step, &stl}) {
    if (*file) (*file)->commit();
  }
}

namespace {

// The staircase, the STEP and the STL into their temporary files. The CAD writers take a file
// name: they write the temporary file by its name, which the open descriptor keeps.
void write_files(const ProfileRequest& request, const Profile& horn, ProfileFiles& files) {
  if (files.sections) {
    std::ostringstream csv;
    profile::write_csv(csv, horn, csv_unit(request.common.unit));
    write_all(files.sections->fd(), csv.str(), *request.sections);
  }
  // A writer's failure names the file the user gave, not the temporary one.
  const auto named = [](const cad::CadFailure& failure, const AtomicFile& file) {
    std::string message = failure.what();
    const std::string& written = file.written_path();
    for (std::size_t at = message.find(written); at != std::string::npos; at = message.find(written, at + file.path().size())) {
      message.replace(at, written.size(), file.path());
    }
    return cad::CadFailure(message);
  };
  try {
    if (files.step) cad::write_step(horn, request.wall_m, files.step->written_path());
  } catch (const cad::CadFailure& failure) {
    throw named(failure, *files.step);
  }
  try {
    if (files.stl) cad::write_stl(horn, request.wall_m, request.stl_tolerance_m, files.stl->written_path());
  } catch (const cad::CadFailure& failure) {
    throw named(failure, *files.stl);
  }
}

}  // namespace

std::optional<std::string> run_profile(const ProfileRequest& request, RowWriter& writer, Warnings& warnings,
                                       ProfileFiles& files) {
  const Unit unit = request.common.unit;
  std::optional<Built> built;
  Profile read;
  std::optional<std::string> svg;
  try {
    if (request.profile_file) {
      read = read_profile(request);
    } else {
      built = build(request);
      note_warnings(request, built->profile, warnings);
    }
    const Profile& horn = built ? built->profile : read;
    // The files before the first row: a solid that cannot be built leaves standard output empty.
    write_files(request, horn, files);
    if (request.common.plot) svg = profile_drawing_svg(horn, profile::metal(horn, request.wall_m), unit);
  } catch (const InvalidInput& error) {
    refuse(request, error);
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
    writer.row(Row{{Cell::of(static_cast<double>(i + 1)), Cell::of(slot.z),
                    Cell::of(slot.ridge_radius), Cell::of(slot.slot_radius),
                    Cell::of(slot.depth()), Cell::of(slot.slot_width),
                    Cell::of(slot.ridge_width), Cell::of_truth(slot.converter)}});
  }
  writer.end(warnings.lines());
  return svg;
}

}  // namespace zavolt::horn
