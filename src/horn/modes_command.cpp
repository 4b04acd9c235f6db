// analyse --model modes: the mode-matching solver swept on a pool of threads, one row per
// frequency through the common writers, and S11 as Touchstone.
#include "horn/modes_command.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <cerrno>
#include <algorithm>
#include <complex>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "horn/atomic_file.hpp"
#include "horn/command_support.hpp"
#include "horn/failure.hpp"
#include "horn/output.hpp"
#include "horn/plot.hpp"
#include "horn/progress.hpp"
#include "horn/report.hpp"
#include "horn/units.hpp"
#include "horn/values.hpp"
#include "horn/warnings.hpp"
#include "horn/writers.hpp"
#include "zavolt/modes.hpp"

namespace zavolt::horn {

namespace {

constexpr std::string_view kProgram = "zavolt-horn";
constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kDecibels = 3;
constexpr int kAngles = 3;
constexpr int kFractions = 4;
constexpr int kParts = 6;

[[noreturn]] void refuse(const std::string& message) { throw UsageError(message); }

struct ModesRequest {
  bool pattern = false;  // pattern, else analyse
  CommonOptions common;
  std::string profile_path;  // empty for a generated profile
  profile::Profile profile;
  profile::Aperture aperture;  // of a generated profile
  profile::Band band;          // of a generated profile, Hz
  profile::Rules rules;        // of a generated profile, lengths in metres
  ValueSequence band_ghz;      // --band as typed, or the sweep's two ends
  ValueSequence frequency_ghz;
  ValueSequence levels_db;
  std::optional<ReflectorEdge> edge;
  modes::Options options;
  unsigned jobs = 0;
  std::optional<std::string> touchstone;
  ValueSequence theta_deg;  // pattern
};

double number_of(const std::string& option, const std::string& text) {
  try {
    return parse_number(text).value;
  } catch (const ValueSyntax& syntax) {
    refuse(fmt::format("{} {}, got {}", option, syntax.what(), text));
  }
}

ValueSequence sequence_of(const std::string& option, const std::string& text) {
  try {
    return parse_values(text);
  } catch (const ValueSyntax& syntax) {
    refuse(fmt::format("{} {}, got {}", option, syntax.what(), text));
  }
}

}  // namespace

profile::Profile read_profile_file(const std::string& path, Unit unit, double step_length) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error = errno;
    throw UsageError(fmt::format("--profile cannot read {}: {}", path, std::system_category().message(error)));
  }
  std::ostringstream whole;
  whole << in.rdbuf();
  std::string text = whole.str();
  // A header of bare names, "length,radius" or "z,radius", takes the unit of --unit.
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line(text.data() + at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') {
      at = end + 1;
      continue;
    }
    if (line == "length,radius" || line == "z,radius") {
      const std::string suffix(profile::unit_suffix(csv_unit(unit)));
      const std::string named = line == "z,radius" ? "z_" + suffix + ",radius_" + suffix : "length_" + suffix + ",radius_" + suffix;
      text.replace(at, line.size(), named);
    }
    break;
  }
  std::istringstream csv(text);
  try {
    return profile::read_csv(csv, step_length);
  } catch (const profile::CsvError& error) {
    throw UsageError(fmt::format("--profile {}: {}", path, error.what()));
  }
}

