// The horn as built, drawn: a dimensioned half-section of the metal, PLplot SVG on the plots' page.
#pragma once

#include <string>

#include "horn/units.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {

// The metal in half-section above the axis, at one scale along and across it, the mode
// converter's slots shaded, the axis and the aperture plane marked, and the total length, the
// aperture radius and the input radius dimensioned in `unit`. Returns the SVG document.
[[nodiscard]] std::string profile_drawing_svg(const profile::Profile& profile, const profile::Metal& metal, Unit unit);

}  // namespace zavolt::horn
