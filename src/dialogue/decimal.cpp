#include "dialogue/decimal.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <compare>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace zavolt {

namespace {

// Every halfway point between two adjacent binary64 values has at most 767 significant digits, so
// the first 800 digits plus one nonzero stand-in for the rest compare with every rounding boundary
// exactly as the full value does.
constexpr std::size_t kKeptDigits = 800;

// Far beyond any digit count that fits in memory, so clamping to it never changes a result.
constexpr std::int64_t kExponentClamp = std::int64_t{1} << 60;

// An unsigned integer of any size, least significant 32-bit word first, without leading zero words.
class BigUnsigned {
public:
  explicit BigUnsigned(std::uint32_t value) {
    if (value != 0) words_.push_back(value);
  }

  static BigUnsigned from_digits(std::string_view digits) {
    BigUnsigned n(0);
    constexpr std::size_t kChunk = 9;
    for (std::size_t at = 0; at < digits.size(); at += kChunk) {
      const std::string_view chunk = digits.substr(at, kChunk);
      std::uint32_t value = 0;
      for (const char c : chunk) value = value * 10 + static_cast<std::uint32_t>(c - '0');
      n.multiply_add(power_of_ten(chunk.size()), value);
    }
    return n;
  }

  void multiply_by_power_of_ten(std::int64_t exponent) {
    for (; exponent >= 9; exponent -= 9) multiply_add(power_of_ten(9), 0);
    multiply_add(power_of_ten(static_cast<std::size_t>(exponent)), 0);
  }

  void shift_left(int bits) {
    if (words_.empty() || bits == 0) return;
    const auto word_shift = static_cast<std::size_t>(bits / 32);
    const int bit_shift = bits % 32;
    if (bit_shift != 0) {
      std::uint32_t carry = 0;
      for (std::uint32_t& word : words_) {
        const std::uint32_t next_carry = word >> (32 - bit_shift);
        word = (word << bit_shift) | carry;
        carry = next_carry;
      }
      if (carry != 0) words_.push_back(carry);
    }
    words_.insert(words_.begin(), word_shift, 0);
  }

  void shift_right_one() {
    for (std::size_t i = 0; i < words_.size(); ++i) {
      const std::uint32_t high = i + 1 < words_.size() ? words_[i + 1] << 31 : 0;
      words_[i] = (words_[i] >> 1) | high;
    }
    trim();
  }

  // Requires *this >= smaller.
  void subtract(const BigUnsigned& smaller) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < words_.size(); ++i) {
      const std::uint64_t take = borrow + (i < smaller.words_.size() ? smaller.words_[i] : 0);
      const std::uint64_t word = words_[i];
      borrow = word < take ? 1 : 0;
      words_[i] = static_cast<std::uint32_t>(word + (borrow << 32) - take);
    }
    trim();
  }

  [[nodiscard]] bool is_zero() const { return words_.empty(); }

  [[nodiscard]] int bit_length() const {
    if (words_.empty()) return 0;
    return static_cast<int>(32 * (words_.size() - 1)) + std::bit_width(words_.back());
  }

  friend std::strong_ordering operator<=>(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.words_.size() != b.words_.size()) return a.words_.size() <=> b.words_.size();
    for (std::size_t i = a.words_.size(); i-- > 0;) {
      if (a.words_[i] != b.words_[i]) return a.words_[i] <=> b.words_[i];
    }
    return std::strong_ordering::equal;
  }

private:
  static std::uint32_t power_of_ten(std::size_t exponent) {
    std::uint32_t p = 1;
    for (std::size_t i = 0; i < exponent; ++i) p *= 10;
    return p;
  }

  void multiply_add(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& word : words_) {
      const std::uint64_t product = std::uint64_t{word} * factor + carry;
      word = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
  }

  void trim() {
    while (!words_.empty() && words_.back() == 0) words_.pop_back();
  }

  std::vector<std::uint32_t> words_;
};

struct BinaryFormat {
  int precision;              // significand bits, the leading one included
  int min_exponent;           // weight of the last significand bit of a subnormal
  int max_exponent;           // weight of the last significand bit of the largest finite value
  std::int64_t max_point;     // above: the value is at least 10^max_point, beyond every finite one
  std::int64_t min_point;     // below: the value is under 10^(min_point - 1), below half the smallest
};

// 10^39 exceeds 3.4e38 and 10^-46 is under 2^-150 (7.0e-46).
constexpr BinaryFormat kBinary32{24, -149, 104, 39, -45};
// 10^309 exceeds 1.8e308 and 10^-324 is under 2^-1075 (2.5e-324).
constexpr BinaryFormat kBinary64{53, -1074, 971, 309, -323};

// value = 0.digits * 10^point with a nonzero first digit.
struct Significand {
  std::string digits;
  std::int64_t point;
};

std::optional<Significand> significand_of(const DecimalNumber& number) {
  const std::size_t first = number.digits.find_first_not_of('0');
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view significant = number.digits.substr(first);
  const std::int64_t count = std::min(static_cast<std::int64_t>(significant.size()), kExponentClamp);
  const std::int64_t exponent = std::clamp(number.exponent, -kExponentClamp, kExponentClamp);
  Significand result{std::string(significant.substr(0, kKeptDigits)), exponent + count};
  if (significant.size() > kKeptDigits &&
      significant.find_first_not_of('0', kKeptDigits) != std::string_view::npos) {
    result.digits.push_back('1');  // the sticky digit: slightly more than the kept digits
  }
  return result;
}

enum class Remainder { kZero, kBelowHalf, kHalf, kAboveHalf };