namespace {

// Returns the request, or the help text in *help.
std::optional<ModesRequest> parse(std::span<const std::string> args, std::string* help) {
  const std::string command = args.front();
  const bool pattern = command == "pattern";
  if (command != "analyse" && command != "analyze" && !pattern) {
    refuse(fmt::format("--model modes applies to analyse and pattern, got {}", command));
  }
  CLI::App app(pattern ? "The far field of a horn as built, by mode matching of its profile"
                       : "Analyse a horn as built by mode matching of its profile",
               fmt::format("{} {} --model modes", kProgram, pattern ? "pattern" : "analyse"));
  std::map<std::string, std::string> v;
  const auto value = [&](const std::string& name, const std::string& type, const std::string& text) {
    app.add_option(name, v[name], text)->type_name(type);
  };
  value("--model", "modes", "The mode-matching model of the profile");
  value("--profile", "FILE.csv", "The horn as built: z_<unit>,radius_<unit> or length_<unit>,radius_<unit>, input first");
  value("--radius", "A", "Aperture radius of a horn whose profile the rules generate, instead of --profile");
  value("--slant", "L", "Slant length, apex to rim, of that horn");
  value("--band", "FMIN,FMAX", "The band the rules design for, GHz (default the sweep's lowest and highest frequency)");
  value("--input-radius", "A", "Input guide radius (default 3 lambda_c / (2 pi))");
  value("--input-length", "L", "Input guide length (default lambda_c / 2)");
  value("--law", "NAME", "Flare: linear (default), sine, tangential, power, exponential, hyperbolic, polynomial");
  value("--length", "L", "Axial length of the flare (default the design's cone)");
  value("--law-a", "A", "The law's A, 0 to 1 (sine, tangential, power; default 1)");
  value("--law-rho", "RHO", "The law's rho (tangential, power, polynomial; default 2)");
  value("--pitch", "P", "Corrugation pitch (default lambda_c / 8)");
  value("--slot-ratio", "D", "Slot width over pitch, between 0 and 1 (default 0.8)");
  value("--converter-slots", "N", "Slots of the mode converter (default 5)");
  value("--converter-depth", "SIGMA", "The first converter slot's depth in lambda_c (default 0.42)");
  value("--min-ridge", "W", "Thinnest ridge that can be machined (default 0.2 mm)");
  value("--min-slot", "W", "Narrowest slot that can be machined (default 0.2 mm)");
  value("--max-step", "L", "Longest step of a smooth or sloping wall (default lambda_c / 40; a file: lambda / 40 at the top frequency)");
  value("--freq", "GHZ|RANGE", "Frequencies, GHz: a value, a list or START:STOP:STEP");
  if (pattern) {
    value("--theta", "RANGE", "Angles from the axis, degrees, 0 to 90 (default 0:90:0.5)");
    value("--plot", "FILE.svg", "Also draw the co-polar cuts and the 45 degree cross-polar cut into an SVG file");
  } else {
    value("--levels", "DB,...", "Beamwidth levels, dB (default 3,10)");
    value("--plot", "FILE.svg", "Also draw the return loss and the peak cross-polar level against frequency into an SVG file");
    value("--touchstone", "FILE.s1p", "Also write S11 over the sweep as Touchstone 1.1");
  }
  value("--edge-angle", "DEG", "Reflector edge half-angle, between 0 and 90 degrees");
  value("--f-over-d", "X", "Reflector f/D, above 0.25, instead of --edge-angle");
  value("--aperture", "matched|diagonal", "Aperture termination (default matched: no reflection from the aperture)");
  value("--modes", "N", "Modes of each kind in the widest section (default: the converged limit)");
  value("--mode-rule", "radius|fixed", "radius (default): one cut-off limit; fixed: N modes in every section");
  value("--jobs", "N", "Threads for the sweep (default: every core)");
  value("--unit", "mm|cm|in|m", "Unit of every length (default mm)");
  value("--format", "table|csv|json", "Output format (default table)");
  app.add_option("-o,--output", v["--output"], "Write the output to FILE instead of standard output (-: standard output)")
      ->type_name("FILE");
  bool convergence = false;
  bool quiet = false;
  if (!pattern) app.add_flag("--convergence", convergence, "Solve again at 1.5 times the mode limit and report the change");
  app.add_flag("--quiet", quiet, "Do not print warnings");
  std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    *help = app.help();
    return std::nullopt;
  } catch (const CLI::ParseError& error) {
    refuse(error.what());
  }
  const auto given = [&](const std::string& name) -> std::optional<std::string> {
    const auto it = v.find(name);
    if (it == v.end() || it->second.empty()) return std::nullopt;
    return it->second;
  };
  ModesRequest r;
  r.pattern = pattern;
  if (const auto unit = given("--unit")) {
    const auto named = unit_named(*unit);
    if (!named) refuse(fmt::format("--unit must be mm, cm, in or m, got {}", *unit));
    r.common.unit = *named;
  }
  if (const auto format = given("--format")) {
    const auto named = format_named(*format);
    if (!named) refuse(fmt::format("--format must be table, csv or json, got {}", *format));
    r.common.format = *named;
  }
  r.common.output = given("--output");
  if (r.common.output == "-") r.common.output.reset();
  r.common.quiet = quiet;
  const auto freq = given("--freq");
  if (!freq) refuse("--freq is required");
  r.frequency_ghz = sequence_of("--freq", *freq);
  double lowest = r.frequency_ghz.at(0);
  double highest = lowest;
  for (std::size_t i = 0; i < r.frequency_ghz.size(); ++i) {
    lowest = std::min(lowest, r.frequency_ghz.at(i));
    highest = std::max(highest, r.frequency_ghz.at(i));
  }
  const Unit unit = r.common.unit;
  const auto length = [&](const std::string& option) -> std::optional<double> {
    const auto text = given(option);
    if (!text) return std::nullopt;
    return metres_from(unit, number_of(option, *text));
  };
  const auto path = given("--profile");
  const auto radius = given("--radius");
  const auto slant = given("--slant");
  static const char* const kRuleOptions[] = {"--band", "--input-radius", "--input-length", "--law", "--length",
                                             "--law-a", "--law-rho", "--pitch", "--slot-ratio", "--converter-slots",
                                             "--converter-depth", "--min-ridge", "--min-slot"};
  if (path && (radius || slant)) refuse(fmt::format("--profile and --radius exclude each other, got {} and {}", *path, radius.value_or(*slant)));
  if (path) {
    for (const char* option : kRuleOptions) {
      if (const auto text = given(option)) refuse(fmt::format("{} does not apply to a profile read from a file, got {}", option, *text));
    }
    r.profile_path = *path;
    const double step = length("--max-step").value_or(profile::kSpeedOfLight / hertz_from_gigahertz(highest) / 40.0);
    r.profile = read_profile_file(*path, unit, step);
  } else if (radius || slant) {
    if (!radius || !slant) refuse("a generated profile needs both --radius and --slant");
    r.aperture = {*length("--radius"), *length("--slant")};
    if (const auto band = given("--band")) {
      r.band_ghz = sequence_of("--band", *band);
      if (r.band_ghz.is_range() || r.band_ghz.size() != 2) refuse(fmt::format("--band must be two frequencies FMIN,FMAX, got {}", *band));
    } else {
      r.band_ghz = sequence_of("--band", highest > lowest ? fmt::format("{},{}", shortest(lowest), shortest(highest)) : shortest(lowest));
    }
    r.band = {hertz_from_gigahertz(r.band_ghz.at(0)), hertz_from_gigahertz(r.band_ghz.at(r.band_ghz.size() - 1))};
    profile::Rules& rules = r.rules;
    rules.input_radius = length("--input-radius");
    rules.input_length = length("--input-length");
    if (const auto law = given("--law")) {
      const auto named = profile::parse_law(*law);
      if (!named) refuse(fmt::format("--law must be linear, sine, tangential, power, exponential, hyperbolic or polynomial, got {}", *law));
      rules.law = *named;
    }
    rules.flare_length = length("--length");
    if (const auto a = given("--law-a")) rules.law_a = number_of("--law-a", *a);
    if (const auto rho = given("--law-rho")) rules.law_rho = number_of("--law-rho", *rho);
    rules.pitch = length("--pitch");
    if (const auto d = given("--slot-ratio")) rules.slot_ratio = number_of("--slot-ratio", *d);
    if (const auto n = given("--converter-slots")) {
      const double x = number_of("--converter-slots", *n);
      if (!(x >= 0.0 && x <= 1000.0 && x == std::floor(x))) refuse(fmt::format("--converter-slots must be a whole number from 0 to 1000, got {}", *n));
      rules.converter_slots = static_cast<int>(x);
    }
    if (const auto sigma = given("--converter-depth")) rules.converter_depth = number_of("--converter-depth", *sigma);
    rules.minimum_ridge = length("--min-ridge");
    rules.minimum_slot = length("--min-slot");
    rules.step_length = length("--max-step");
    r.profile = profile::generate(r.aperture, r.band, rules);
  } else {
    refuse("--model modes needs a horn: --profile FILE.csv, or --radius and --slant for the profile the rules generate");
  }
  if (pattern) {
    r.theta_deg = sequence_of("--theta", given("--theta").value_or("0:90:0.5"));
    for (std::size_t i = 0; i < r.theta_deg.size(); ++i) {
      if (!(r.theta_deg.at(i) >= 0.0 && r.theta_deg.at(i) <= 90.0)) {
        refuse(fmt::format("--theta must lie between 0 and 90 degrees under --model modes (aperture integration gives "
                           "the forward hemisphere), got {}", shortest(r.theta_deg.at(i))));
      }
    }
  }
  r.common.plot = given("--plot");
  if (r.common.plot && !(r.common.plot->size() > 4 && r.common.plot->ends_with(".svg"))) {
    refuse(fmt::format("--plot must name an .svg file, got {}", *r.common.plot));
  }
  r.levels_db = sequence_of("--levels", given("--levels").value_or("3,10"));
  for (std::size_t i = 0; i < r.levels_db.size(); ++i) {
    if (!(r.levels_db.at(i) > 0.0 && std::isfinite(r.levels_db.at(i)))) {
      refuse(fmt::format("--levels must be positive, got {}", shortest(r.levels_db.at(i))));
    }
  }
  const auto angle = given("--edge-angle");
  const auto fd = given("--f-over-d");
  if (angle && fd) refuse(fmt::format("--edge-angle and --f-over-d exclude each other, got {} and {}", *angle, *fd));
  if (angle) {
    const TypedNumber deg = parse_number(*angle);
    if (!(deg.value > 0.0 && deg.value < 90.0)) refuse(fmt::format("--edge-angle must lie between 0 and 90 degrees, got {}", *angle));
    r.edge = ReflectorEdge{deg, false};
  } else if (fd) {
    const TypedNumber ratio = parse_number(*fd);
    if (!(ratio.value > 0.25 && std::isfinite(ratio.value))) refuse(fmt::format("--f-over-d must be above 0.25, got {}", *fd));
    r.edge = ReflectorEdge{ratio, true};
  }
  if (const auto ap = given("--aperture")) {
    if (*ap == "matched") r.options.aperture = modes::Termination::matched;
    else if (*ap == "diagonal") r.options.aperture = modes::Termination::diagonal;
    else refuse(fmt::format("--aperture must be matched or diagonal, got {}", *ap));
  }
  if (const auto rule = given("--mode-rule")) {
    if (*rule == "radius") r.options.rule = modes::ModeRule::radius;
    else if (*rule == "fixed") r.options.rule = modes::ModeRule::fixed;
    else refuse(fmt::format("--mode-rule must be radius or fixed, got {}", *rule));
  }
  const auto whole = [&](const std::string& option, const std::string& text, int least) {
    const double x = number_of(option, text);
    if (!(x >= least && x <= 100000.0 && x == std::floor(x))) {
      refuse(fmt::format("{} must be a whole number from {}, got {}", option, least, text));
    }
    return static_cast<int>(x);
  };
  if (const auto n = given("--modes")) r.options.modes = whole("--modes", *n, 1);
  if (const auto n = given("--jobs")) r.jobs = static_cast<unsigned>(whole("--jobs", *n, 1));
  r.options.convergence = convergence;
  r.touchstone = given("--touchstone");
  // Two of the files on one path would replace each other: the rows or the plot would be lost.
  const auto same_file = [](const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::absolute(a, error).lexically_normal() == std::filesystem::absolute(b, error).lexically_normal()) return true;
    return std::filesystem::equivalent(a, b, error);
  };
  const std::pair<const char*, const std::optional<std::string>*> files[] = {
      {"--output", &r.common.output}, {"--plot", &r.common.plot}, {"--touchstone", &r.touchstone}};
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = i + 1; j < 3; ++j) {
      if (*files[i].second && *files[j].second && same_file(**files[i].second, **files[j].second)) {
        refuse(fmt::format("{} and {} must name different files, got {} twice", files[i].first, files[j].first, **files[j].second));
      }
    }
  }
  return r;
}

