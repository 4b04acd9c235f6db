#include "horn/plot.hpp"

#include <plstream.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <fmt/format.h>
#include <memory>
#include <stdexcept>

#include "horn/svg_page.hpp"

namespace zavolt::horn {

namespace {

// Colour map 0: the background, the axes and text, the grey of the grid and marks, then eight
// curve colours told apart also by readers with a red-green deficiency (Okabe and Ito's palette,
// black replaced by a dark grey-blue).
constexpr std::array<PLINT, 11> kRed = {255, 0, 127, 230, 86, 0, 240, 0, 213, 204, 68};
constexpr std::array<PLINT, 11> kGreen = {255, 0, 127, 159, 180, 158, 228, 114, 94, 121, 85};
constexpr std::array<PLINT, 11> kBlue = {255, 0, 127, 0, 233, 115, 66, 178, 0, 167, 110};
constexpr PLINT kInk = 1;
constexpr PLINT kGrey = 2;
constexpr PLINT kFirstCurveColour = 3;
constexpr std::size_t kCurveColours = kRed.size() - static_cast<std::size_t>(kFirstCurveColour);

// PLplot's eight line styles: solid, then dashes and dots of several kinds.
constexpr PLINT kSolid = 1;
constexpr PLINT kShortDashes = 2;
constexpr PLINT kLongDashes = 3;
constexpr std::size_t kLineStyles = 8;

// Markers on the points when there are few enough to see them.
constexpr std::size_t kMostMarkedPoints = 25;
constexpr PLINT kDotMarker = 17;

// The pattern's floor: far sidelobes and nulls say nothing more below it.
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kDeepestFloorDb = -60.0;

// Curve i: the eight colours in turn, then each again in the next line style, so that 64 curves
// are told apart.
PLINT curve_colour(std::size_t i) { return kFirstCurveColour + static_cast<PLINT>(i % kCurveColours); }
PLINT curve_style(std::size_t i) { return kSolid + static_cast<PLINT>((i / kCurveColours) % kLineStyles); }

struct Bounds {
  double low = kInfinity;
  double high = -kInfinity;
  void take(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  // A range that can be drawn: padded around a single value, and around none at all.
  [[nodiscard]] std::pair<double, double> padded(double margin, double least_span) const {
    if (!(low <= high)) return {0.0, 1.0};
    const double span = std::max(high - low, least_span);
    const double middle = (low + high) / 2.0;
    return {middle - span / 2.0 - margin * span, middle + span / 2.0 + margin * span};
  }
};

// Draws curve i in pieces between its gaps, with markers when it is short.
void draw_curve(plstream& pls, const Curve& curve, std::size_t i_curve, double floor_value) {
  pls.col0(curve_colour(i_curve));
  pls.lsty(curve_style(i_curve));
  std::vector<PLFLT> xs;
  std::vector<PLFLT> ys;
  const auto flush = [&] {
    if (xs.size() >= 2) pls.line(static_cast<PLINT>(xs.size()), xs.data(), ys.data());
    if (xs.size() == 1 || (!xs.empty() && curve.x.size() <= kMostMarkedPoints)) {
      pls.poin(static_cast<PLINT>(xs.size()), xs.data(), ys.data(), kDotMarker);
    }
    xs.clear();
    ys.clear();
  };
  for (std::size_t i = 0; i < curve.x.size(); ++i) {
    const double y = curve.y[i];
    if (std::isnan(y) || y == kInfinity) {
      flush();
      continue;
    }
    xs.push_back(curve.x[i]);
    ys.push_back(std::isfinite(y) ? y : floor_value);
  }
  flush();
  pls.col0(kInk);
  pls.lsty(kSolid);
}

// In the page's right margin, beside the frames, at its top or its bottom: never over a curve.
void draw_legend(plstream& pls, const std::vector<Curve>& curves, PLINT corner = PL_POSITION_TOP) {
  const auto n = static_cast<PLINT>(curves.size());
  std::vector<PLINT> options(curves.size(), PL_LEGEND_LINE);
  std::vector<PLINT> colours;
  std::vector<PLINT> styles;
  std::vector<const char*> texts;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    colours.push_back(curve_colour(i));
    styles.push_back(curve_style(i));
    texts.push_back(curves[i].label.c_str());
  }
  const std::vector<PLFLT> widths(curves.size(), 1.0);
  PLFLT width = 0.0;
  PLFLT height = 0.0;
  const PLINT position = PL_POSITION_SUBPAGE | PL_POSITION_RIGHT | corner | PL_POSITION_INSIDE;
  pls.legend(&width, &height, PL_LEGEND_BACKGROUND | PL_LEGEND_BOUNDING_BOX, position, 0.01, 0.02, 0.04, 0, kInk,
             kSolid, 0, 0, n,
             options.data(), 0.7, 0.7, 1.4, 0.0, colours.data(), texts.data(), nullptr, nullptr, nullptr, nullptr,
             colours.data(), styles.data(), widths.data(), nullptr, nullptr, nullptr, nullptr);
}

void frame(plstream& pls, double x0, double x1, double y0, double y1, const char* x_label, const char* y_label,
           const std::string& title) {
  pls.col0(kInk);
  pls.lsty(kSolid);
  pls.wind(x0, x1, y0, y1);
  pls.col0(kGrey);
  pls.box("g", 0.0, 0, "g", 0.0, 0);
  pls.col0(kInk);
  pls.box("bcnst", 0.0, 0, "bcnstv", 0.0, 0);
  pls.lab(x_label, y_label, title.c_str());
}

}  // namespace

std::string analysis_plot_svg(const std::string& title, const Curve& gain, const std::vector<Curve>& beamwidths,
                              const std::optional<FeedCurves>& feed) {
  SvgPage page(kRed, kGreen, kBlue, kInk);
  Bounds frequencies;
  Bounds gains;
  Bounds widths;
  for (std::size_t i = 0; i < gain.x.size(); ++i) {
    frequencies.take(gain.x[i]);
    gains.take(gain.y[i]);
  }
  for (const Curve& curve : beamwidths) {
    for (const double y : curve.y) widths.take(y);
  }
  const auto [f0, f1] = frequencies.padded(0.0, 1.0);
  const auto [g0, g1] = gains.padded(0.08, 1.0);
  widths.take(0.0);
  const auto [w0, w1] = widths.padded(0.05, 10.0);

  // Room on the right for the legends, outside the frames. With a reflector's edge a third panel
  // holds the edge taper (left axis) and the feed efficiency (right axis).
  const bool three = feed.has_value();
  const std::array<std::pair<double, double>, 3> rows =
      three ? std::array<std::pair<double, double>, 3>{{{0.68, 0.92}, {0.39, 0.61}, {0.1, 0.32}}}
            : std::array<std::pair<double, double>, 3>{{{0.58, 0.92}, {0.1, 0.44}, {0.0, 0.0}}};
  page->vpor(0.1, 0.70, rows[0].first, rows[0].second);
  frame(*page, f0, f1, g0, g1, "", "gain (dBi)", title);
  draw_curve(*page, gain, 0, g0);

  page->vpor(0.1, 0.70, rows[1].first, rows[1].second);
  frame(*page, f0, f1, std::max(0.0, w0), w1, three ? "" : "frequency (GHz)", "beamwidth (deg)", "");
  for (std::size_t i = 0; i < beamwidths.size(); ++i) draw_curve(*page, beamwidths[i], i, w0);
  if (!beamwidths.empty()) draw_legend(*page, beamwidths);
  if (!three) return page.svg();

  Bounds tapers;
  for (const double y : feed->taper.y) tapers.take(y);
  const auto [e0, e1] = tapers.padded(0.08, 1.0);
  page->vpor(0.1, 0.70, rows[2].first, rows[2].second);
  frame(*page, f0, f1, e0, e1, "frequency (GHz)", "edge taper (dB)", "");
  draw_curve(*page, feed->taper, 0, e0);
  // The efficiency on its own scale, 0 to 1, labelled on the right.
  page->wind(f0, f1, 0.0, 1.0);
  page->box("", 0.0, 0, "cmstv", 0.0, 0);
  page->mtex("r", 3.6, 0.5, 0.5, "feed efficiency");
  draw_curve(*page, feed->efficiency, 1, 0.0);
  draw_legend(*page, {feed->taper, feed->efficiency}, PL_POSITION_BOTTOM);
  return page.svg();
}

std::string two_panel_plot_svg(const std::string& title, const Curve& upper, const std::string& upper_label,
                               const Curve& lower, const std::string& lower_label) {
  SvgPage page(kRed, kGreen, kBlue, kInk);
  Bounds frequencies;
  Bounds top;
  Bounds bottom;
  for (std::size_t i = 0; i < upper.x.size(); ++i) {
    frequencies.take(upper.x[i]);
    top.take(upper.y[i]);
  }
  for (const double y : lower.y) bottom.take(y);
  const auto [f0, f1] = frequencies.padded(0.0, 1.0);
  const auto [t0, t1] = top.padded(0.08, 1.0);
  const auto [b0, b1] = bottom.padded(0.08, 1.0);
  page->vpor(0.1, 0.8, 0.58, 0.92);
  frame(*page, f0, f1, t0, t1, "", upper_label.c_str(), title);
  draw_curve(*page, upper, curve_colour(0), t0);
  page->vpor(0.1, 0.8, 0.1, 0.44);
  frame(*page, f0, f1, b0, b1, "frequency (GHz)", lower_label.c_str(), "");
  draw_curve(*page, lower, curve_colour(1), b0);
  return page.svg();
}

std::string pattern_plot_svg(const std::string& title, const std::vector<Curve>& levels,
                             std::optional<double> edge_angle_deg) {
  SvgPage page(kRed, kGreen, kBlue, kInk);
  Bounds angles;
  Bounds decibels;
  for (const Curve& curve : levels) {
    for (const double x : curve.x) angles.take(x);
    for (const double y : curve.y) decibels.take(y);
  }
  const auto [t0, t1] = angles.padded(0.0, 1.0);
  const double top = decibels.high > 0.0 ? std::ceil(decibels.high / 5.0) * 5.0 : 0.0;
  const double floor_db = std::max(kDeepestFloorDb, std::floor(std::min(decibels.low, -20.0) / 10.0) * 10.0);
  const double below_floor = floor_db - 1.0;  // clipped by the frame, so a null runs off its edge

  page->vpor(0.1, 0.74, 0.1, 0.86);
  frame(*page, t0, t1, floor_db, top + 1.0, "#gh (deg)", "level (dB)", title);

  // The marks' labels stand outside the frame, clear of every curve: the levels' just right of
  // it at their height, the edge's just above it at its angle; in smaller type.
  page->col0(kGrey);
  page->schr(0.0, 0.8);
  page->lsty(kLongDashes);
  // mtex places text against the frame by a fraction along its side: text in world coordinates
  // would be clipped there.
  for (const double mark : {-3.0, -10.0}) {
    page->join(t0, mark, t1, mark);
    page->mtex("rv", 0.6, (mark - floor_db) / (top + 1.0 - floor_db), 0.0, fmt::format("{} dB", mark).c_str());
  }
  if (edge_angle_deg && *edge_angle_deg >= t0 && *edge_angle_deg <= t1) {
    page->lsty(kShortDashes);
    page->join(*edge_angle_deg, floor_db, *edge_angle_deg, top + 1.0);
    page->mtex("t", 0.6, (*edge_angle_deg - t0) / (t1 - t0), 0.5, fmt::format("edge {:.1f} deg", *edge_angle_deg).c_str());
  }
  page->schr(0.0, 1.0);
  page->lsty(kSolid);
  for (std::size_t i = 0; i < levels.size(); ++i) draw_curve(*page, levels[i], i, below_floor);
  if (!levels.empty()) draw_legend(*page, levels);
  return page.svg();
}

}  // namespace zavolt::horn
