// The metal's half-section: a small staircase worked by hand, and the skin of generated horns
// clearing every section by the wall, parallel to the flare.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "zavolt/profile.hpp"

namespace zavolt::profile {
namespace {

TEST(ProfileMetal, ByHand) {
  // 10 mm of guide at 5 mm, then 5 mm at 8 mm and 5 mm at 6 mm, wall 2 mm. The skin's slope is the
  // chord (6 - 5) / (20 - 10) = 0.1; clearing 8 mm from z = 10 sets it at 10 mm there, 11 mm at the
  // aperture; the guide's cylinder is 7 mm.
  const Profile profile{{{10e-3, 5e-3}, {5e-3, 8e-3}, {5e-3, 6e-3}}};
  const Metal m = metal(profile, 2e-3);
  const std::vector<Point> expected{{0, 5e-3},     {10e-3, 5e-3}, {10e-3, 8e-3}, {15e-3, 8e-3}, {15e-3, 6e-3},
                                    {20e-3, 6e-3}, {20e-3, 11e-3}, {10e-3, 10e-3}, {10e-3, 7e-3}, {0, 7e-3}};
  ASSERT_EQ(m.outline.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(m.outline[i].z, expected[i].z, 1e-15) << i;
    EXPECT_NEAR(m.outline[i].r, expected[i].r, 1e-15) << i;
  }
  EXPECT_NEAR(m.outer_radius, 11e-3, 1e-15);
  // pi [(7^2 - 5^2) 10 + 10 (10^2 + 10 11 + 11^2) / 3 - 8^2 5 - 6^2 5] mm^3.
  EXPECT_NEAR(m.volume, std::numbers::pi * (240.0 + 3310.0 / 3.0 - 500.0) * 1e-9, 1e-21);

  // One section: a tube; equal radii merge into one edge.
  const Metal tube = metal(Profile{{{10e-3, 5e-3}, {10e-3, 5e-3}}}, 1e-3);
  EXPECT_EQ(tube.outline.size(), 4u);
  EXPECT_NEAR(tube.volume, std::numbers::pi * (36.0 - 25.0) * 20.0 * 1e-9, 1e-21);

  EXPECT_THROW((void)metal(profile, 0.0), InvalidInput);
  EXPECT_THROW((void)metal(profile, INFINITY), InvalidInput);
  EXPECT_THROW((void)metal(Profile{}, 1e-3), InvalidInput);
}

// The skin's radius at z, from the outline's points after the aperture.
double skin_at(const Metal& m, std::size_t aperture_index, double z, bool after) {
  for (std::size_t i = aperture_index; i + 1 < m.outline.size(); ++i) {
    const Point& a = m.outline[i];
    const Point& b = m.outline[i + 1];
    if (a.z == b.z) continue;  // radial
    const double lo = std::min(a.z, b.z);
    const double hi = std::max(a.z, b.z);
    if ((after && z >= lo && z < hi) || (!after && z > lo && z <= hi)) return a.r + (b.r - a.r) * (z - a.z) / (b.z - a.z);
  }
  return NAN;
}

void expect_skin_clears(const Profile& profile, double wall) {
  const Metal m = metal(profile, wall);
  // The inner outline ends where the aperture face begins: the first point at the full length
  // whose successor is on the skin.
  std::size_t aperture = 0;
  while (m.outline[aperture].z < profile.length() || m.outline[aperture].r < profile.sections.back().radius) ++aperture;
  ++aperture;
  double least = INFINITY;
  double z = 0.0;
  for (const Section& s : profile.sections) {
    const double clearance = std::min(skin_at(m, aperture, z, true), skin_at(m, aperture, z + s.length, false)) - s.radius;
    EXPECT_GE(clearance, wall * (1.0 - 1e-12));
    least = std::min(least, clearance);
    z += s.length;
  }
  EXPECT_NEAR(least, wall, 1e-15);
  // The cone: its slope is the flare's.
  const Point& end = m.outline[aperture];
  const Point& start = m.outline[aperture + 1];
  const Parameters& p = *profile.parameters;
  EXPECT_NEAR((end.r - start.r) / (end.z - start.z), (p.aperture_radius - p.input_radius) / p.flare_length, 1e-12);
  EXPECT_NEAR(start.z, p.flare_start, 1e-15);
  // Only positive volume between the walls, and the volume is that of the skin less the bore.
  double bore = 0.0;
  for (const Section& s : profile.sections) bore += std::numbers::pi * s.radius * s.radius * s.length;
  double skin = 0.0;
  for (std::size_t i = aperture; i + 1 < m.outline.size(); ++i) {
    const Point& a = m.outline[i];
    const Point& b = m.outline[i + 1];
    skin += std::numbers::pi * (a.z - b.z) * (a.r * a.r + a.r * b.r + b.r * b.r) / 3.0;
  }
  EXPECT_NEAR(m.volume, skin - bore, 1e-12 * m.volume);
}

TEST(ProfileMetal, SkinOfGeneratedHorns) {
  expect_skin_clears(generate({30e-3, 120e-3}, {10.7e9, 12.75e9}), 2e-3);
  expect_skin_clears(generate({19.9e-3, 99.5e-3}, {30e9, 30e9}), 1e-3);
  // The converter in a cylinder has a cylindrical skin clearing its deepest slot, 10.49 mm.
  const Profile small = generate({15.4e-3, 47.6e-3}, {12e9, 12e9});
  expect_skin_clears(small, 2e-3);
  const Metal m = metal(small, 2e-3);
  bool found = false;
  for (const Point& point : m.outline) found = found || std::fabs(point.r - (small.slots[0].slot_radius + 2e-3)) < 1e-15;
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace zavolt::profile