ReportHead head_of(const ModesRequest& r, const modes::Solver& solver) {
  const Unit unit = r.common.unit;
  ReportHead head;
  head.command = "analyse";
  head.unit = std::string(unit_name(unit));
  head.model = "modes";
  head.phase = "as built";
  head.inputs.push_back(number_input("frequency_ghz", "frequency", "GHz", r.frequency_ghz));
  head.inputs.push_back(number_input("levels_db", "levels", "dB", r.levels_db));
  add_edge_input(head, r.edge);
  if (r.profile.parameters) {
    const profile::Parameters& p = *r.profile.parameters;
    const auto mm = [&](double metres) { return fmt::format("{:.3f} {}", length_from_metres(unit, metres), unit_name(unit)); };
    head.inputs.push_back(number_input("band_ghz", "band", "GHz", r.band_ghz));
    head.summary.push_back(Summary{"profile", fmt::format("generated by the rules for radius {}, slant length {}, band {:.3f} to {:.3f} GHz",
                                                          mm(p.aperture_radius), mm(p.slant), p.band.f_min / 1e9, p.band.f_max / 1e9)});
    head.summary.push_back(Summary{"rules", fmt::format("f_c {:.3f} GHz, f_o {:.3f} GHz; {} flare; {} slots at pitch {}, {} of them the converter; "
                                                        "depth {} at the throat to {} at the aperture; {} long",
                                                        p.f_c / 1e9, p.f_o / 1e9, profile::law_name(p.law), p.slot_count, mm(p.pitch),
                                                        p.converter_slots, r.profile.slots.empty() ? mm(0.0) : mm(r.profile.slots.front().depth()),
                                                        r.profile.slots.empty() ? mm(0.0) : mm(r.profile.slots.back().depth()), mm(p.total_length))});
    head.summary.push_back(Summary{"sections", fmt::format("{} ({} junctions after merging equal radii)", r.profile.sections.size(), solver.junctions())});
  } else {
    head.summary.push_back(Summary{"profile", fmt::format("read from {} ({} junctions after merging equal radii)", r.profile_path, solver.junctions())});
  }
  // A file's radii as typed; a generated profile's computed ones to a micrometre.
  const auto radius_text = [&](double metres) {
    const double shown = length_from_metres(unit, metres);
    return r.profile.parameters ? fmt::format("{:.3f} {}", shown, unit_name(unit)) : fmt::format("{} {}", shortest(shown), unit_name(unit));
  };
  head.summary.push_back(Summary{"input radius", radius_text(solver.input_radius())});
  head.summary.push_back(Summary{"aperture radius", radius_text(solver.aperture_radius())});
  head.summary.push_back(Summary{"aperture", r.options.aperture == modes::Termination::matched
                                                 ? "matched guide (no reflection from the aperture)"
                                                 : "diagonal (each mode's own free-space reflection)"});
  head.summary.push_back(Summary{"mode rule", fmt::format("{}, {} modes of each kind in the widest section",
                                                           r.options.rule == modes::ModeRule::radius ? "common cut-off" : "fixed count",
                                                           solver.modes())});
  head.summary.push_back(Summary{"losses", "perfect conductor; far field over the forward hemisphere"});
  head.columns = {Column{"frequency_ghz", "frequency (GHz)", kShortest}, Column{"return_loss_db", "RL (dB)", kDecibels},
                  Column{"s11_re", "S11 re", kParts}, Column{"s11_im", "S11 im", kParts},
                  Column{"s11_phase_deg", "S11 phase (deg)", 2}, Column{"directivity_dbi", "directivity (dBi)", kDecibels},
                  Column{"gain_dbi", "gain (dBi)", kDecibels}};
  for (std::size_t i = 0; i < r.levels_db.size(); ++i) {
    const std::string l = shortest(r.levels_db.at(i));
    for (const char* plane : {"e", "h", "45"}) {
      head.columns.push_back(Column{fmt::format("bw{}_{}_deg", l, plane), fmt::format("bw{} {} (deg)", l, plane), kAngles});
    }
  }
  head.columns.push_back(Column{"xpol_peak_db", "xpol peak (dB)", kDecibels});
  if (r.edge) {
    head.columns.push_back(Column{"edge_taper_db", "edge taper (dB)", kDecibels});
    head.columns.push_back(Column{"spillover_efficiency", "spillover eff.", kFractions});
    head.columns.push_back(Column{"taper_efficiency", "taper eff.", kFractions});
    head.columns.push_back(Column{"feed_efficiency", "feed eff.", kFractions});
    head.columns.push_back(Column{"polarisation_efficiency", "pol. eff.", kFractions});
    head.columns.push_back(length_column("phase_centre", "phase centre 45", unit));
    head.columns.push_back(length_column("phase_centre_e", "phase centre E", unit));
    head.columns.push_back(length_column("phase_centre_h", "phase centre H", unit));
  }
  for (const char* m : {"p_te11", "p_tm11", "p_te12", "p_tm12"}) head.columns.push_back(Column{m, m, kFractions});
  head.columns.push_back(Column{"modes", "modes", kShortest});
  if (r.options.convergence) {
    head.columns.push_back(Column{"delta_s11", "delta S11", kParts});
    head.columns.push_back(Column{"delta_copol_db", "delta co (dB)", kDecibels});
  }
  return head;
}

