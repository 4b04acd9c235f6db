// Fixed-point fields.
#pragma once

#include <string>

namespace zavolt {

// The widest field and the most decimals a fixed-point field may have.
inline constexpr int kMostFieldWidth = 18;
inline constexpr int kMostFieldDecimals = 9;

// Appends `value` in exactly `width` columns with `decimals` digits after the point, right-justified.
// The value is rounded from its exact binary value, halfway cases to the even last digit. Every
// value below zero shows a minus sign, also one that rounds to zero ("-0.00"); -0.0 shows as zero.
// A zero integer part shows as "0" when there is room for it. Too wide a value fills the field with
// asterisks. Non-finite values: "Infinity" (or "Inf" when narrower than 8), "-Infinity" (or
// "-Inf" when narrower than 9), "NaN", else asterisks.
void append_fixed(std::string& out, float value, int width, int decimals);

// The same field written into the `width` characters at `out`, without allocating; returns the
// end of the field.
char* format_fixed(char* out, float value, int width, int decimals) noexcept;

[[nodiscard]] std::string render_fixed(float value, int width, int decimals);

}  // namespace zavolt
