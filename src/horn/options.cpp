#include "horn/options.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <tuple>
#include <vector>

#include "horn/failure.hpp"

#ifndef ZAVOLT_VERSION
#error "ZAVOLT_VERSION must be defined by the build"
#endif

namespace zavolt::horn {

namespace {

constexpr std::string_view kProgram = "zavolt-horn";

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// An f/D at or below this puts the edge at or beyond 90 degrees.
constexpr double kLeastFOverD = 0.25;
constexpr double kRightAngleDeg = 90.0;
constexpr double kStraightAngleDeg = 180.0;
// Classic beamwidths are tabulated at these two levels only.
constexpr std::array<double, 2> kClassicLevels = {3.0, 10.0};

std::string version_text() { return fmt::format("{} {}\n", kProgram, ZAVOLT_VERSION); }

std::string overview_text() {
  return fmt::format(
      "{0}: design and analyse conical corrugated horns from the command line\n"
      "\n"
      "Usage: {0} COMMAND [OPTIONS]\n"
      "\n"
      "Commands:\n"
      "  design    aperture radius and slant length for a wanted gain or edge taper, over S\n"
      "  analyse   gain, beamwidths and feed metrics of a horn over frequency (alias: analyze)\n"
      "  pattern   the far-field pattern of a horn against theta\n"
      "  profile   the corrugated profile of the horn as built: slots, drawing, STEP and STL\n"
      "\n"
      "`{0} COMMAND --help` lists a command's options; `man {0}` says more.\n",
      kProgram);
}

[[noreturn]] void refuse(const std::string& message) { throw UsageError(message); }

// A CLI11 App whose options all keep their text, repeats included, so that the checks and their
// wording stay here: CLI11's own messages name no value and its exit codes are above 100.
class CommandLine {
public:
  CommandLine(const std::string& name, const std::string& description)
      : app_(description, fmt::format("{} {}", kProgram, name)) {
    app_.set_help_flag("-h,--help", "Print this help and exit");
    app_.set_version_flag("--version", version_text());
    app_.allow_extras();
    app_.get_formatter()->column_width(34);
  }

  void value(const std::string& name, const std::string& text, const std::string& help) {
    std::vector<std::string>& store = values_[name];
    app_.add_option(name, store, help)
        ->type_name(text)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  }

  void flag(const std::string& name, const std::string& help) { app_.add_flag(name, flags_[name], help); }

  // The help or version text when asked for; nullopt when the options were read.
  std::optional<TextRequest> parse(std::span<const std::string> args) {
    refuse_missing_values(args);
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 pops from the back
    try {
      app_.parse(reversed);
    } catch (const CLI::CallForHelp&) {
      return TextRequest{app_.help()};
    } catch (const CLI::CallForVersion&) {
      return TextRequest{version_text()};
    } catch (const CLI::ParseError& error) {
      refuse(error.what());
    }
    const std::vector<std::string> extras = app_.remaining();
    if (!extras.empty()) {
      const std::string& extra = extras.front();
      if (extra.size() > 1 && extra[0] == '-' && !is_number(extra)) refuse(fmt::format("unknown option {}", extra));
      refuse(fmt::format("unexpected argument {}", extra));
    }
    return std::nullopt;
  }

  // The option's text, nullopt when absent; given twice is refused.
  [[nodiscard]] std::optional<std::string> get(const std::string& name) const {
    const std::vector<std::string>& given = values_.at(name);
    if (given.empty()) return std::nullopt;
    if (given.size() > 1) refuse(fmt::format("{} must be given once, got {} and {}", name, given[0], given[1]));
    return given[0];
  }

  [[nodiscard]] std::string required(const std::string& name) const {
    auto text = get(name);
    if (!text) refuse(fmt::format("{} is required", name));
    return *text;
  }

  [[nodiscard]] bool flag_set(const std::string& name) const { return flags_.at(name); }

private:
  static bool is_number(const std::string& text) {
    try {
      (void)parse_number(text);
      return true;
    } catch (const ValueSyntax&) {
      return false;
    }
  }

