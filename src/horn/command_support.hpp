// What the commands share: columns with their units, the inputs of the head, and the warnings
// that the validity flags raise.
#pragma once

#include <limits>
#include <string>

#include "horn/options.hpp"
#include "horn/report.hpp"
#include "horn/warnings.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

inline constexpr int kShortest = -1;  // a column of inputs: shown as typed, not to fixed decimals
// A plotted value that does not exist, and the flare of a design without a solution.
inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

[[nodiscard]] double degrees_from_radians(double radians);

// The library's phase model for the command line's choice.
[[nodiscard]] aperture::Phase aperture_phase(Phase phase);

// A head with the command, the unit, the model and the phase filled in; the classic routines
// have the quadratic phase whatever was chosen.
[[nodiscard]] ReportHead head_for(std::string command, Unit unit, Model model, Phase phase);

// A length column "phase_centre_mm" / "phase centre (mm)", with as many decimals as a micrometre
// needs. Its cells are metres or classic inches; the row's writing shows them in `unit`.
[[nodiscard]] Column length_column(const std::string& name, const std::string& heading, Unit unit);

// The head's entries for the common inputs.
[[nodiscard]] Input length_input(const std::string& name, const std::string& label, const Length& length,
                                 Unit unit);

// A length cell in the run's unit: metres through length_from_metres, classic binary32 inches
// through length_from_inches (the dialogue's conversion). Other cells unchanged.
[[nodiscard]] Cell displayed_length(const Cell& cell, Unit unit);

// A length for a message or a head, in the run's unit, to a micrometre.
[[nodiscard]] std::string length_text(double metres, Unit unit);

// The profile CSV's name of the run's unit.
[[nodiscard]] profile::Unit csv_unit(Unit unit);
[[nodiscard]] Input number_input(const std::string& key, const std::string& label, const std::string& unit,
                                 const ValueSequence& values);
void add_edge_input(ReportHead& head, const std::optional<ReflectorEdge>& edge);

// "0.4521" or "0.4521 to 0.5383": the spread of a quantity over the rows.
class Spread {
public:
  void take(double value);
  [[nodiscard]] std::string text(int decimals, const std::string& unit) const;

private:
  double low_ = 0.0;
  double high_ = 0.0;
  bool any_ = false;
};

// Warnings for the validity flags of one row; `where` says which row ("at 12 GHz", "at S = 0.5").
// S and the flare half-angle (radians) and the wavelength (metres) give the messages their figures.
void warn_validity(Warnings& warnings, const aperture::Validity& validity, double s, double flare_half_angle,
                   double radius_m, double wavelength_m, Unit unit, const std::string& where);

// The warning of an aperture formula more than 0.1 dB from the directivity of the pattern it
// belongs to, where the formula is a poor approximation.
void warn_directivity_formula(Warnings& warnings, double formula_dbi, double pattern_dbi, const std::string& where);

// The validity flags of a horn under the classic routines, which assume the quadratic phase: from
// their binary32 lengths (inches) and frequency, evaluated in binary64.
struct ClassicGeometry {
  double s;
  double flare_half_angle;  // radians
  double wavelength_m;
  double radius_m;
  aperture::Validity validity;
};
[[nodiscard]] ClassicGeometry classic_geometry(float frequency_ghz, float radius_in, float slant_in, float s);

}  // namespace zavolt::horn