// value = (significand + remainder) * 2^exponent, the significand of `precision` bits unless the
// value is subnormal.
struct Truncated {
  std::uint64_t significand;
  int exponent;
  Remainder remainder;
};

Remainder compare_with_half(BigUnsigned remainder, const BigUnsigned& divisor) {
  if (remainder.is_zero()) return Remainder::kZero;
  remainder.shift_left(1);
  const auto order = remainder <=> divisor;
  if (order < 0) return Remainder::kBelowHalf;
  return order == 0 ? Remainder::kHalf : Remainder::kAboveHalf;
}

// floor(dividend / divisor) for a quotient known to be below 2^bits; the dividend becomes the
// remainder.
std::uint64_t divide(BigUnsigned& dividend, BigUnsigned divisor, int bits) {
  divisor.shift_left(bits - 1);
  std::uint64_t quotient = 0;
  for (int bit = bits - 1; bit >= 0; --bit) {
    quotient <<= 1;
    if (dividend >= divisor) {
      dividend.subtract(divisor);
      quotient |= 1;
    }
    if (bit > 0) divisor.shift_right_one();
  }
  return quotient;
}

Truncated truncate(const Significand& value, const BinaryFormat& format) {
  const std::int64_t last_digit_exponent = value.point - static_cast<std::int64_t>(value.digits.size());
  BigUnsigned numerator = BigUnsigned::from_digits(value.digits);
  BigUnsigned denominator(1);
  if (last_digit_exponent >= 0) {
    numerator.multiply_by_power_of_ten(last_digit_exponent);
  } else {
    denominator.multiply_by_power_of_ten(-last_digit_exponent);
  }
  // numerator / denominator / 2^exponent lies in (2^(precision-1), 2^(precision+1)), or lower
  // when the subnormal limit raises the exponent.
  const int exponent = std::max(numerator.bit_length() - denominator.bit_length() - format.precision,
                                format.min_exponent);
  if (exponent < 0) {
    numerator.shift_left(-exponent);
  } else {
    denominator.shift_left(exponent);
  }
  const std::uint64_t quotient = divide(numerator, denominator, format.precision + 1);
  if (quotient >> format.precision == 0) {
    return {quotient, exponent, compare_with_half(numerator, denominator)};
  }
  // One bit too many: the dropped bit is the half, the remainder below it decides the rest.
  const bool dropped_half = (quotient & 1) != 0;
  const bool below_dropped = !numerator.is_zero();
  const Remainder remainder = dropped_half ? (below_dropped ? Remainder::kAboveHalf : Remainder::kHalf)
                                           : (below_dropped ? Remainder::kBelowHalf : Remainder::kZero);
  return {quotient >> 1, exponent + 1, remainder};
}

struct Rounded {
  std::uint64_t significand;
  int exponent;
};

Rounded round_to_nearest_even(const Truncated& value, int precision) {
  const bool up = value.remainder == Remainder::kAboveHalf ||
                  (value.remainder == Remainder::kHalf && (value.significand & 1) != 0);
  if (!up) return {value.significand, value.exponent};
  const std::uint64_t significand = value.significand + 1;
  if (significand >> precision != 0) return {significand >> 1, value.exponent + 1};
  return {significand, value.exponent};
}

enum class Range { kZero, kInfinite, kFinite };

Range range_of(const std::optional<Significand>& value, const BinaryFormat& format) {
  if (!value || value->point < format.min_point) return Range::kZero;
  return value->point > format.max_point ? Range::kInfinite : Range::kFinite;
}

// Not only what IEEE rounding takes to infinity: any value above the largest finite one.
bool exceeds_largest_binary32(const Truncated& value) {
  constexpr std::uint64_t kLargestSignificand = (std::uint64_t{1} << kBinary32.precision) - 1;
  if (value.exponent != kBinary32.max_exponent) return value.exponent > kBinary32.max_exponent;
  return value.significand == kLargestSignificand && value.remainder != Remainder::kZero;
}

float binary32_magnitude(const DecimalNumber& number) {
  const std::optional<Significand> value = significand_of(number);
  switch (range_of(value, kBinary32)) {
    case Range::kZero: return 0.0f;
    case Range::kInfinite: return std::numeric_limits<float>::infinity();
    case Range::kFinite: break;
  }
  const Truncated truncated = truncate(*value, kBinary32);
  if (exceeds_largest_binary32(truncated)) return std::numeric_limits<float>::infinity();
  const Rounded rounded = round_to_nearest_even(truncated, kBinary32.precision);
  return std::ldexp(static_cast<float>(rounded.significand), rounded.exponent);
}

double binary64_magnitude(const DecimalNumber& number) {
  const std::optional<Significand> value = significand_of(number);
  switch (range_of(value, kBinary64)) {
    case Range::kZero: return 0.0;
    case Range::kInfinite: return std::numeric_limits<double>::infinity();
    case Range::kFinite: break;
  }
  const Rounded rounded = round_to_nearest_even(truncate(*value, kBinary64), kBinary64.precision);
  if (rounded.exponent > kBinary64.max_exponent) return std::numeric_limits<double>::infinity();
  return std::ldexp(static_cast<double>(rounded.significand), rounded.exponent);
}

}  // namespace

float nearest_f32(const DecimalNumber& number) {
  const float magnitude = binary32_magnitude(number);
  return number.negative ? -magnitude : magnitude;
}

double nearest_f64(const DecimalNumber& number) {
  const double magnitude = binary64_magnitude(number);
  return number.negative ? -magnitude : magnitude;
}

}  // namespace zavolt