void solution_warnings(const modes::Solution& s, Warnings& warnings);

// The 45 degree cross-polar peak within the 10 dB beamwidth, and within the edge angle when given.
double xpol_peak(const ModesRequest& r, const modes::Solution& s) {
  std::optional<double> cone;
  if (r.edge) {
    const modes::Beamwidth b10 = s.beamwidth(modes::Plane::d45, 10.0);
    cone = std::min(b10.width ? *b10.width / 2.0 : std::numbers::pi / 2.0, r.edge->half_angle_rad());
  }
  return s.xpol_peak_db(cone);
}

Row row_of(const ModesRequest& r, const modes::Solution& s, Warnings& warnings) {
  solution_warnings(s, warnings);
  const std::string where = fmt::format("at {} GHz", shortest(s.frequency / 1e9));
  Row row{{Cell::of(s.frequency / 1e9), Cell::of(s.return_loss_db), Cell::of(s.s11.real()), Cell::of(s.s11.imag()),
           Cell::of(std::arg(s.s11) / kDegree), Cell::of(s.directivity_dbi()), Cell::of(s.gain_dbi())}};
  for (std::size_t i = 0; i < r.levels_db.size(); ++i) {
    for (const auto plane : {modes::Plane::e, modes::Plane::h, modes::Plane::d45}) {
      const modes::Beamwidth b = s.beamwidth(plane, r.levels_db.at(i));
      if (!b.width) {
        warnings.note(fmt::format("not-reached-{}", r.levels_db.at(i)),
                      fmt::format("the {} dB level is not reached within 90 deg {}", shortest(r.levels_db.at(i)), where));
      }
      row.cells.push_back(b.width ? Cell::of(*b.width / kDegree) : Cell{});
    }
  }
  row.cells.push_back(Cell::of(xpol_peak(r, s)));
  if (r.edge) {
    const double edge = r.edge->half_angle_rad();
    const modes::FeedMetrics m = s.feed_metrics(edge);
    row.cells.push_back(Cell::of(m.edge_taper_db));
    row.cells.push_back(Cell::of(m.spillover_efficiency));
    row.cells.push_back(Cell::of(m.taper_efficiency));
    row.cells.push_back(Cell::of(m.feed_efficiency));
    row.cells.push_back(Cell::of(m.polarisation_efficiency));
    for (const auto plane : {modes::Plane::d45, modes::Plane::e, modes::Plane::h}) {
      const modes::PhaseCentre pc = s.phase_centre(plane, edge);
      if (!pc.distance) warnings.note("phase-centre", fmt::format("a phase centre {} is undefined: the pattern has a null within the edge angle", where));
      // The column is a length: metres become the run's unit here, where the row is written.
      row.cells.push_back(pc.distance ? Cell::of(length_from_metres(r.common.unit, *pc.distance)) : Cell{});
    }
  }
  row.cells.push_back(Cell::of(s.aperture_power(modes::Kind::te, 1)));
  row.cells.push_back(Cell::of(s.aperture_power(modes::Kind::tm, 1)));
  row.cells.push_back(Cell::of(s.aperture_power(modes::Kind::te, 2)));
  row.cells.push_back(Cell::of(s.aperture_power(modes::Kind::tm, 2)));
  row.cells.push_back(Cell::of(s.modes));
  if (s.convergence) {
    row.cells.push_back(Cell::of(s.convergence->delta_s11));
    row.cells.push_back(Cell::of(s.convergence->delta_copol_db));
  }
  // JSON nests the horn's mode content: every propagating mode reflected at the input and
  // transmitted into the aperture, its power and power-normalised amplitude.
  for (const auto& [key, content] : {std::pair{"reflected_modes", &s.reflected}, std::pair{"transmitted_modes", &s.transmitted}}) {
    Nested nested{key, {}};
    for (const modes::ModePower& m : *content) {
      if (!m.mode.propagating) continue;
      nested.objects.push_back({{"mode", Cell::of_text(fmt::format("{}1{}", m.mode.kind == modes::Kind::te ? "TE" : "TM", m.mode.order))},
                                {"power", Cell::of(m.power)},
                                {"amplitude_re", Cell::of(m.amplitude.real())},
                                {"amplitude_im", Cell::of(m.amplitude.imag())}});
    }
    row.nested.push_back(std::move(nested));
  }
  if (s.warnings.not_converged) {
    warnings.note("modes-convergence", fmt::format("the mode limit did not converge {}: S11 changed by {:.4f}, the co-polar cuts by {:.3f} dB at 1.5 times the limit",
                                                   where, s.convergence->delta_s11, s.convergence->delta_copol_db));
  }
  return row;
}

