#include "dialogue/render.hpp"

#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
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

Uint128 power_of_ten(int n) {
  Uint128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// |value| * 10^decimals rounded to an integer, halfway cases to even; |value| < 10^18.
Uint128 scaled_magnitude(float value, int decimals) {
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(static_cast<double>(value)), &exponent);
  // value = mantissa * 2^shift with a 24-bit integer mantissa.
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
  const int shift = exponent - 24;
  const Uint128 scaled = Uint128{mantissa} * power_of_ten(decimals);
  if (shift >= 0) return scaled << shift;
  const int right = -shift;
  if (right >= 100) return 0;  // scaled < 2^84: far below one half
  const Uint128 quotient = scaled >> right;
  const Uint128 remainder = scaled - (quotient << right);
  const Uint128 half = Uint128{1} << (right - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

// The decimal digits of n, most significant first, at least `minimum` of them (zeros in front),
// written to the end of `buffer`.
std::string_view decimal_digits(Uint128 n, std::size_t minimum, std::array<char, 40>& buffer) {
  std::size_t at = buffer.size();
  if (n <= UINT64_MAX) {  // the usual case, without 128-bit divisions
    for (auto small = static_cast<std::uint64_t>(n); small != 0; small /= 10) {
      buffer[--at] = static_cast<char>('0' + small % 10);
    }
  } else {
    for (; n != 0; n /= 10) buffer[--at] = static_cast<char>('0' + static_cast<int>(n % 10));
  }
  while (buffer.size() - at < minimum) buffer[--at] = '0';
  return {buffer.data() + at, buffer.size() - at};
}

void append_right_justified(std::string& out, std::string_view text, int width) {
  const auto w = static_cast<std::size_t>(width);
  if (text.size() > w) {
    out.append(w, '*');
    return;
  }
  out.append(w - text.size(), ' ');
  out.append(text);
}

std::string_view non_finite_text(float value, int width) {
  if (std::isnan(value)) return "NaN";
  if (value > 0.0f) return width >= 8 ? "Infinity" : "Inf";
  return width >= 9 ? "-Infinity" : "-Inf";
}

}  // namespace

void append_fixed(std::string& out, float value, int width, int decimals) {
  assert(width >= 1 && width <= kMostFieldWidth && decimals >= 0 && decimals <= kMostFieldDecimals);
  if (!std::isfinite(value)) {
    append_right_justified(out, non_finite_text(value, width), width);
    return;
  }
  if (std::fabs(static_cast<double>(value)) >= kPowersOfTen[static_cast<std::size_t>(width)]) {
    out.append(static_cast<std::size_t>(width), '*');
    return;
  }
  // |value| * 10^d < 10^27: at most 27 digits, at least one of them before the point.
  std::array<char, 40> buffer;
  const auto d = static_cast<std::size_t>(decimals);
  const std::string_view digits = decimal_digits(scaled_magnitude(value, decimals), d + 1, buffer);
  std::string_view whole = digits.substr(0, digits.size() - d);
  const std::string_view fraction = digits.substr(digits.size() - d);
  const std::string_view sign = value < 0.0f ? "-" : "";
  if (whole == "0" && sign.size() + 1 + 1 + d > static_cast<std::size_t>(width)) whole = {};  // no room for it
  std::string text;
  text.append(sign).append(whole).append(1, '.').append(fraction);
  append_right_justified(out, text, width);
}

std::string render_fixed(float value, int width, int decimals) {
  std::string out;
  append_fixed(out, value, width, decimals);
  return out;
}

}  // namespace zavolt
