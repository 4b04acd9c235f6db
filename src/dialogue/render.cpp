#include "dialogue/render.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zavolt {

namespace {

__extension__ using Uint128 = unsigned __int128;

// 10^0 .. 10^18, each exact in a double: a value at or above 10^w has more than w integer digits.
constexpr std::array<double, kMostFieldWidth + 1> kPowersOfTen = [] {
  std::array<double, kMostFieldWidth + 1> powers{};
  double p = 1.0;
  for (double& power : powers) {
    power = p;
    p *= 10.0;
  }
  return powers;
}();

// 10^0 .. 10^9: the scale of the decimals.
constexpr std::array<std::uint64_t, kMostFieldDecimals + 1> kDecimalScales = [] {
  std::array<std::uint64_t, kMostFieldDecimals + 1> scales{};
  std::uint64_t p = 1;
  for (std::uint64_t& scale : scales) {
    scale = p;
    p *= 10;
  }
  return scales;
}();

constexpr int kMantissaBits = 23;
constexpr int kExponentBias = 127;

// n / 2^right rounded to an integer, halfway cases to even; 1 <= right < the width of T.
template <typename T>
T shift_right_rounding_to_even(T n, int right) {
  const T quotient = n >> right;
  const T remainder = n - (quotient << right);
  const T half = T{1} << (right - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

// |value| * 10^decimals rounded to an integer, halfway cases to even; |value| < 10^18, finite.
// The value is mantissa * 2^shift with the integer mantissa of its binary32 encoding; the
// product with 10^decimals is exact in 64 bits (below 2^54), so only values of 2^24 and above,
// shifted left, need 128.
Uint128 scaled_magnitude(float value, int decimals) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto biased_exponent = static_cast<int>((bits >> kMantissaBits) & 0xFF);
  const std::uint32_t fraction = bits & ((1u << kMantissaBits) - 1);
  const std::uint32_t mantissa = biased_exponent == 0 ? fraction : fraction | (1u << kMantissaBits);
  const int shift = (biased_exponent == 0 ? 1 : biased_exponent) - kExponentBias - kMantissaBits;
  const std::uint64_t scaled = std::uint64_t{mantissa} * kDecimalScales[static_cast<std::size_t>(decimals)];
  if (shift >= 0) return Uint128{scaled} << shift;
  if (-shift >= 64) return 0;  // scaled < 2^54: below one half
  return shift_right_rounding_to_even(scaled, -shift);
}

// Writes the decimal digits of n, most significant first, at least `minimum` of them (zeros in
// front), so that they end just before `end`; returns where they begin.
char* decimal_digits_before(char* end, Uint128 n, std::size_t minimum) {
  char* at = end;
  if (n <= UINT64_MAX) {  // the usual case, without 128-bit divisions
    for (auto small = static_cast<std::uint64_t>(n); small != 0; small /= 10) {
      *--at = static_cast<char>('0' + small % 10);
    }
  } else {
    for (; n != 0; n /= 10) *--at = static_cast<char>('0' + static_cast<int>(n % 10));
  }
  while (static_cast<std::size_t>(end - at) < minimum) *--at = '0';
  return at;
}

// `text` right-justified in `width` columns at `out`, or asterisks when it does not fit.
void place_right_justified(char* out, std::string_view text, std::size_t width) {
  if (text.size() > width) {
    std::memset(out, '*', width);
    return;
  }
  const std::size_t pad = width - text.size();
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text.data(), text.size());
}

std::string_view non_finite_text(float value, int width) {
  if (std::isnan(value)) return "NaN";
  if (value > 0.0f) return width >= 8 ? "Infinity" : "Inf";
  return width >= 9 ? "-Infinity" : "-Inf";
}

}  // namespace

char* format_fixed(char* out, float value, int width, int decimals) noexcept {
  assert(width >= 1 && width <= kMostFieldWidth && decimals >= 0 && decimals <= kMostFieldDecimals);
  const auto w = static_cast<std::size_t>(width);
  if (!std::isfinite(value)) {
    place_right_justified(out, non_finite_text(value, width), w);
    return out + w;
  }
  if (std::fabs(static_cast<double>(value)) >= kPowersOfTen[w]) {
    std::memset(out, '*', w);
    return out + w;
  }
  // |value| * 10^d < 10^27: at most 27 digits, at least one of them before the point, written to
  // the end of `text`; the last d of them are the fraction.
  std::array<char, 40> text;
  char* const end = text.data() + text.size();
  const auto d = static_cast<std::size_t>(decimals);
  const char* const whole = decimal_digits_before(end, scaled_magnitude(value, decimals), d + 1);
  const char* const fraction = end - d;
  const bool negative = value < 0.0f;
  const std::size_t sign = negative ? 1 : 0;
  std::size_t whole_digits = static_cast<std::size_t>(fraction - whole);
  // A zero integer part shows only when there is room for it.
  if (whole_digits == 1 && *whole == '0' && sign + 1 + 1 + d > w) whole_digits = 0;
  const std::size_t length = sign + whole_digits + 1 + d;
  if (length > w) {
    std::memset(out, '*', w);
    return out + w;
  }
  char* at = out;
  std::memset(at, ' ', w - length);
  at += w - length;
  if (negative) *at++ = '-';
  std::memcpy(at, fraction - whole_digits, whole_digits);
  at += whole_digits;
  *at++ = '.';
  std::memcpy(at, fraction, d);
  return at + d;
}

void append_fixed(std::string& out, float value, int width, int decimals) {
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(width));
  (void)format_fixed(out.data() + start, value, width, decimals);
}

std::string render_fixed(float value, int width, int decimals) {
  std::string out;
  append_fixed(out, value, width, decimals);
  return out;
}

}  // namespace zavolt