  // "--radius" last, "--radius=", "--radius --freq 3" or "--quiet=no": CLI11 would report the
  // first two and the last in its own words and take "--freq" as the radius.
  void refuse_missing_values(std::span<const std::string> args) const {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& arg = args[i];
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      if (flags_.contains(name) && equals != std::string::npos) {
        refuse(fmt::format("{} takes no value, got {}", name, arg.substr(equals + 1)));
      }
      if (!values_.contains(name)) continue;
      const bool empty_after_equals = equals != std::string::npos && equals + 1 == arg.size();
      const bool nothing_follows = equals == std::string::npos && i + 1 == args.size();
      const bool option_follows = equals == std::string::npos && i + 1 < args.size() && is_option(args[i + 1]);
      if (empty_after_equals || nothing_follows || option_follows) refuse(fmt::format("{} needs a value", name));
    }
  }

  [[nodiscard]] bool is_option(const std::string& arg) const {
    const std::string name = arg.substr(0, arg.find('='));
    return values_.contains(name) || flags_.contains(name) || name == "--help" || name == "-h" ||
           name == "--version";
  }

  CLI::App app_;
  std::map<std::string, std::vector<std::string>> values_;  // a map: CLI11 keeps pointers into it
  std::map<std::string, bool> flags_;
};

// `plots`: whether the command draws anything; --plot is known to design only to be refused in
// words that say why.
void add_common_options(CommandLine& line, bool plots = true) {
  line.value("--unit", "mm|cm|in|m", "Unit of every length, typed and shown (default mm)");
  line.value("--format", "table|csv|json", "Output format (default table)");
  line.value("--output", "FILE", "Write the output to FILE instead of standard output");
  line.value("--plot", "FILE.svg", plots ? "Also draw the result into an SVG file" : "Not for design: nothing to plot");
  line.flag("--quiet", "Do not print warnings");
}

void add_model_options(CommandLine& line) {
  line.value("--model", "aperture|classic", "aperture (default): the aperture model; classic: the dialogue's numbers");
  line.value("--phase", "spherical|quadratic", "Phase front across the aperture (default spherical)");
}

void add_horn_options(CommandLine& line) {
  line.value("--radius", "A", "Aperture radius");
  line.value("--slant", "L", "Slant length, apex to rim (inf: a flat phase front)");
}

void add_edge_options(CommandLine& line) {
  line.value("--edge-angle", "DEG", "Reflector edge half-angle, between 0 and 90 degrees");
  line.value("--f-over-d", "X", "Reflector f/D, above 0.25, instead of --edge-angle");
}

// ---------------------------------------------------------------------------------------------
// Values and their checks.

TypedNumber one_number(const std::string& option, const std::string& text) {
  try {
    return parse_number(text);
  } catch (const ValueSyntax& syntax) {
    const bool looks_like_many = text.find_first_of(",:") != std::string::npos;
    refuse(fmt::format("{} {}, got {}", option, looks_like_many ? "must be one number" : syntax.what(), text));
  }
}

ValueSequence numbers(const std::string& option, const std::string& text) {
  try {
    return parse_values(text);
  } catch (const ValueSyntax& syntax) {
    refuse(fmt::format("{} {}, got {}", option, syntax.what(), text));
  }
}

// The text of point i as the user would recognise it.
std::string point_text(const ValueSequence& values, std::size_t i) {
  return values.is_range() ? shortest(values.at(i)) : values.numbers()[i].text;
}

// Calls `check(value, single, index)` on every point; a range is monotonic, so its two ends suffice.
template <typename Check>
void for_each_point(const ValueSequence& values, Check check) {
  if (values.size() == 0) return;
  if (values.is_range()) {
    check(values.at(0), values.single_at(0), 0);
    check(values.at(values.size() - 1), values.single_at(values.size() - 1), values.size() - 1);
    return;
  }
  for (std::size_t i = 0; i < values.size(); ++i) check(values.at(i), values.single_at(i), i);
}

// A size or frequency: positive and finite in the precision the model will compute in. An
// infinite slant length is a flat phase front and allowed where `infinity_allowed`.
void require_positive(const std::string& option, const std::string& text, double value, float single,
                      Model model, bool infinity_allowed = false) {
  const bool classic = model == Model::Classic;
  if (std::isnan(value)) refuse(fmt::format("{} must be a number, got {}", option, text));
  if (value == kInfinity && infinity_allowed) return;
  if (std::isinf(value) || (classic && std::isinf(single))) refuse(fmt::format("{} must be finite, got {}", option, text));
  if (!(value > 0.0) || (classic && !(single > 0.0f))) refuse(fmt::format("{} must be positive, got {}", option, text));
}

void require_positive_points(const std::string& option, const ValueSequence& values, Model model) {
  for_each_point(values, [&](double value, float single, std::size_t i) {
    require_positive(option, point_text(values, i), value, single, model);
  });
}

// A length converted to what the model computes with, so that a value that rounds to zero in
// binary32 inches is caught as well.
void require_positive_length(const std::string& option, const TypedNumber& length, Unit unit, Model model,
                             bool infinity_allowed = false) {
  const double metres = metres_from(unit, length.value);
  const float inches = inches_from(unit, length);
  require_positive(option, length.text, model == Model::Classic ? static_cast<double>(inches) : metres, inches,
                   model, infinity_allowed);
}

Model model_from(const CommandLine& line) {
  const auto text = line.get("--model");
  if (!text || *text == "aperture") return Model::Aperture;
  if (*text == "classic") return Model::Classic;
  refuse(fmt::format("--model must be aperture or classic, got {}", *text));
}

Phase phase_from(const CommandLine& line, Model model) {
  const auto text = line.get("--phase");
  if (text && model == Model::Classic) refuse(fmt::format("--phase does not apply to --model classic, got {}", *text));
  if (model == Model::Classic) return Phase::Quadratic;  // the classic routines' own phase
  if (!text || *text == "spherical") return Phase::Spherical;
  if (*text == "quadratic") return Phase::Quadratic;
  refuse(fmt::format("--phase must be spherical or quadratic, got {}", *text));
}

CommonOptions common_from(const CommandLine& line) {
  CommonOptions common;
  if (const auto unit = line.get("--unit")) {
    const auto named = unit_named(*unit);
    if (!named) refuse(fmt::format("--unit must be mm, cm, in or m, got {}", *unit));
    common.unit = *named;
  }
  if (const auto format = line.get("--format")) {
    const auto named = format_named(*format);
    if (!named) refuse(fmt::format("--format must be table, csv or json, got {}", *format));
    common.format = *named;
  }
  common.output = line.get("--output");
  common.plot = line.get("--plot");
  if (common.plot && !(common.plot->size() > 4 && common.plot->ends_with(".svg"))) {
    refuse(fmt::format("--plot must name an .svg file, got {}", *common.plot));
  }
  common.quiet = line.flag_set("--quiet");
  return common;
}

std::optional<ReflectorEdge> edge_from(const CommandLine& line) {
  const auto angle = line.get("--edge-angle");
  const auto f_over_d = line.get("--f-over-d");
  if (angle && f_over_d) {
    refuse(fmt::format("--edge-angle and --f-over-d exclude each other, got {} and {}", *angle, *f_over_d));
  }
  if (angle) {
    const TypedNumber degrees = one_number("--edge-angle", *angle);
    if (!(degrees.value > 0.0 && degrees.value < kRightAngleDeg)) {
      refuse(fmt::format("--edge-angle must lie between 0 and 90 degrees, got {}", *angle));
    }
    return ReflectorEdge{degrees, false};
  }
  if (f_over_d) {
    const TypedNumber ratio = one_number("--f-over-d", *f_over_d);
    if (!(ratio.value > kLeastFOverD)) refuse(fmt::format("--f-over-d must be above 0.25, got {}", *f_over_d));
    if (std::isinf(ratio.value)) refuse(fmt::format("--f-over-d must be finite, got {}", *f_over_d));
    return ReflectorEdge{ratio, true};
  }
  return std::nullopt;
}

void refuse_for_classic(const CommandLine& line, const std::string& option) {
  if (const auto text = line.get(option)) refuse(fmt::format("{} does not apply to --model classic, got {}", option, *text));
}

// Under the spherical phase the slant length is the hypotenuse from the apex to the rim.
void require_slant_beyond_radius(const TypedNumber& radius, const TypedNumber& slant, Unit unit, Phase phase) {
  if (phase != Phase::Spherical) return;
  if (metres_from(unit, slant.value) > metres_from(unit, radius.value)) return;
  refuse(fmt::format("--slant must be longer than --radius ({} {}) under the spherical phase, got {} {}",
                     radius.text, unit_name(unit), slant.text, unit_name(unit)));
}

// --radius and --slant: positive lengths, the slant beyond the radius under the spherical phase.
void read_horn(const CommandLine& line, Unit unit, Model model, Phase phase, TypedNumber& radius,
               TypedNumber& slant) {
  radius = one_number("--radius", line.required("--radius"));
  slant = one_number("--slant", line.required("--slant"));
  require_positive_length("--radius", radius, unit, model);
  require_positive_length("--slant", slant, unit, model, true);
  require_slant_beyond_radius(radius, slant, unit, phase);
}

// ---------------------------------------------------------------------------------------------
// The commands.

Request design_request(std::span<const std::string> args) {
  CommandLine line("design", "Design a horn: aperture radius and slant length over a sweep of S");
  line.value("--gain", "DBI", "Wanted gain (directivity), dBi");
  line.value("--edge-taper", "DB", "Wanted edge taper at the reflector's edge, dB (aperture model)");
  add_edge_options(line);
  line.value("--freq", "GHZ", "Frequency, GHz");
  line.value("--s", "S|RANGE", "Maximum aperture phase deviation S, wavelengths: a value, a list or START:STOP:STEP");
  add_model_options(line);
  add_common_options(line, false);
  if (auto text = line.parse(args)) return *text;

  DesignRequest request;
  request.common = common_from(line);
  if (request.common.plot) refuse(fmt::format("--plot does not apply to design, got {}", *request.common.plot));
  request.model = model_from(line);
  request.phase = phase_from(line, request.model);
  const auto gain = line.get("--gain");
  const auto taper = line.get("--edge-taper");
  if (gain && taper) refuse(fmt::format("--gain and --edge-taper exclude each other, got {} and {}", *gain, *taper));
  if (!gain && !taper) refuse("design needs --gain or --edge-taper");
  if (gain) {
    for (const std::string option : {"--edge-angle", "--f-over-d"}) {
      if (const auto text = line.get(option)) {
        refuse(fmt::format("{} does not apply to a design to --gain, got {}", option, *text));
      }
    }
    request.gain_dbi = one_number("--gain", *gain);
    if (!std::isfinite(request.gain_dbi->value)) refuse(fmt::format("--gain must be finite, got {}", *gain));
  } else {
    if (request.model == Model::Classic) refuse(fmt::format("--edge-taper does not apply to --model classic, got {}", *taper));
    request.edge_taper_db = one_number("--edge-taper", *taper);
    require_positive("--edge-taper", *taper, request.edge_taper_db->value, request.edge_taper_db->single, request.model);
    request.edge = edge_from(line);
    if (!request.edge) refuse("--edge-taper needs --edge-angle or --f-over-d");
  }
  const std::string frequency = line.required("--freq");
  request.frequency_ghz = one_number("--freq", frequency);
  require_positive("--freq", frequency, request.frequency_ghz.value, request.frequency_ghz.single, request.model);
  request.s = numbers("--s", line.required("--s"));
  for_each_point(request.s, [&](double value, float single, std::size_t i) {
    const std::string text = point_text(request.s, i);
    if (!std::isfinite(value)) refuse(fmt::format("--s must be finite, got {}", text));
    if (value < 0.0 || single < 0.0f) refuse(fmt::format("--s must be zero or positive, got {}", text));
  });
  return request;
}

Request analyse_request(std::span<const std::string> args) {
  CommandLine line("analyse", "Analyse a horn over frequency: gain, beamwidths and feed metrics");
  add_horn_options(line);
  line.value("--freq", "GHZ|RANGE", "Frequencies, GHz: a value, a list or START:STOP:STEP");
  line.value("--levels", "DB,...", "Beamwidth levels, dB, in the order wanted (default 3,10)");
  add_edge_options(line);
  add_model_options(line);
  add_common_options(line);
  if (auto text = line.parse(args)) return *text;

  AnalyseRequest request;
  request.common = common_from(line);
  request.model = model_from(line);
  request.phase = phase_from(line, request.model);
  read_horn(line, request.common.unit, request.model, request.phase, request.radius, request.slant);
  request.frequency_ghz = numbers("--freq", line.required("--freq"));
  require_positive_points("--freq", request.frequency_ghz, request.model);
  request.levels_db = numbers("--levels", line.get("--levels").value_or("3,10"));
  std::vector<double> seen;
  for (std::size_t i = 0; i < request.levels_db.size(); ++i) {
    const double level = request.levels_db.at(i);
    const std::string text = point_text(request.levels_db, i);
    require_positive("--levels", text, level, request.levels_db.single_at(i), Model::Aperture);
    if (std::find(seen.begin(), seen.end(), level) != seen.end()) {
      refuse(fmt::format("--levels must not repeat a level, got {} twice", text));
    }
    if (request.model == Model::Classic &&
        std::find(kClassicLevels.begin(), kClassicLevels.end(), level) == kClassicLevels.end()) {
      refuse(fmt::format("--levels must be 3 or 10 under --model classic, got {}", text));
    }
    seen.push_back(level);
  }
  if (request.model == Model::Classic) {
    refuse_for_classic(line, "--edge-angle");
    refuse_for_classic(line, "--f-over-d");
  }
  request.edge = edge_from(line);
  return request;
}

Request pattern_request(std::span<const std::string> args) {
  CommandLine line("pattern", "The far-field pattern of a horn against theta, at one or more frequencies");
  add_horn_options(line);
  line.value("--freq", "GHZ[,GHZ...]", "Frequencies, GHz");
  line.value("--theta", "RANGE", "Angles from the axis, degrees, 0 to 180 (default 0:90:0.5)");
  add_edge_options(line);
  line.value("--phase", "spherical|quadratic", "Phase front across the aperture (default spherical)");
  add_common_options(line);
  if (auto text = line.parse(args)) return *text;

  PatternRequest request;
  request.common = common_from(line);
  request.phase = phase_from(line, Model::Aperture);
  read_horn(line, request.common.unit, Model::Aperture, request.phase, request.radius, request.slant);
  request.frequency_ghz = numbers("--freq", line.required("--freq"));
  require_positive_points("--freq", request.frequency_ghz, Model::Aperture);
  request.theta_deg = numbers("--theta", line.get("--theta").value_or("0:90:0.5"));
  for_each_point(request.theta_deg, [&](double value, float, std::size_t i) {
    if (!(value >= 0.0 && value <= kStraightAngleDeg)) {
      refuse(fmt::format("--theta must lie between 0 and 180 degrees, got {}", point_text(request.theta_deg, i)));
    }
  });
  request.edge = edge_from(line);
  return request;
}

// A length option in the run's unit, in metres; positive unless zero is allowed.
std::optional<double> length_option(const CommandLine& line, const std::string& option, Unit unit,
                                    bool zero_allowed = false) {
  const auto text = line.get(option);
  if (!text) return std::nullopt;
  const TypedNumber length = one_number(option, *text);
  if (zero_allowed && length.value == 0.0) return 0.0;
  require_positive_length(option, length, unit, Model::Aperture);
  return metres_from(unit, length.value);
}

std::optional<double> number_option(const CommandLine& line, const std::string& option) {
  const auto text = line.get(option);
  if (!text) return std::nullopt;
  const TypedNumber number = one_number(option, *text);
  if (!std::isfinite(number.value)) refuse(fmt::format("{} must be finite, got {}", option, *text));
  return number.value;
}

Request profile_request(std::span<const std::string> args) {
  CommandLine line("profile", "The corrugated profile of a horn by the design rules: slots, drawing, STEP and STL");
  add_horn_options(line);
  line.value("--gain", "DBI", "Design to this gain (directivity), dBi, instead of --radius and --slant");
  line.value("--edge-taper", "DB", "Design to this edge taper at --edge-angle or --f-over-d, dB");
  add_edge_options(line);
  line.value("--s", "S", "The design's maximum aperture phase deviation, wavelengths");
  line.value("--profile", "FILE.csv", "Read the horn's own profile instead: z_<unit>,radius_<unit> or length_<unit>,radius_<unit>");
  line.value("--band", "FMIN,FMAX", "The band's edges, GHz, at most 2.4:1");
  line.value("--freq", "GHZ", "A single frequency, GHz, instead of --band");
  line.value("--input-radius", "A", "Input guide radius (default 3 lambda_c / (2 pi))");
  line.value("--input-length", "L", "Input guide length (default lambda_c / 2)");
  line.value("--law", "NAME", "Flare: linear (default), sine, tangential, power, exponential, hyperbolic, polynomial");
  line.value("--length", "L", "Axial length of the flare (default the design's cone)");
  line.value("--law-a", "A", "The law's A, 0 to 1 (sine, tangential, power; default 1)");
  line.value("--law-rho", "RHO", "The law's rho (tangential, power, polynomial; default 2)");
  line.value("--pitch", "P", "Corrugation pitch (default lambda_c / 8)");
  line.value("--slot-ratio", "D", "Slot width over pitch, between 0 and 1 (default 0.8)");
  line.value("--converter-slots", "N", "Slots of the mode converter (default 5)");
  line.value("--converter-depth", "SIGMA", "The first converter slot's depth in lambda_c (default 0.42)");
  line.value("--min-ridge", "W", "Thinnest ridge that can be machined (default 0.2 mm)");
  line.value("--min-slot", "W", "Narrowest slot that can be machined (default 0.2 mm)");
  line.value("--max-step", "L", "Longest step of a smooth wall (default lambda_c / 40)");
  line.value("--sections", "FILE.csv", "Also write the staircase of sections as CSV");
  line.value("--step", "FILE.step", "Also write the horn's metal as a STEP (AP214) solid");
  line.value("--stl", "FILE.stl", "Also write the horn's metal as a binary STL mesh");
  line.value("--wall", "T", "Metal outside the slot bottoms and the input guide (default 2 mm)");
  line.value("--stl-tolerance", "T", "The STL's chordal deviation (default 0.01 mm)");
  add_common_options(line);
  if (auto text = line.parse(args)) return *text;

  ProfileRequest request;
  request.common = common_from(line);
  const Unit unit = request.common.unit;
  const auto radius = line.get("--radius");
  const auto slant = line.get("--slant");
  const auto gain = line.get("--gain");
  const auto taper = line.get("--edge-taper");
  request.profile_file = line.get("--profile");
  const int designs = (radius || slant ? 1 : 0) + (gain ? 1 : 0) + (taper ? 1 : 0) + (request.profile_file ? 1 : 0);
  if (designs != 1) {
    refuse("profile needs one horn: --radius and --slant, --gain and --s, --edge-taper and --s, or --profile FILE.csv");
  }
  if (request.profile_file) {
    for (const std::string option : {"--s", "--edge-angle", "--f-over-d", "--input-radius", "--input-length", "--law",
                                     "--length", "--law-a", "--law-rho", "--pitch", "--slot-ratio", "--converter-slots",
                                     "--converter-depth", "--min-ridge", "--min-slot"}) {
      if (const auto text = line.get(option)) refuse(fmt::format("{} does not apply to a profile read from a file, got {}", option, *text));
    }
  } else if (radius || slant) {
    request.radius.emplace();
    request.slant.emplace();
    read_horn(line, unit, Model::Aperture, Phase::Spherical, *request.radius, *request.slant);
    for (const std::string option : {"--s", "--edge-angle", "--f-over-d"}) {
      if (const auto text = line.get(option)) refuse(fmt::format("{} does not apply to a horn given by --radius, got {}", option, *text));
    }
  } else {
    if (gain) {
      request.gain_dbi = one_number("--gain", *gain);
      if (!std::isfinite(request.gain_dbi->value)) refuse(fmt::format("--gain must be finite, got {}", *gain));
      for (const std::string option : {"--edge-angle", "--f-over-d"}) {
        if (const auto text = line.get(option)) refuse(fmt::format("{} does not apply to a design to --gain, got {}", option, *text));
      }
    } else {
      request.edge_taper_db = one_number("--edge-taper", *taper);
      require_positive("--edge-taper", *taper, request.edge_taper_db->value, request.edge_taper_db->single, Model::Aperture);
      request.edge = edge_from(line);
      if (!request.edge) refuse("--edge-taper needs --edge-angle or --f-over-d");
    }
    const std::string s = line.required("--s");
    request.s = one_number("--s", s);
    if (!std::isfinite(request.s->value) || request.s->value < 0.0) refuse(fmt::format("--s must be zero or positive, got {}", s));
    if (request.s->value == 0.0 && !line.get("--length")) {
      refuse("--s 0 designs a horn without a cone: a profile needs --s above 0 or the flare's --length");
    }
  }

  const auto band = line.get("--band");
  const auto frequency = line.get("--freq");
  if (band && frequency) refuse(fmt::format("--band and --freq exclude each other, got {} and {}", *band, *frequency));
  if (!band && !frequency && !request.profile_file) refuse("profile needs --band FMIN,FMAX or --freq F");
  if (band) {
    request.band_ghz = numbers("--band", *band);
    if (request.band_ghz.is_range() || request.band_ghz.size() != 2) refuse(fmt::format("--band must be two frequencies FMIN,FMAX, got {}", *band));
    require_positive_points("--band", request.band_ghz, Model::Aperture);
    if (request.band_ghz.at(1) < request.band_ghz.at(0)) refuse(fmt::format("--band must run upwards, got {}", *band));
    if (request.band_ghz.at(1) / request.band_ghz.at(0) > 2.4) refuse(fmt::format("--band must be at most 2.4:1, got {}", *band));
  } else if (frequency) {
    request.band_ghz = ValueSequence::of(one_number("--freq", *frequency));
    require_positive("--freq", *frequency, request.band_ghz.at(0), request.band_ghz.single_at(0), Model::Aperture);
  }

  profile::Rules& rules = request.rules;
  rules.input_radius = length_option(line, "--input-radius", unit);
  rules.input_length = length_option(line, "--input-length", unit);
  if (const auto law = line.get("--law")) {
    const auto named = profile::parse_law(*law);
    if (!named) refuse(fmt::format("--law must be linear, sine, tangential, power, exponential, hyperbolic or polynomial, got {}", *law));
    rules.law = *named;
  }
  rules.flare_length = length_option(line, "--length", unit);
  rules.law_a = number_option(line, "--law-a");
  rules.law_rho = number_option(line, "--law-rho");
  rules.pitch = length_option(line, "--pitch", unit);
  rules.slot_ratio = number_option(line, "--slot-ratio");
  if (const auto count = line.get("--converter-slots")) {
    const TypedNumber n = one_number("--converter-slots", *count);
    if (!(n.value >= 0.0 && n.value <= 1000.0 && n.value == std::floor(n.value))) {
      refuse(fmt::format("--converter-slots must be a whole number from 0 to 1000, got {}", *count));
    }
    rules.converter_slots = static_cast<int>(n.value);
  }
  rules.converter_depth = number_option(line, "--converter-depth");
  rules.minimum_ridge = length_option(line, "--min-ridge", unit, true);
  rules.minimum_slot = length_option(line, "--min-slot", unit, true);
  rules.step_length = length_option(line, "--max-step", unit);
  request.wall_m = length_option(line, "--wall", unit).value_or(profile::kDefaultWall);
  request.stl_tolerance_m = length_option(line, "--stl-tolerance", unit).value_or(0.01e-3);

  request.sections = line.get("--sections");
  request.step = line.get("--step");
  request.stl = line.get("--stl");
  for (const auto& [option, path, suffix] : {std::tuple{"--sections", request.sections, ".csv"},
                                             std::tuple{"--step", request.step, ".step"},
                                             std::tuple{"--stl", request.stl, ".stl"}}) {
    if (path && !(path->size() > std::string_view(suffix).size() && path->ends_with(suffix))) {
      refuse(fmt::format("{} must name a {} file, got {}", option, suffix, *path));
    }
  }
  return request;
}

}  // namespace

