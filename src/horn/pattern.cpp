// pattern: level and phase of the far field against theta, at each frequency.
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "horn/plot.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::horn {

namespace {

constexpr int kLevelDecimals = 3;
constexpr int kPhaseDecimals = 2;
constexpr int kSDecimals = 4;
// Angles per call of the model: a cut of millions of angles in bounded memory.
constexpr std::size_t kAnglesPerBlock = 4096;

aperture::Horn horn_of(const PatternRequest& request) {
  return aperture::Horn{request.radius.metres, request.slant.metres, aperture_phase(request.phase)};
}

ReportHead pattern_head(const PatternRequest& request) {
  const Unit unit = request.common.unit;
  ReportHead head = head_for("pattern", unit, Model::Aperture, request.phase);
  head.inputs.push_back(length_input("radius", "aperture radius", request.radius, unit));
  head.inputs.push_back(length_input("slant", "slant length", request.slant, unit));
  head.inputs.push_back(number_input("frequency_ghz", "frequency", "GHz", request.frequency_ghz));
  head.inputs.push_back(number_input("theta_deg", "theta", "deg", request.theta_deg));
  add_edge_input(head, request.edge);
  Column level{"level_db", "level (dB)", kLevelDecimals};
  level.minus_infinity_empty = true;  // an exact null, as at 180 degrees
  head.columns = {Column{"frequency_ghz", "frequency (GHz)", kShortest}, Column{"theta_deg", "theta (deg)", kShortest},
                  level, Column{"phase_deg", "phase (deg)", kPhaseDecimals}};
  return head;
}

void add_geometry_summary(ReportHead& head, const PatternRequest& request) {
  Spread s;
  double flare = 0.0;
  for (std::size_t i = 0; i < request.frequency_ghz.size(); ++i) {
    const aperture::Geometry g =
        aperture::geometry(horn_of(request), hertz_at(request.frequency_ghz, i));
    s.take(g.s);
    flare = g.flare_half_angle;
  }
  head.summary.push_back(Summary{"S", s.text(kSDecimals, "wavelengths")});
  head.summary.push_back(Summary{"flare half-angle", fmt::format("{:.2f} deg", degrees_from_radians(flare))});
}

// The phase in degrees, kept within (-180, 180] where the conversion from radians rounds over.
double phase_degrees(double radians) {
  const double degrees = degrees_from_radians(radians);
  // -0 (the phase of a null) as 0: one text for one number in every format.
  if (degrees == 0.0) return 0.0;
  return degrees > 180.0 ? 180.0 : (degrees <= -180.0 ? 180.0 : degrees);
}

std::string plot_title(const PatternRequest& request) {
  const std::string_view unit = unit_name(request.common.unit);
  return fmt::format("a = {} {}, L = {} {}, {} phase", request.radius.typed.text, unit, request.slant.typed.text, unit,
                     phase_name(request.phase));
}

}  // namespace

std::optional<std::string> run_pattern(const PatternRequest& request, RowWriter& writer, Warnings& warnings) {
  const Unit unit = request.common.unit;
  ReportHead head = pattern_head(request);
  if (request.common.format == Format::Table) add_geometry_summary(head, request);
  std::vector<Curve> curves;
  writer.begin(head);
  std::vector<double> thetas;
  const std::size_t last = request.theta_deg.size() - 1;
  if (std::max(request.theta_deg.at(0), request.theta_deg.at(last)) > 90.0 ||
      (!request.theta_deg.is_range() && std::any_of(request.theta_deg.numbers().begin(), request.theta_deg.numbers().end(),
                                                    [](const TypedNumber& t) { return t.value > 90.0; }))) {
    warnings.note("beyond-90", "angles beyond 90 deg lie outside what aperture integration describes: the rear "
                               "hemisphere is the model's continuation, not the horn's pattern");
  }
  for (std::size_t f = 0; f < request.frequency_ghz.size(); ++f) {
    const double frequency_ghz = request.frequency_ghz.at(f);
    const std::string where = fmt::format("at {} GHz", shortest(frequency_ghz));
    const aperture::Model model(horn_of(request), hertz_at(request.frequency_ghz, f));
    const aperture::Geometry& g = model.geometry();
    warn_validity(warnings, g.validity, g.s, g.flare_half_angle, model.horn().radius, g.wavelength, unit, where);
    if (model.maximum_off_axis()) {
      warnings.note("off-axis", fmt::format("the pattern's maximum lies off axis {}", where));
    }
    Curve* curve = nullptr;
    if (request.common.plot) {
      curves.push_back(Curve{fmt::format("{} GHz", shortest(frequency_ghz)), {}, {}});
      curve = &curves.back();
    }
    for (std::size_t from = 0; from < request.theta_deg.size(); from += kAnglesPerBlock) {
      const std::size_t to = std::min(request.theta_deg.size(), from + kAnglesPerBlock);
      thetas.clear();
      for (std::size_t i = from; i < to; ++i) thetas.push_back(request.theta_deg.at(i) * std::numbers::pi / 180.0);
      const std::vector<aperture::PatternPoint> points = model.pattern(thetas);
      for (std::size_t i = from; i < to; ++i) {
        const aperture::PatternPoint& point = points[i - from];
        const double theta_deg = request.theta_deg.at(i);
        writer.row(Row{{Cell::of(frequency_ghz), Cell::of(theta_deg), Cell::of(point.level_db),
                        Cell::of(phase_degrees(point.phase))}});
        if (curve) {
          curve->x.push_back(theta_deg);
          curve->y.push_back(point.level_db);
        }
      }
    }
  }
  writer.end(warnings.lines());
  if (!request.common.plot) return std::nullopt;
  const std::optional<double> edge = request.edge ? std::optional(request.edge->half_angle_deg()) : std::nullopt;
  return pattern_plot_svg(plot_title(request), curves, edge);
}

}  // namespace zavolt::horn
