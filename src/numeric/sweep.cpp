#include "numeric/sweep.hpp"

#include "numeric/fp.hpp"

namespace zavolt {

namespace {

// 1.4: a last point up to 0.4 step beyond stop still counts.
constexpr float kSweepMargin = 1.4f;
constexpr double kTwoTo31 = 2147483648.0;

}  // namespace

std::int32_t sweep_count(float start, float stop, float step) {
  const double count = (wide(stop) - wide(start)) / wide(step) + wide(kSweepMargin);
  // Truncation lands in 32 bits exactly for counts strictly between -2^31 - 1 and 2^31.
  if (!(count > -kTwoTo31 - 1.0 && count < kTwoTo31)) return 0;  // NaN or beyond 32 bits
  return static_cast<std::int32_t>(count);
}

float sweep_value(std::int64_t index, float start, float step) {
  return to_f32(static_cast<double>(index - 1) * wide(step) + wide(start));
}

}  // namespace zavolt
