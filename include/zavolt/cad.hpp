// The horn's metal as a solid for CAD and CAM tools: the half-section of zavolt::profile::metal()
// revolved a full turn about the axis.
//
// STEP: one solid, application protocol AP214, in millimetres. Its faces are planes, cylinders and
// cones, exact to the file's digits: the volume read back lies within 1e-9 relative of the outline's.
// STL: the same solid meshed by Open CASCADE's mesher, binary, in millimetres; each facet lies
// within the tolerance (chordal deviation) of the surface, so the volume within the surface area
// times the tolerance.
//
// Units. The profile and the wall in metres, the STL tolerance in metres.
//
// Errors. InvalidInput for a wall or tolerance that is not positive and finite, or a profile that
// validate() refuses; CadFailure when the solid cannot be built or the file cannot be written.
// Nothing is printed: the writers' progress messages are silenced.
//
// Threads. Open CASCADE's message and parameter settings are global: call these from one thread
// at a time.
#pragma once

#include <stdexcept>
#include <string>

#include "zavolt/profile.hpp"

namespace zavolt::cad {

class CadFailure : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

inline constexpr double kDefaultStlTolerance = 0.01e-3;

void write_step(const profile::Profile& profile, double wall, const std::string& path);
void write_stl(const profile::Profile& profile, double wall, double tolerance, const std::string& path);

}  // namespace zavolt::cad
