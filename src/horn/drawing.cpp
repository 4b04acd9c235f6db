#include "horn/drawing.hpp"

#include <fmt/format.h>
#include <plstream.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "horn/plot.hpp"
#include "horn/svg_page.hpp"

namespace zavolt::horn {

namespace {

// Colour map 0: background, ink, metal, axis and aperture, converter, dimensions.
constexpr std::array<PLINT, 6> kRed = {255, 0, 190, 31, 214, 90};
constexpr std::array<PLINT, 6> kGreen = {255, 0, 190, 119, 39, 90};
constexpr std::array<PLINT, 6> kBlue = {255, 0, 190, 180, 40, 90};
constexpr PLINT kInk = 1;
constexpr PLINT kMetal = 2;
constexpr PLINT kAxis = 3;
constexpr PLINT kConverter = 4;
constexpr PLINT kDimension = 5;
constexpr PLINT kSolid = 1;
constexpr PLINT kDashes = 3;

void segment(plstream& pls, double x0, double y0, double x1, double y1) {
  std::array<PLFLT, 2> x{x0, x1};
  std::array<PLFLT, 2> y{y0, y1};
  pls.line(2, x.data(), y.data());
}

// A dimension line from (x0, y0) to (x1, y1) with end ticks `tick` long (`gap` across a level
// line), its text beside the middle: left of a vertical line, under a level one.
void dimension(plstream& pls, double x0, double y0, double x1, double y1, double tick, double gap,
               const std::string& text, bool vertical) {
  pls.col0(kDimension);
  pls.lsty(kSolid);
  segment(pls, x0, y0, x1, y1);
  if (vertical) {
    segment(pls, x0 - tick, y0, x0 + tick, y0);
    segment(pls, x1 - tick, y1, x1 + tick, y1);
    pls.ptex(x0 - 1.6 * tick, (y0 + y1) / 2.0, 0.0, 1.0, 0.5, text.c_str());
  } else {
    segment(pls, x0, y0 - gap, x0, y0 + gap);
    segment(pls, x1, y1 - gap, x1, y1 + gap);
    pls.ptex((x0 + x1) / 2.0, y0 - 2.5 * gap, 1.0, 0.0, 0.5, text.c_str());
  }
  pls.col0(kInk);
}

}  // namespace

std::string profile_drawing_svg(const profile::Profile& profile, const profile::Metal& metal, Unit unit) {
  const auto in_unit = [unit](double metres) { return length_from_metres(unit, metres); };
  const std::string u(unit_name(unit));
  const int decimals = unit == Unit::Millimetre ? 3 : unit == Unit::Centimetre ? 4 : unit == Unit::Inch ? 5 : 6;
  const double length = in_unit(profile.length());
  const double outer = in_unit(metal.outer_radius);
  const double aperture = in_unit(profile.sections.back().radius);
  const double input = in_unit(profile.sections.front().radius);

  // One scale along and across the axis; room around the metal for the dimensions.
  const double z0 = -0.14 * length;
  const double z1 = 1.16 * length;
  // At least 0.4 of the length across, so that a long, thin horn keeps room for its labels.
  const double span = std::max(1.45 * outer, 0.4 * (z1 - z0));
  const double r0 = -0.18 * span;
  const double r1 = r0 + span;
  SvgPage page(kRed, kGreen, kBlue);
  page->vpas(0.1, 0.95, 0.12, 0.88, (r1 - r0) / (z1 - z0));
  page->wind(z0, z1, r0, r1);
  page->col0(kInk);
  page->box("bcnst", 0.0, 0, "bcnstv", 0.0, 0);
  const std::string title = profile.parameters
                                ? fmt::format("corrugated horn: {} slots, pitch {:.{}f} {}", profile.slots.size(),
                                              in_unit(profile.parameters->pitch), decimals, u)
                                : std::string("horn profile");
  page->lab(fmt::format("z ({})", u).c_str(), fmt::format("r ({})", u).c_str(), title.c_str());

  std::vector<PLFLT> zs;
  std::vector<PLFLT> rs;
  for (const profile::Point& p : metal.outline) {
    zs.push_back(in_unit(p.z));
    rs.push_back(in_unit(p.r));
  }
  page->col0(kMetal);
  page->fill(static_cast<PLINT>(zs.size()), zs.data(), rs.data());
  // The mode converter's slots, shaded.
  page->col0(kConverter);
  for (const profile::Slot& slot : profile.slots) {
    if (!slot.converter) continue;
    std::array<PLFLT, 4> x{in_unit(slot.z), in_unit(slot.z + slot.slot_width), in_unit(slot.z + slot.slot_width), in_unit(slot.z)};
    std::array<PLFLT, 4> y{in_unit(slot.ridge_radius), in_unit(slot.ridge_radius), in_unit(slot.slot_radius), in_unit(slot.slot_radius)};
    page->fill(4, x.data(), y.data());
  }
  page->col0(kInk);
  zs.push_back(zs.front());
  rs.push_back(rs.front());
  page->line(static_cast<PLINT>(zs.size()), zs.data(), rs.data());

  // The axis and the aperture plane.
  plstream& pls = *page.operator->();
  page->col0(kAxis);
  page->lsty(kDashes);
  segment(pls, z0, 0.0, z1, 0.0);
  segment(pls, length, 0.0, length, 1.06 * outer);
  page->lsty(kSolid);
  page->ptex(length, 1.08 * outer, 1.0, 0.0, 0.5, "aperture");
  page->ptex(z1 - 0.01 * (z1 - z0), 0.02 * outer, 1.0, 0.0, 1.0, "axis");
  if (!profile.slots.empty() && profile.slots.front().converter) {
    page->col0(kConverter);
    const profile::Slot& first = profile.slots.front();
    page->ptex(in_unit(first.z), in_unit(first.ridge_radius) - 0.07 * outer, 1.0, 0.0, 0.0, "mode converter");
  }

  const double tick = 0.012 * (z1 - z0);
  const double gap = 0.02 * span;
  dimension(pls, 0.0, -0.07 * span, length, -0.07 * span, tick, gap, fmt::format("{:.{}f} {}", length, decimals, u),
            false);
  dimension(pls, 1.06 * length, 0.0, 1.06 * length, aperture, tick, gap, fmt::format("a {:.{}f}", aperture, decimals),
            true);
  dimension(pls, -0.04 * length, 0.0, -0.04 * length, input, tick, gap,
            fmt::format("a_i {:.{}f}", input, decimals), true);
  return page.svg();
}

}  // namespace zavolt::horn