std::string touchstone_of(const std::vector<modes::Solution>& sweep, const modes::Solver& solver) {
  std::string t = "! zavolt-horn analyse --model modes: S11 of TE11 at the input port of the horn\n";
  t += fmt::format("! reference: the TE11 wave impedance of the input guide (radius {} m), power-normalised; "
                   "the 50 below is nominal\n", shortest(solver.input_radius()));
  t += "# GHz S RI R 50\n";
  for (const auto& s : sweep) t += fmt::format("{} {} {}\n", shortest(s.frequency / 1e9), shortest(s.s11.real()), shortest(s.s11.imag()));
  return t;
}

ReportHead pattern_head_of(const ModesRequest& r, const modes::Solver& solver) {
  ReportHead head = head_of(r, solver);
  head.command = "pattern";
  head.inputs = {number_input("frequency_ghz", "frequency", "GHz", r.frequency_ghz),
                 number_input("theta_deg", "theta", "deg", r.theta_deg)};
  if (r.profile.parameters) head.inputs.push_back(number_input("band_ghz", "band", "GHz", r.band_ghz));
  add_edge_input(head, r.edge);
  head.columns = {Column{"frequency_ghz", "frequency (GHz)", kShortest}, Column{"theta_deg", "theta (deg)", kShortest},
                  Column{"plane", "plane", kShortest},          Column{"polarisation", "polarisation", kShortest},
                  Column{"level_db", "level (dB)", kDecibels},   Column{"phase_deg", "phase (deg)", 2}};
  return head;
}