std::string_view model_name(Model model) { return model == Model::Classic ? "classic" : "aperture"; }

std::string_view phase_name(Phase phase) { return phase == Phase::Quadratic ? "quadratic" : "spherical"; }

double ReflectorEdge::half_angle_rad() const {
  if (as_f_over_d) return 2.0 * std::atan(1.0 / (4.0 * given.value));
  return given.value * std::numbers::pi / kStraightAngleDeg;
}

double ReflectorEdge::half_angle_deg() const {
  return as_f_over_d ? half_angle_rad() * kStraightAngleDeg / std::numbers::pi : given.value;
}

Request parse_command_line(std::span<const std::string> args) {
  if (args.empty()) refuse("a command is required: design, analyse, pattern or profile");
  const std::string& command = args[0];
  const auto rest = args.subspan(1);
  if (command == "design") return design_request(rest);
  if (command == "analyse" || command == "analyze") return analyse_request(rest);
  if (command == "pattern") return pattern_request(rest);
  if (command == "profile") return profile_request(rest);
  if (command == "--help" || command == "-h") return TextRequest{overview_text()};
  if (command == "--version") return TextRequest{version_text()};
  if (command.starts_with("-")) refuse(fmt::format("a command must come first: design, analyse, pattern or profile, got {}", command));
  refuse(fmt::format("the command must be design, analyse, pattern or profile, got {}", command));
}

}  // namespace zavolt::horn
