// The horn as built: an axisymmetric profile as a staircase of uniform circular waveguide sections
// along the axis z, from the input port (z = 0) to the aperture plane.
//
// One value serves every consumer: the generator makes it, the CSV reader reads it, the drawing and
// the solid are made from it and the mode-matching solver analyses it. None of them rebuilds it.
//
// Generator. The corrugated profile of a horn from its aperture radius a, slant length L and band,
// by the published design rules for corrugated horns:
//   design frequencies: f_max / f_min <= 1.4: f_c = sqrt(f_min f_max), f_o = 1.02 f_c;
//                       f_max / f_min <= 2.4: f_c = 1.2 f_min, f_o = 1.10 f_c; wider is refused;
//   input guide: radius a_i = 3 lambda_c / (2 pi), length lambda_c / 2;
//   flare: by default the cone of the design, half-angle asin(a / L), from a_i to a; or one of the
//          laws of Law below over a given axial length;
//   corrugations: slots perpendicular to the axis, pitch p = lambda_c / 8, slot width delta p,
//          delta = 0.8, ridge (1 - delta) p, each ridge at the flare's radius at its centre, the
//          last ridge ending in the aperture plane. What is left of the flare's length below a
//          whole number of pitches is a smooth stretch at the flare's start, cut into steps;
//   mode converter: the first N_MC = 5 slots, slot j = 1 ... N_MC of depth
//          [sigma - ((j - 1) / N_MC)(sigma - exp(1 / (2.114 (k_c a_j)^1.134)) / 4)] lambda_c,
//          sigma = 0.42, a_j the slot's ridge radius;
//   slot depths after it: D_c(a_j) - t (D_c(a_j) - D_o), with D_c(a) = (lambda_c / 4)
//          exp(1 / (2.114 (k_c a)^1.134)) and D_o = (lambda_o / 4) exp(1 / (2.114 (k_o a)^1.134)),
//          t running linearly in slot index from 0 at the first slot after the converter to 1 at
//          the last slot (a single slot after the converter has t = 1).
// When the flare holds fewer pitches than the converter has slots (a small feed), the converter
// is cut in a cylindrical section at the input radius, N_MC pitches long, between the input guide
// and the flare, and the whole flare follows the depths after the converter.
// A smooth wall is cut into steps no longer than the step length (default lambda_c / 40), each at
// the wall's radius at its midpoint.
//
// Units. Lengths in metres, frequencies in hertz. The CSV forms carry their own unit.
//
// Accuracy. The rules are closed forms evaluated in double precision: every length and depth
// agrees within 1e-12 relative with an independent evaluation of the same formulas (tests for a
// Ku-band feed, a 20 dBi horn at 30 GHz and a small feed). A section's z is the sum of the lengths
// before it. Metric CSV numbers read and write back to the same doubles.
//
// Errors. Invalid input throws zavolt::InvalidInput naming the quantity and its value; a bad CSV
// file throws CsvError naming the line. Conditions that leave a profile doubtful are Warnings in
// the profile, which is still made.
//
// Threads. No global state: every function may be called from several threads at once.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zavolt/invalid_input.hpp"

namespace zavolt::profile {

inline constexpr double kSpeedOfLight = 299792458.0;  // m/s
// The TE11 and TM11 cut-offs k_c a of a circular guide: J1'(x) = 0 and J1(x) = 0.
inline constexpr double kTe11Cutoff = 1.841183781;
inline constexpr double kTm11Cutoff = 3.831705970;

// A uniform circular guide: its length along the axis and its radius, both positive and finite.
struct Section {
  double length = 0.0;
  double radius = 0.0;
};

// One corrugation: a slot cut into the wall, followed by its ridge towards the aperture.
struct Slot {
  double z = 0.0;             // the slot's start, throat side
  double ridge_radius = 0.0;  // the ridge's (inner) radius, the flare's radius at the ridge's centre
  double slot_radius = 0.0;   // the slot's bottom (outer) radius
  double slot_width = 0.0;
  double ridge_width = 0.0;
  bool converter = false;     // one of the mode converter's slots
  std::size_t section = 0;    // the slot's index in Profile::sections; its ridge is the next section

