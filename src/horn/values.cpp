#include "horn/values.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "numeric/fp.hpp"

namespace zavolt::horn {

namespace {

// A point beyond stop by at most this many steps still belongs to the range: it absorbs the
// binary64 error of (stop - start) / step, about 1e-16 of the point count.
constexpr double kStopTolerance = 1e-6;

constexpr std::int64_t kExactIntegers = std::int64_t{1} << 53;  // every integer up to here is a double

// Powers of ten that are exact binary64 values.
constexpr std::array<double, 23> kExactPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_folded(std::string_view text, std::string_view word) {
  return text.size() == word.size() &&
         std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) { return lower(a) == b; });
}

// A decimal as sign, significant digits and a power of ten; nullopt for inf and nan.
struct DecimalParts {
  bool negative = false;
  std::string digits;  // without leading zeros; empty for zero
  std::int64_t exponent = 0;
};

// Checks the grammar of one number and splits a finite one into its parts. nullopt from the outer
// optional: not a number at all.
std::optional<std::optional<DecimalParts>> split_number(std::string_view t) {
  DecimalParts parts;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) parts.negative = t[i++] == '-';
  const std::string_view rest = t.substr(i);
  if (equals_folded(rest, "inf") || equals_folded(rest, "infinity") || equals_folded(rest, "nan")) {
    return std::optional<DecimalParts>{};
  }
  std::string mantissa;
  std::int64_t fraction_digits = 0;
  bool any_digit = false;
  while (i < t.size() && is_digit(t[i])) {
    mantissa += t[i++];
    any_digit = true;
  }
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && is_digit(t[i])) {
      mantissa += t[i++];
      ++fraction_digits;
      any_digit = true;
    }
  }
  if (!any_digit) return std::nullopt;
  std::int64_t exponent = 0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) exponent_negative = t[i++] == '-';
    if (i == t.size()) return std::nullopt;
    constexpr std::int64_t kSaturated = 1'000'000'000;  // far beyond any binary64 exponent
    while (i < t.size() && is_digit(t[i])) {
      exponent = exponent > kSaturated / 10 ? kSaturated : exponent * 10 + (t[i] - '0');
      ++i;
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (i != t.size()) return std::nullopt;
  const std::size_t first = mantissa.find_first_not_of('0');
  parts.digits = first == std::string::npos ? std::string{} : mantissa.substr(first);
  parts.exponent = exponent - fraction_digits;
  return std::optional<DecimalParts>{std::move(parts)};
}

// The decimal as an integer times a power of ten when the integer fits in 18 digits.
std::optional<std::pair<std::int64_t, std::int64_t>> as_integer(const DecimalParts& parts) {
  std::string digits = parts.digits;
  std::int64_t exponent = parts.exponent;
  while (!digits.empty() && digits.back() == '0') {  // 12.50 is 125e-1
    digits.pop_back();
    ++exponent;
  }
  if (digits.size() > 18) return std::nullopt;
  std::int64_t m = 0;
  for (const char c : digits) m = m * 10 + (c - '0');
  if (digits.empty()) exponent = 0;
  return std::pair{parts.negative ? -m : m, exponent};
}

// m * 10^k for k >= 0 when it stays within 2^53.
std::optional<std::int64_t> scale_up(std::int64_t m, std::int64_t k) {
  for (; k > 0; --k) {
    if (m > kExactIntegers / 10 || m < -kExactIntegers / 10) return std::nullopt;
    m *= 10;
  }
  return m;
}

}  // namespace

TypedNumber parse_number(std::string_view text) {
  if (!split_number(text)) throw ValueSyntax("must be a number");
  // The grammar is a subset of strtod's; the token is NUL-terminated for it. Out-of-range
  // decimals give the infinity or the (subnormal or zero) nearest value, as they should.
  TypedNumber number{std::string(text), 0.0, 0.0f};
  number.value = std::strtod(number.text.c_str(), nullptr);
  number.single = std::strtof(number.text.c_str(), nullptr);
  // No quantity here has a sign of zero, and a design at S = -0 would divide into a negative
  // infinite slant length: -0, and what rounds to it, reads as 0.
  if (number.value == 0.0) number.value = 0.0;
  if (number.single == 0.0f) number.single = 0.0f;
  return number;
}