// The cuts of one frequency: E, H and 45 degree co-polar, then the 45 degree cross-polar (zero in
// the E and H planes by symmetry, so not written), levels and phases relative to co(0).
void pattern_rows(const ModesRequest& r, const modes::Solution& s, RowWriter& writer, std::vector<Curve>* curves) {
  constexpr std::size_t kBlock = 4096;
  const double ghz = s.frequency / 1e9;
  struct Cut {
    const char* plane;
    const char* polarisation;
  };
  constexpr Cut kCuts[] = {{"E", "co"}, {"H", "co"}, {"45", "co"}, {"45", "cross"}};
  std::vector<double> thetas;
  for (std::size_t c = 0; c < 4; ++c) {
    Curve* curve = nullptr;
    if (curves) {
      curves->push_back(Curve{fmt::format("{} {} {} GHz", kCuts[c].plane, kCuts[c].polarisation, shortest(ghz)), {}, {}});
      curve = &curves->back();
    }
    for (std::size_t from = 0; from < r.theta_deg.size(); from += kBlock) {
      const std::size_t to = std::min(r.theta_deg.size(), from + kBlock);
      thetas.clear();
      for (std::size_t i = from; i < to; ++i) thetas.push_back(r.theta_deg.at(i) * kDegree);
      const std::vector<modes::CutPoint> points = s.cuts(thetas);
      for (std::size_t i = from; i < to; ++i) {
        const modes::CutPoint& p = points[i - from];
        const std::complex<double> v = c == 0 ? p.e_plane : c == 1 ? p.h_plane : c == 2 ? p.co45 : p.cross45;
        const double level = 20.0 * std::log10(std::abs(v));
        // An exact null (the cross-polar field on the axis) has no level: an empty cell, as elsewhere.
        const double phase = std::abs(v) == 0.0 ? 0.0 : std::arg(v) / kDegree;
        writer.row(Row{{Cell::of(ghz), Cell::of(r.theta_deg.at(i)), Cell::of_text(kCuts[c].plane),
                        Cell::of_text(kCuts[c].polarisation), std::isfinite(level) ? Cell::of(level) : Cell{},
                        Cell::of(phase)}});
        if (curve && std::isfinite(level)) {
          curve->x.push_back(r.theta_deg.at(i));
          curve->y.push_back(level);
        }
      }
    }
  }
}

