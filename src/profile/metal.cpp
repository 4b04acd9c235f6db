// The metal's half-section: the staircase inside, the skin outside.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "zavolt/profile.hpp"

namespace zavolt::profile {

namespace {

// The smallest offset r0 such that r0 + slope (z - z0) clears every section of [first, last) by
// the wall, z_start the first one's start. A line's distance to a level section is least at one
// of its ends.
double clearing_offset(const std::vector<Section>& sections, std::size_t first, std::size_t last, double z_start,
                       double slope, double wall) {
  double offset = -INFINITY;
  double z = z_start;
  for (std::size_t k = first; k < last; ++k) {
    const double need = sections[k].radius + wall;
    offset = std::max({offset, need - slope * (z - z_start), need - slope * (z + sections[k].length - z_start)});
    z += sections[k].length;
  }
  return offset;
}

void add(std::vector<Point>& outline, Point p) {
  if (!outline.empty() && outline.back().z == p.z && outline.back().r == p.r) return;
  // Three points on one level or radial line: the middle one goes.
  if (outline.size() >= 2) {
    const Point& a = outline[outline.size() - 2];
    const Point& b = outline.back();
    if ((a.z == b.z && b.z == p.z) || (a.r == b.r && b.r == p.r)) outline.pop_back();
  }
  outline.push_back(p);
}

}  // namespace

Metal metal(const Profile& profile, double wall) {
  if (!(std::isfinite(wall) && wall > 0.0)) throw InvalidInput(Quantity::wall, wall, "must be positive and finite");
  const std::vector<Section>& sections = profile.sections;
  validate(sections);

  // The input guide ends at z1; the flare starts at zf, after a converter in a cylinder if any.
  const double z1 = sections.front().length;
  const double z_end = profile.length();
  std::size_t flare_first = 1;
  double zf = z1;
  double slope = 0.0;
  if (profile.parameters) {
    const Parameters& p = *profile.parameters;
    slope = (p.aperture_radius - p.input_radius) / p.flare_length;
    zf = z1;
    while (flare_first < sections.size() && zf < p.flare_start * (1.0 - 1e-12)) zf += sections[flare_first++].length;
  } else if (sections.size() > 1) {
    slope = (sections.back().radius - sections.front().radius) / (z_end - z1);
  }

  Metal m;
  std::vector<Point>& outline = m.outline;
  double z = 0.0;
  for (const Section& s : sections) {
    add(outline, {z, s.radius});
    z += s.length;
    add(outline, {z, s.radius});
  }
  const double cylinder = sections.front().radius + wall;
  std::vector<Point> skin;  // from the aperture back to the port
  if (flare_first < sections.size()) {
    const double r0 = clearing_offset(sections, flare_first, sections.size(), zf, slope, wall);
    skin.push_back({z_end, r0 + slope * (z_end - zf)});
    skin.push_back({zf, r0});
  }
  if (flare_first > 1) {
    const double converter = clearing_offset(sections, 1, flare_first, z1, 0.0, wall);
    skin.push_back({zf, converter});
    skin.push_back({z1, converter});
  }
  skin.push_back({z1, cylinder});
  skin.push_back({0.0, cylinder});
  for (const Point& p : skin) add(outline, p);
  // Closing back to the first point: a collinear last point goes.
  if (outline.size() >= 3 && outline.back().z == outline.front().z && outline[outline.size() - 2].z == outline.front().z) {
    outline.pop_back();
  }

  // Revolved: pi times the sum over the edges of (r_i^2 + r_i r_j + r_j^2)(z_j - z_i) / 3, the
  // skin's edges running backwards.
  double sum = 0.0;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const Point& a = outline[i];
    const Point& b = outline[(i + 1) % outline.size()];
    sum += (a.r * a.r + a.r * b.r + b.r * b.r) * (b.z - a.z);
    m.outer_radius = std::max(m.outer_radius, a.r);
  }
  m.volume = -std::numbers::pi * sum / 3.0;
  return m;
}

}  // namespace zavolt::profile