  [[nodiscard]] double depth() const noexcept { return slot_radius - ridge_radius; }
};

// The flare's radius a(z) from a_i at z = 0 to a_o at z = l, with shape parameters A and rho:
enum class Law {
  linear,       // a_i + (a_o - a_i) z / l: the cone
  sine,         // a_i + (a_o - a_i) [(1 - A) z / l + A sin^2(pi z / (2 l))]
  tangential,   // a_i + (a_o - a_i) [(1 - A) z / l + A tan^rho(pi z / (4 l))]
  power,        // a_i + (a_o - a_i) [(1 - A) z / l + A (z / l)^rho]
  exponential,  // a_i exp(ln(a_o / a_i) z / l)
  hyperbolic,   // sqrt(a_i^2 + z^2 (a_o^2 - a_i^2) / l^2)
  polynomial,   // a_i + (rho + 1)(a_o - a_i)(1 - rho z / ((rho + 1) l)) (z / l)^rho
};

// "linear", "sine", ...; parse_law returns nothing for a name it does not know.
[[nodiscard]] std::string_view law_name(Law law) noexcept;
[[nodiscard]] std::optional<Law> parse_law(std::string_view name) noexcept;
[[nodiscard]] bool law_uses_a(Law law) noexcept;    // sine, tangential, power
[[nodiscard]] bool law_uses_rho(Law law) noexcept;  // tangential, power, polynomial

// a(z) for 0 <= z <= length. No validation: a_i, a_o and length positive, A in [0, 1], rho > 0.
[[nodiscard]] double flare_radius(Law law, double input_radius, double aperture_radius, double length, double a,
                                  double rho, double z) noexcept;

// A horn's aperture from a design: radius a and slant length L from the apex to the rim.
struct Aperture {
  double radius = 0.0;
  double slant = std::numeric_limits<double>::infinity();
};

// The band f_min to f_max; a single frequency is a band of width 0.
struct Band {
  double f_min = 0.0;
  double f_max = 0.0;
};

// The design frequencies of a band: f_c sets the throat and the converter, f_o the slot depth at
// the aperture. Throws InvalidInput (band) for edges not positive and finite, f_max below f_min or
// above 2.4 f_min.
struct DesignFrequencies {
  double f_c = 0.0;
  double f_o = 0.0;
  bool wide = false;  // f_max / f_min above 1.4
};
[[nodiscard]] DesignFrequencies design_frequencies(const Band& band);

// Overrides of the rules' parameters; each one left empty takes its default.
struct Rules {
  std::optional<double> input_radius{};     // default 3 lambda_c / (2 pi)
  std::optional<double> input_length{};     // default lambda_c / 2
  Law law = Law::linear;
  std::optional<double> flare_length{};     // axial; default the design's cone from a_i to a
  std::optional<double> law_a{};            // default 1 (sine, tangential, power only)
  std::optional<double> law_rho{};          // default 2 (tangential, power, polynomial only)
  std::optional<double> pitch{};            // default lambda_c / 8
  std::optional<double> slot_ratio{};       // slot width / pitch, default 0.8, in (0, 1)
  std::optional<int> converter_slots{};     // default 5, 0 for none
  std::optional<double> converter_depth{};  // sigma, the first converter slot in lambda_c, default 0.42
  std::optional<double> minimum_ridge{};    // default 0.2 mm
  std::optional<double> minimum_slot{};     // default 0.2 mm
  std::optional<double> step_length{};      // default lambda_c / 40
};

inline constexpr double kDefaultMinimumRidge = 0.2e-3;
inline constexpr double kDefaultMinimumSlot = 0.2e-3;

// What a generated profile was built from, every default resolved.
struct Parameters {
  Band band{};
  bool wide_band = false;  // f_max / f_min above 1.4
  double f_c = 0.0;        // sets the throat and the converter
  double f_o = 0.0;        // sets the slot depth at the aperture
  double lambda_c = 0.0;
  double lambda_o = 0.0;
  double aperture_radius = 0.0;
  double slant = 0.0;      // of the design; the linear law's cone uses it
  double input_radius = 0.0;
  double input_length = 0.0;
  Law law = Law::linear;
  double law_a = 0.0;      // as used; 0 for a law without it
  double law_rho = 0.0;    // as used; 0 for a law without it
  double flare_start = 0.0;   // z where the flare leaves the input radius
  double flare_length = 0.0;  // axial
  double smooth_length = 0.0; // the flare's stretch before its first slot, below one pitch
  double pitch = 0.0;
  double slot_ratio = 0.0;
  double slot_width = 0.0;
  double ridge_width = 0.0;
  int converter_slots = 0;
  double converter_depth = 0.0;  // sigma, in lambda_c
  // The flare too short for the converter: it runs in a cylinder at the input radius instead.
  bool converter_in_cylinder = false;
  double converter_cylinder_length = 0.0;  // 0 unless converter_in_cylinder
  double aperture_depth = 0.0;  // D_o
  std::size_t slot_count = 0;
  double minimum_ridge = 0.0;
  double minimum_slot = 0.0;
  double step_length = 0.0;
  double total_length = 0.0;
};

enum class WarningKind {
  slot_too_narrow,     // slot: its width (value) below the minimum slot (limit)
  ridge_too_thin,      // slot: its ridge's width (value) below the minimum ridge (limit)
  pitch_too_coarse,    // the pitch (value) not below lambda / 3 at f_max (limit)
  te11_cut_off,        // k a_i at f_min (value) not above the TE11 cut-off (limit)
  tm11_propagates,     // k a_i at f_max (value) not below the TM11 cut-off (limit)
  not_the_design_cone, // the flare is not the design's cone: its S, slant length and phase
                       // centre do not describe this horn (value: the flare length)
};

struct Warning {
  WarningKind kind = WarningKind::slot_too_narrow;
  std::optional<std::size_t> slot{};  // one-based, from the throat, where one slot is meant
  double value = 0.0;
  double limit = 0.0;
};

struct Profile {
  // The staircase: the first section is the input guide, the last one ends in the aperture plane.
  // Consecutive sections may have the same radius (a smooth wall cut in steps).
  std::vector<Section> sections;
  // A generated profile's corrugations from the throat, its rules and its warnings; a profile read
  // from a file has none of them.
  std::vector<Slot> slots{};
  std::optional<Parameters> parameters{};
  std::vector<Warning> warnings{};