// What the rules found doubtful in a generated profile, as the profile command words it briefly.
void profile_warnings(const ModesRequest& r, Warnings& warnings) {
  const Unit unit = r.common.unit;
  const auto mm = [&](double metres) { return fmt::format("{:.3f} {}", length_from_metres(unit, metres), unit_name(unit)); };
  for (const profile::Warning& w : r.profile.warnings) {
    switch (w.kind) {
      case profile::WarningKind::slot_too_narrow:
        warnings.note("narrow-slot", fmt::format("slot {} is {} wide, below the narrowest slot that can be machined ({})", w.slot.value_or(0), mm(w.value), mm(w.limit)));
        break;
      case profile::WarningKind::ridge_too_thin:
        warnings.note("thin-ridge", fmt::format("the ridge of slot {} is {} wide, below the thinnest ridge that can be machined ({})", w.slot.value_or(0), mm(w.value), mm(w.limit)));
        break;
      case profile::WarningKind::pitch_too_coarse:
        warnings.note("pitch", fmt::format("the pitch {} is not below lambda / 3 at the band's top ({})", mm(w.value), mm(w.limit)));
        break;
      case profile::WarningKind::te11_cut_off:
        warnings.note("te11", fmt::format("the input radius cuts TE11 off at the band's bottom (k a = {:.3f}, cut-off {:.3f})", w.value, w.limit));
        break;
      case profile::WarningKind::tm11_propagates:
        warnings.note("tm11", fmt::format("the input radius lets TM11 propagate at the band's top (k a = {:.3f}, cut-off {:.3f})", w.value, w.limit));
        break;
      case profile::WarningKind::not_the_design_cone:
        warnings.note("law", fmt::format("the flare of {} is not the design's cone: --slant does not describe this horn", mm(w.value)));
        break;
    }
  }
}

