// analyse: gain, beamwidths and feed metrics of one horn over frequency.
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "horn/plot.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/classic.hpp"

namespace zavolt::horn {

namespace {

constexpr int kDecibelDecimals = 3;
constexpr int kSDecimals = 4;
constexpr int kAngleDecimals = 3;
constexpr int kEfficiencyDecimals = 4;

std::string level_name(double level) { return shortest(level); }

ReportHead analyse_head(const AnalyseRequest& request) {
  const Unit unit = request.common.unit;
  ReportHead head = head_for("analyse", unit, request.model, request.phase);
  head.inputs.push_back(length_input("radius", "aperture radius", request.radius, unit));
  head.inputs.push_back(length_input("slant", "slant length", request.slant, unit));
  head.inputs.push_back(number_input("frequency_ghz", "frequency", "GHz", request.frequency_ghz));
  head.inputs.push_back(number_input("levels_db", "levels", "dB", request.levels_db));
  add_edge_input(head, request.edge);
  head.columns = {Column{"frequency_ghz", "frequency (GHz)", kShortest}, Column{"S", "S (wavelengths)", kSDecimals},
                  Column{"gain_dbi", "gain (dBi)", kDecibelDecimals}};
  // The classic model has its gain only; the aperture model also integrates its pattern.
  if (request.model == Model::Aperture) {
    head.columns.push_back(Column{"directivity_pattern_dbi", "pattern dir. (dBi)", kDecibelDecimals});
  }
  for (std::size_t i = 0; i < request.levels_db.size(); ++i) {
    const std::string level = level_name(request.levels_db.at(i));
    head.columns.push_back(Column{fmt::format("bw{}_deg", level), fmt::format("bw{} (deg)", level), kAngleDecimals});
  }
  if (request.edge) {
    head.columns.push_back(Column{"edge_taper_db", "edge taper (dB)", kDecibelDecimals});
    head.columns.push_back(Column{"spillover_efficiency", "spillover eff.", kEfficiencyDecimals});
    head.columns.push_back(Column{"taper_efficiency", "taper eff.", kEfficiencyDecimals});
    head.columns.push_back(Column{"feed_efficiency", "feed eff.", kEfficiencyDecimals});
    head.columns.push_back(length_column("phase_centre", "phase centre", unit));
  }
  return head;
}

// S over the sweep and the flare half-angle, closed forms, for the table's head.
void add_geometry_summary(ReportHead& head, const AnalyseRequest& request) {
  Spread s;
  double flare = 0.0;
  for (std::size_t i = 0; i < request.frequency_ghz.size(); ++i) {
    if (request.model == Model::Classic) {
      const float frequency = request.frequency_ghz.single_at(i);
      s.take(static_cast<double>(classic::phase_deviation(frequency, request.radius.inches, request.slant.inches)));
      flare = classic_geometry(frequency, request.radius.inches, request.slant.inches, 0.0f).flare_half_angle;
    } else {
      const aperture::Geometry g = aperture::geometry(
          aperture::Horn{request.radius.metres, request.slant.metres, aperture_phase(request.phase)},
          hertz_at(request.frequency_ghz, i));
      s.take(g.s);
      flare = g.flare_half_angle;
    }
  }
  head.summary.push_back(Summary{"S", s.text(kSDecimals, "wavelengths")});
  head.summary.push_back(Summary{"flare half-angle", fmt::format("{:.2f} deg", degrees_from_radians(flare))});
}

// What the plot needs of each row.
struct PlotData {
  Curve gain{"gain", {}, {}};
  std::vector<Curve> beamwidths;
  std::optional<FeedCurves> feed;
};

Row classic_row(const AnalyseRequest& request, std::size_t i, Warnings& warnings, PlotData* plot) {
  const float frequency = request.frequency_ghz.single_at(i);
  const float radius = request.radius.inches;
  const float slant = request.slant.inches;
  const std::string where = fmt::format("at {} GHz", frequency);
  const float s = classic::phase_deviation(frequency, radius, slant);
  const float gain = classic::gain_db(frequency, radius, slant);
  const classic::Beamwidths widths = classic::beamwidths(frequency, radius, slant);
  const ClassicGeometry g = classic_geometry(frequency, radius, slant, s);
  warn_validity(warnings, g.validity, g.s, g.flare_half_angle, g.radius_m, g.wavelength_m, request.common.unit, where);
  if (s > 1.0f) {
    warnings.note("classic-table", fmt::format("S = {:.4f} {} lies beyond the classic beamwidth tables (S = 0 to 1), "
                                               "which are extrapolated",
                                               s, where));
  }
  Row row{{Cell::of_single(frequency), Cell::of_single(s), Cell::of_single(gain)}};
  for (std::size_t l = 0; l < request.levels_db.size(); ++l) {
    const double level = request.levels_db.at(l);
    const std::optional<float> width = level == 3.0 ? widths.bw3 : widths.bw10;
    if (!width) {
      warnings.note(fmt::format("classic-beyond-90-{}", level),
                    fmt::format("the classic {} dB beamwidth {} does not exist: its angle would lie beyond 90 deg",
                                level_name(level), where));
    }
    row.cells.push_back(width ? Cell::of_single(*width) : Cell{});
    if (plot) plot->beamwidths[l].y.push_back(width ? static_cast<double>(*width) : kNoValue);
  }
  if (plot) {
    plot->gain.x.push_back(static_cast<double>(frequency));
    plot->gain.y.push_back(static_cast<double>(gain));
    for (Curve& curve : plot->beamwidths) curve.x.push_back(static_cast<double>(frequency));
  }
  return row;
}

Row aperture_row(const AnalyseRequest& request, std::size_t i, Warnings& warnings, PlotData* plot) {
  const double frequency_ghz = request.frequency_ghz.at(i);
  const std::string where = fmt::format("at {} GHz", shortest(frequency_ghz));
  const aperture::Model model(
      aperture::Horn{request.radius.metres, request.slant.metres, aperture_phase(request.phase)},
      hertz_at(request.frequency_ghz, i));
  const aperture::Geometry& g = model.geometry();
  warn_validity(warnings, g.validity, g.s, g.flare_half_angle, request.radius.metres, g.wavelength,
                request.common.unit, where);
  const aperture::Directivity directivity = model.directivity();
  const double pattern_dbi = model.pattern_directivity_dbi();
  warn_directivity_formula(warnings, directivity.dbi, pattern_dbi, where);
  Row row{{Cell::of(frequency_ghz), Cell::of(g.s), Cell::of(directivity.dbi), Cell::of(pattern_dbi)}};
  std::vector<double> levels;
  for (std::size_t l = 0; l < request.levels_db.size(); ++l) levels.push_back(request.levels_db.at(l));
  const std::vector<aperture::Beamwidth> widths = model.beamwidths(levels);
  if (std::any_of(widths.begin(), widths.end(), [](const aperture::Beamwidth& bw) { return bw.maximum_off_axis; })) {
    warnings.note("off-axis", fmt::format("the pattern's maximum lies off axis {}", where));
  }
  for (std::size_t l = 0; l < levels.size(); ++l) {
    const double level = levels[l];
    const aperture::Beamwidth& bw = widths[l];
    if (bw.not_reached_within_90_degrees) {
      warnings.note(fmt::format("not-reached-{}", level),
                    fmt::format("the {} dB level is not reached within 90 deg {}", level_name(level), where));
    }
    const double width = bw.width ? degrees_from_radians(*bw.width) : kNoValue;
    row.cells.push_back(bw.width ? Cell::of(width) : Cell{});
    if (plot) plot->beamwidths[l].y.push_back(width);
  }
  if (request.edge) {
    const aperture::FeedMetrics feed = model.feed_metrics(request.edge->half_angle_rad());
    if (feed.phase_centre_undefined) {
      warnings.note("phase-centre",
                    fmt::format("the phase centre {} is undefined: the pattern has a null within the edge angle", where));
    }
    row.cells.push_back(Cell::of(feed.edge_taper_db));
    row.cells.push_back(Cell::of(feed.spillover_efficiency));
    row.cells.push_back(Cell::of(feed.taper_efficiency));
    row.cells.push_back(Cell::of(feed.feed_efficiency));
    row.cells.push_back(feed.phase_centre ? Cell::of(*feed.phase_centre) : Cell{});
    if (plot && plot->feed) {
      plot->feed->taper.x.push_back(frequency_ghz);
      plot->feed->taper.y.push_back(feed.edge_taper_db);
      plot->feed->efficiency.x.push_back(frequency_ghz);
      plot->feed->efficiency.y.push_back(feed.feed_efficiency);
    }
  }
  if (plot) {
    plot->gain.x.push_back(frequency_ghz);
    plot->gain.y.push_back(directivity.dbi);
    for (Curve& curve : plot->beamwidths) curve.x.push_back(frequency_ghz);
  }
  return row;
}

std::string plot_title(const AnalyseRequest& request) {
  const std::string_view unit = unit_name(request.common.unit);
  return fmt::format("a = {} {}, L = {} {}, {} model, {} phase", request.radius.typed.text, unit, request.slant.typed.text, unit,
                     model_name(request.model), request.model == Model::Classic ? "quadratic" : phase_name(request.phase));
}

}  // namespace

std::optional<std::string> run_analyse(const AnalyseRequest& request, RowWriter& writer, Warnings& warnings) {
  ReportHead head = analyse_head(request);
  if (request.common.format == Format::Table) add_geometry_summary(head, request);
  std::optional<PlotData> plot;
  if (request.common.plot) {
    plot.emplace();
    for (std::size_t l = 0; l < request.levels_db.size(); ++l) {
      plot->beamwidths.push_back(Curve{fmt::format("{} dB", level_name(request.levels_db.at(l))), {}, {}});
    }
    if (request.edge && request.model == Model::Aperture) {
      plot->feed = FeedCurves{Curve{"edge taper (dB)", {}, {}}, Curve{"feed efficiency", {}, {}}};
    }
  }
  PlotData* plot_data = plot ? &*plot : nullptr;
  writer.begin(head);
  for (std::size_t i = 0; i < request.frequency_ghz.size(); ++i) {
    writer.row(request.model == Model::Classic ? classic_row(request, i, warnings, plot_data)
                                               : aperture_row(request, i, warnings, plot_data));
  }
  writer.end(warnings.lines());
  if (!plot) return std::nullopt;
  return analysis_plot_svg(plot_title(request), plot->gain, plot->beamwidths, plot->feed);
}

}  // namespace zavolt::horn