  [[nodiscard]] double length() const noexcept;  // the sum of the section lengths
};

// The corrugated profile of the horn by the rules above. Throws InvalidInput for a radius that is
// not positive and finite or not above the input radius, a slant length not above the radius (or
// infinite, when the flare length must come from it), band edges not positive and finite, f_max
// below f_min or above 2.4 f_min, and any override outside its domain (lengths positive and
// finite, A in [0, 1], rho positive, slot ratio in (0, 1), converter slots 0 to 1000, sigma
// positive, minimum ridge and slot not negative), or A or rho given to a law without it.
[[nodiscard]] Profile generate(const Aperture& aperture, const Band& band, const Rules& rules = {});

// Throws InvalidInput (section_length or section_radius) unless the profile has a section and
// every length and radius is positive and finite.
void validate(std::span<const Section> sections);

// A point of the half-section through the axis: z along the axis, r from it.
struct Point {
  double z = 0.0;
  double r = 0.0;
};

inline constexpr double kDefaultWall = 2e-3;

// The horn's metal in half-section: the region between the inner staircase and an outer skin.
// The skin is a cylinder the wall thickness outside the input guide (the first section), then a
// cone parallel to the flare (slope (a - a_i) / flare length; for a profile read from a file, the
// chord from the first section's radius to the last one's) that clears every section of the flare
// by the wall thickness. A converter in a cylinder has a cylindrical skin of its own that clears its
// slots by the wall. Between these parts the skin steps radially.
struct Metal {
  // The closed outline, counter-clockwise in (z, r), without repeated or collinear points: from the
  // input port along the staircase to the aperture plane, out to the skin, back along it to z = 0.
  std::vector<Point> outline{};
  double outer_radius = 0.0;  // the skin's largest radius
  double volume = 0.0;        // of the outline revolved about the axis
};

// Throws InvalidInput for a wall thickness that is not positive and finite, and as validate().
[[nodiscard]] Metal metal(const Profile& profile, double wall = kDefaultWall);

// The units of the CSV forms.
enum class Unit { m, mm, cm, in };
[[nodiscard]] std::string_view unit_suffix(Unit unit) noexcept;  // "m", "mm", "cm", "in"
[[nodiscard]] std::optional<Unit> parse_unit(std::string_view suffix) noexcept;

// A CSV profile that cannot be read: the line of the record, and what is wrong.
// what() is "line N: reason".
class CsvError : public std::runtime_error {
public:
  CsvError(std::size_t line, const std::string& reason);
  [[nodiscard]] std::size_t line() const noexcept { return line_; }
  [[nodiscard]] const std::string& reason() const noexcept { return reason_; }

private:
  std::size_t line_;
  std::string reason_;
};

// The longest step of a sloping wall read without a design frequency: lambda / 40 at 75 GHz.
inline constexpr double kDefaultReadStep = 1e-4;

// Reads a profile in either CSV form:
//   z_<unit>,radius_<unit>: wall points from the input port, z never decreasing; two points of
//     equal z make a step, a level pair a section, a sloping pair a straight wall cut into steps
//     no longer than step_length;
//   length_<unit>,radius_<unit>: the sections themselves.
// Each column has its own unit of m, mm, cm or in. RFC 4180 quoting; blank lines and lines whose
// first character is '#' are ignored; the header is the first other line. Throws CsvError for a
// missing or unknown header, a record without exactly two fields, a field that is not a finite
// number, a length or radius not positive, z going backwards, and a profile without a section;
// InvalidInput for a step length that is not positive and finite.
[[nodiscard]] Profile read_csv(std::istream& in, double step_length = kDefaultReadStep);

// The sections in the length_<unit>,radius_<unit> form, header and one line per section, each
// number the shortest decimal that read_csv turns back into the same double where one exists.
void write_csv(std::ostream& out, const Profile& profile, Unit unit = Unit::mm);

}  // namespace zavolt::profile