ValueSequence parse_values(std::string_view text) {
  ValueSequence sequence;
  sequence.text_ = std::string(text);
  if (text.find(':') != std::string_view::npos) {
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
      const std::size_t colon = text.find(':', from);
      parts.push_back(text.substr(from, colon - from));
      if (colon == std::string_view::npos) break;
      from = colon + 1;
    }
    if (parts.size() != 3) throw ValueSyntax("must be START:STOP:STEP");
    for (const std::string_view part : parts) {
      try {
        sequence.numbers_.push_back(parse_number(part));
      } catch (const ValueSyntax&) {
        throw ValueSyntax("must be START:STOP:STEP");
      }
    }
    const double start = sequence.numbers_[0].value;
    const double stop = sequence.numbers_[1].value;
    const double step = sequence.numbers_[2].value;
    if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(step)) {
      throw ValueSyntax("must have a finite START, STOP and STEP");
    }
    if (step == 0.0) throw ValueSyntax("must have a non-zero STEP");
    const double steps = (stop - start) / step;
    if (steps < -kStopTolerance) throw ValueSyntax("must have a STEP leading from START to STOP");
    if (!(steps + kStopTolerance < static_cast<double>(kMostPoints))) {
      throw ValueSyntax(fmt::format("must have at most {} points", kMostPoints));
    }
    sequence.count_ = static_cast<std::size_t>(std::floor(steps + kStopTolerance)) + 1;
    sequence.range_.emplace();
    const auto start_parts = split_number(parts[0]);
    const auto step_parts = split_number(parts[2]);
    const auto start_integer = as_integer(**start_parts);
    const auto step_integer = as_integer(**step_parts);
    if (start_integer && step_integer) {
      const std::int64_t exponent = std::min(start_integer->second, step_integer->second);
      const auto start_scaled = scale_up(start_integer->first, start_integer->second - exponent);
      const auto step_scaled = scale_up(step_integer->first, step_integer->second - exponent);
      if (start_scaled && step_scaled && exponent >= -22 && exponent <= 22) {
        // The last numerator: start + (count - 1) step, all terms within 2^53 and 10^7.
        const std::int64_t spread = static_cast<std::int64_t>(sequence.count_ - 1);
        const bool step_fits = *step_scaled <= kExactIntegers / 10'000'000 &&
                               *step_scaled >= -kExactIntegers / 10'000'000;
        if (step_fits) {
          const std::int64_t last = *start_scaled + spread * *step_scaled;
          if (last <= kExactIntegers && last >= -kExactIntegers) {
            sequence.range_->scaled = ValueSequence::Scaled{*start_scaled, *step_scaled, static_cast<int>(exponent)};
          }
        }
      }
    }
    return sequence;
  }
  for (std::size_t from = 0;;) {
    const std::size_t comma = text.find(',', from);
    const std::string_view item = text.substr(from, comma - from);
    try {
      sequence.numbers_.push_back(parse_number(item));
    } catch (const ValueSyntax&) {
      throw ValueSyntax(sequence.numbers_.empty() && comma == std::string_view::npos
                            ? "must be a number, a comma list or START:STOP:STEP"
                            : "must be a comma list of numbers");
    }
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  sequence.count_ = sequence.numbers_.size();
  return sequence;
}

ValueSequence ValueSequence::of(const TypedNumber& number) {
  ValueSequence sequence;
  sequence.text_ = number.text;
  sequence.numbers_.push_back(number);
  sequence.count_ = 1;
  return sequence;
}

double ValueSequence::at(std::size_t i) const {
  if (!range_) return numbers_.at(i).value;
  if (const auto& s = range_->scaled) {
    const auto numerator = static_cast<double>(s->start + static_cast<std::int64_t>(i) * s->step);
    // One correctly rounded operation on exact operands: the nearest binary64 of the decimal.
    return s->exponent >= 0 ? numerator * kExactPowersOfTen[static_cast<std::size_t>(s->exponent)]
                            : numerator / kExactPowersOfTen[static_cast<std::size_t>(-s->exponent)];
  }
  return numbers_[0].value + static_cast<double>(i) * numbers_[2].value;
}

float ValueSequence::single_at(std::size_t i) const {
  if (!range_) return numbers_.at(i).single;
  return to_f32(static_cast<double>(i) * wide(numbers_[2].single) + wide(numbers_[0].single));
}

std::string shortest(double value) { return fmt::format("{}", value); }

}  // namespace zavolt::horn
