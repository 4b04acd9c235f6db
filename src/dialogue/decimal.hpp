// Exact conversion of a decimal number to the nearest binary floating-point value.
#pragma once

#include <cstdint>
#include <string_view>

namespace zavolt {

// The value (-1)^negative * digits * 10^exponent, digits a run of decimal digits (any length,
// leading zeros allowed). The exponent saturates rather than overflows.
struct DecimalNumber {
  bool negative = false;
  std::string_view digits;
  std::int64_t exponent = 0;
};

// The nearest binary32, ties to even, straight from the exact value. Magnitudes above the largest
// binary32 (3.40282346638528859811704183484516925440e38) give an infinity of the sign, also those
// that IEEE rounding would bring down to the largest; below 2^-150 a zero of the sign.
[[nodiscard]] float nearest_f32(const DecimalNumber& number);

// The nearest binary64, ties to even (plain IEEE rounding, overflow to infinity).
[[nodiscard]] double nearest_f64(const DecimalNumber& number);

}  // namespace zavolt