void solution_warnings(const modes::Solution& s, Warnings& warnings) {
  const std::string where = fmt::format("at {} GHz", shortest(s.frequency / 1e9));
  if (s.warnings.aperture_below_wavelength) {
    warnings.note("modes-aperture", fmt::format("the aperture radius is below one wavelength {}: the aperture's reflection, not modelled with --aperture matched, grows", where));
  }
  if (s.warnings.input_overmoded) {
    warnings.note("modes-overmoded", fmt::format("the input guide passes more than TE11 among the m = 1 modes {}", where));
  }
}

}  // namespace

bool modes_model_requested(std::span<const std::string> args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--model=modes" || (args[i] == "--model" && i + 1 < args.size() && args[i + 1] == "modes")) return true;
  }
  return false;
}

void run_modes(std::span<const std::string> args, const HornStreams& streams) {
  std::string help;
  const std::optional<ModesRequest> request = parse(args, &help);
  if (!request) {
    write_all(streams.output, help, "standard output");
    return;
  }
  const ModesRequest& r = *request;
  // Every file replaces its target only when the whole run succeeded.
  std::optional<AtomicFile> output_file;
  if (r.common.output) output_file.emplace(*r.common.output);
  std::optional<AtomicFile> plot_file;
  if (r.common.plot) plot_file.emplace(*r.common.plot);
  std::optional<AtomicFile> touchstone_file;
  if (r.touchstone) touchstone_file.emplace(*r.touchstone);
  const modes::Solver solver(r.profile, r.options);
  std::vector<double> hertz;
  for (std::size_t i = 0; i < r.frequency_ghz.size(); ++i) hertz.push_back(hertz_from_gigahertz(r.frequency_ghz.at(i)));
  std::vector<modes::Solution> sweep;
  {
    // On a terminal only, after a second, and erased before any row is written. The sweep calls
    // back one frequency at a time.
    Progress progress(streams.error, hertz.size());
    try {
      sweep = solver.sweep(hertz, r.jobs, [&](std::size_t) { progress.advance(); });
    } catch (const InvalidInput& refused) {
      // The library names the frequency in hertz; the user typed gigahertz.
      if (refused.quantity() != Quantity::frequency || std::string_view(refused.what()).find("TE11") == std::string_view::npos) throw;
      throw UsageError(fmt::format("TE11 is below cut-off in the input guide at {} GHz (--freq)",
                                   shortest(refused.value() / 1e9)));
    }
  }
  Output out(output_file ? output_file->fd() : streams.output, output_file ? *r.common.output : "standard output");
  const std::unique_ptr<RowWriter> writer = make_row_writer(r.common.format, out);
  Warnings warnings;
  profile_warnings(r, warnings);
  std::vector<Curve> curves;
  if (r.pattern) {
    writer->begin(pattern_head_of(r, solver));
    for (const auto& s : sweep) {
      solution_warnings(s, warnings);
      pattern_rows(r, s, *writer, r.common.plot ? &curves : nullptr);
    }
  } else {
    writer->begin(head_of(r, solver));
    for (const auto& s : sweep) writer->row(row_of(r, s, warnings));
  }
  writer->end(warnings.lines());
  out.flush();
  if (plot_file) {
    const std::string title = fmt::format("{}, mode matching", r.profile_path.empty() ? "generated profile" : r.profile_path);
    std::string svg;
    if (r.pattern) {
      const std::optional<double> edge = r.edge ? std::optional(r.edge->half_angle_deg()) : std::nullopt;
      svg = pattern_plot_svg(title, curves, edge);
    } else {
      Curve loss{"return loss", {}, {}};
      Curve xpol{"cross-polar peak", {}, {}};
      for (const auto& s : sweep) {
        loss.x.push_back(s.frequency / 1e9);
        loss.y.push_back(s.return_loss_db);
        xpol.x.push_back(s.frequency / 1e9);
        xpol.y.push_back(xpol_peak(r, s));
      }
      svg = two_panel_plot_svg(title, loss, "return loss (dB)", xpol, "45 deg cross-polar peak (dB)");
    }
    write_all(plot_file->fd(), svg, *r.common.plot);
  }
  if (touchstone_file) {
    write_all(touchstone_file->fd(), touchstone_of(sweep, solver), *r.touchstone);
  }
  if (output_file) output_file->commit();
  if (plot_file) plot_file->commit();
  if (touchstone_file) touchstone_file->commit();
  if (r.common.quiet) return;
  for (const std::string& line : warnings.lines()) {
    try {
      write_all(streams.error, fmt::format("{}: warning: {}\n", kProgram, line), "standard error");
    } catch (const WriteFailure&) {
    }
  }
}

}  // namespace zavolt::horn
