// The two places where precision changes.
//
// Every stored quantity is a binary32 float; every formula is evaluated in binary64 from its float
// operands. A float variable is a stored value, a formula is a double expression over wide()
// operands, and each to_f32() is one rounding that the arithmetic prescribes: there is no other.
#pragma once

#include <cfloat>
#include <limits>

namespace zavolt {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);
static_assert(FLT_EVAL_METHOD == 0, "float and double expressions must be evaluated in their own type");

[[nodiscard]] constexpr double wide(float v) noexcept { return static_cast<double>(v); }
[[nodiscard]] constexpr float to_f32(double v) noexcept { return static_cast<float>(v); }

}  // namespace zavolt
