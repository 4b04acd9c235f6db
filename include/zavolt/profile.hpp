// The horn as built: an axisymmetric profile as a staircase of uniform circular waveguide sections
// along the axis z, from the input port (z = 0) to the aperture plane.
//
// One value serves every consumer: the generator makes it, the CSV reader reads it, the drawing and
// the solid are made from it and the mode-matching solver analyses it. None of them rebuilds it.
//
// Units. Lengths in metres.
#pragma once

#include <vector>

namespace zavolt::profile {

// A uniform circular guide: its length along the axis and its radius, both positive and finite.
struct Section {
  double length = 0.0;
  double radius = 0.0;
};

// The staircase: the first section is the input guide, the last one ends in the aperture plane.
// Consecutive sections may have the same radius (a smooth wall cut in steps).
struct Profile {
  std::vector<Section> sections;
};

}  // namespace zavolt::profile
