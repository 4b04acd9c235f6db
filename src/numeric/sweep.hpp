// The points of a start, stop, step sweep, as the dialogue counts and computes them.
#pragma once

#include <cstdint>

namespace zavolt {

// Number of points of a sweep: (stop - start) / step + 1.4 in double, truncated. A count that is
// NaN or outside the 32-bit signed range gives no points.
[[nodiscard]] std::int32_t sweep_count(float start, float stop, float step);

// Point `index` (one-based) of a sweep: (index - 1) * step + start, computed afresh, stored.
[[nodiscard]] float sweep_value(std::int64_t index, float start, float step);

}  // namespace zavolt
