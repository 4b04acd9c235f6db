// The command line of zavolt-horn: one CLI11 App per command, every value checked and every
// mistake worded here as one line naming the option and the value.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>

#include "horn/units.hpp"
#include "horn/values.hpp"
#include "horn/writers.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

enum class Model { Aperture, Classic };
enum class Phase { Spherical, Quadratic };

[[nodiscard]] std::string_view model_name(Model model);
[[nodiscard]] std::string_view phase_name(Phase phase);

struct CommonOptions {
  Unit unit = Unit::Millimetre;
  Format format = Format::Table;
  std::optional<std::string> output;  // standard output when absent
  std::optional<std::string> plot;    // an SVG file
  bool quiet = false;
};

// A reflector's edge half-angle, given directly or as f/D.
struct ReflectorEdge {
  TypedNumber given;
  bool as_f_over_d = false;

  // theta_e = 2 atan(1 / (4 f/D)) for an f/D.
  [[nodiscard]] double half_angle_deg() const;
  [[nodiscard]] double half_angle_rad() const;
};

struct DesignRequest {
  CommonOptions common;
  Model model = Model::Aperture;
  Phase phase = Phase::Spherical;
  std::optional<TypedNumber> gain_dbi;       // a design to gain, or
  std::optional<TypedNumber> edge_taper_db;  // a design to an edge taper at `edge`
  std::optional<ReflectorEdge> edge;
  TypedNumber frequency_ghz;
  ValueSequence s;
};

struct AnalyseRequest {
  CommonOptions common;
  Model model = Model::Aperture;
  Phase phase = Phase::Spherical;
  TypedNumber radius;  // in common.unit
  TypedNumber slant;   // in common.unit; +inf for a flat phase front
  ValueSequence frequency_ghz;
  ValueSequence levels_db;
  std::optional<ReflectorEdge> edge;
};

struct PatternRequest {
  CommonOptions common;
  Phase phase = Phase::Spherical;
  TypedNumber radius;
  TypedNumber slant;
  ValueSequence frequency_ghz;
  ValueSequence theta_deg;
  std::optional<ReflectorEdge> edge;
};

// The horn as built: its corrugated profile from a horn given by --radius and --slant or designed
// to a gain or an edge taper at the band's geometric centre.
struct ProfileRequest {
  CommonOptions common;
  std::optional<TypedNumber> radius;  // in common.unit
  std::optional<TypedNumber> slant;
  std::optional<TypedNumber> gain_dbi;
  std::optional<TypedNumber> edge_taper_db;
  std::optional<ReflectorEdge> edge;
  std::optional<TypedNumber> s;
  std::optional<std::string> profile_file;  // an engineer's own profile instead of a horn
  ValueSequence band_ghz;      // --band's two edges, --freq's one frequency, or none with a file
  profile::Rules rules;        // every length in metres
  double wall_m = profile::kDefaultWall;
  double stl_tolerance_m = 0.0;
  std::optional<std::string> sections;  // the staircase as CSV
  std::optional<std::string> step;
  std::optional<std::string> stl;
};

// --help or --version: text for standard output, status 0.
struct TextRequest {
  std::string text;
};

using Request = std::variant<TextRequest, DesignRequest, AnalyseRequest, PatternRequest, ProfileRequest>;

// Reads the arguments after the program name. Throws UsageError for anything it cannot run.
[[nodiscard]] Request parse_command_line(std::span<const std::string> args);

}  // namespace zavolt::horn
