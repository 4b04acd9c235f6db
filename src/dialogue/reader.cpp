#include "dialogue/reader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "dialogue/decimal.hpp"
#include "dialogue/failure.hpp"

namespace zavolt {

namespace {

// Saturation points: far beyond any count of variables and any exponent that can still give a
// finite nonzero value. A run of digits of any length saturates there: see saturated_decimal().
constexpr std::uint64_t kRepeatCountLimit = std::uint64_t{1} << 62;
constexpr std::uint64_t kExponentLimit = std::uint64_t{1} << 56;

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value of a run of decimal digits, or `limit` when it is larger. The test comes before the
// multiplication, so no digit string, however long, can wrap the count around.
constexpr std::uint64_t saturated_decimal(std::string_view digits, std::uint64_t limit) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  return value;
}
static_assert(saturated_decimal("36893488147419103233", kRepeatCountLimit) == kRepeatCountLimit);
static_assert(saturated_decimal("4611686018427387903", kRepeatCountLimit) == kRepeatCountLimit - 1);
constexpr bool is_sign(char c) { return c == '+' || c == '-'; }

constexpr bool is_exponent_letter(char c) {
  switch (c) {
    case 'E': case 'e': case 'D': case 'd': case 'Q': case 'q': return true;
    default: return false;
  }
}

// The console input of one read, taken character by character across lines. It starts before the
// next line: nothing of an earlier read's line is left to it.
class FreeFormInput {
public:
  explicit FreeFormInput(LineSource& console) : console_(console) {}

  // The first character that is not a blank, a tab or a line end, left in place.
  char skip_blanks() {
    for (;;) {
      const std::size_t at = rest_.find_first_not_of(" \t");
      if (at != std::string_view::npos) {
        rest_.remove_prefix(at);
        return rest_.front();
      }
      read_line();
    }
  }

  void skip_character() { rest_.remove_prefix(1); }

  // Up to the next blank, tab, comma, slash or line end; valid until the next line is read.
  std::string_view take_token() {
    const std::size_t end = std::min(rest_.find_first_of(" \t,/"), rest_.size());
    const std::string_view token = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return token;
  }

  void read_line() {
    const std::optional<std::string_view> line = console_.next_line();
    if (!line) fail_console_input(kEndOfFile);
    rest_ = *line;
  }

private:
  LineSource& console_;
  std::string_view rest_;
};

// "r*value" or "r*" stands for r values or r nulls; any other token for itself once.
struct RepeatedToken {
  std::uint64_t count;
  std::string_view value;  // empty for nulls
};

RepeatedToken split_repeat_count(std::string_view token) {
  const std::size_t star = token.find_first_not_of("0123456789");
  if (star == 0 || star == std::string_view::npos || token[star] != '*') return {1, token};
  const std::uint64_t count = saturated_decimal(token.substr(0, star), kRepeatCountLimit);
  if (count == 0) fail_console_input(kSyntaxError);
  return {count, token.substr(star + 1)};
}

bool is_truth_token(std::string_view token) {
  const std::size_t letter = token.starts_with('.') ? 1 : 0;
  if (letter >= token.size()) return false;
  switch (token[letter]) {
    case 'T': case 't': case 'F': case 'f': return true;
    default: return false;
  }
}

bool truth_of(std::string_view token) {
  const char letter = token.starts_with('.') ? token[1] : token[0];
  return letter == 'T' || letter == 't';
}

// The characters a number token may hold and the orders they may not come in.
void check_number_characters(std::string_view token) {
  bool seen_digit = false;
  bool seen_point = false;
  bool seen_letter = false;
  char previous = '\0';
  for (const char c : token) {
    if (is_digit(c)) {
      seen_digit = true;
    } else if (is_sign(c)) {
      if (is_sign(previous)) fail_console_input(kSyntaxError);
    } else if (c == '.') {
      if (seen_point) fail_console_input(kSyntaxError);
      seen_point = true;
    } else if (is_exponent_letter(c)) {
      if (seen_letter || !seen_digit || is_sign(previous)) fail_console_input(kSyntaxError);
      seen_letter = true;
    } else {
      fail_console_input(kSyntaxError);
    }
    previous = c;
  }
  if (!seen_digit || is_sign(previous)) fail_console_input(kSyntaxError);
}

// A number token cut into its parts: [sign] digits [. digits] [letter [sign] digits | sign digits].
struct NumberParts {
  bool negative = false;
  std::string_view integer_digits;
  std::string_view fraction_digits;
  bool has_point = false;
  bool has_exponent_letter = false;
  bool has_exponent = false;
  bool exponent_negative = false;
  std::string_view exponent_digits;
};

class NumberShapeParser {
public:
  explicit NumberShapeParser(std::string_view token) : token_(token) {}

  // Error 64 unless the whole token is one complete number.
  NumberParts parse() {
    NumberParts parts;
    parts.negative = take_sign();
    parts.integer_digits = take_digits();
    parts.has_point = take('.');
    if (parts.has_point) parts.fraction_digits = take_digits();
    if (parts.integer_digits.empty() && parts.fraction_digits.empty()) fail_console_input(kConversionError);
    parts.has_exponent_letter = at_end() ? false : is_exponent_letter(token_[at_]);
    if (parts.has_exponent_letter) ++at_;
    parts.has_exponent = parts.has_exponent_letter || (!at_end() && is_sign(token_[at_]));
    if (parts.has_exponent) {
      parts.exponent_negative = take_sign();
      parts.exponent_digits = take_digits();
      if (parts.exponent_digits.empty()) fail_console_input(kConversionError);
    }
    if (!at_end()) fail_console_input(kConversionError);
    return parts;
  }

private:
  [[nodiscard]] bool at_end() const { return at_ == token_.size(); }

  bool take(char c) {
    if (at_end() || token_[at_] != c) return false;
    ++at_;
    return true;
  }

  // True for a minus sign.
  bool take_sign() {
    if (take('-')) return true;
    take('+');
    return false;
  }

  std::string_view take_digits() {
    const std::size_t start = at_;
    while (!at_end() && is_digit(token_[at_])) ++at_;
    return token_.substr(start, at_ - start);
  }

  std::string_view token_;
  std::size_t at_ = 0;
};

std::int64_t saturated_exponent(const NumberParts& parts) {
  const auto magnitude = static_cast<std::int64_t>(saturated_decimal(parts.exponent_digits, kExponentLimit));
  return parts.exponent_negative ? -magnitude : magnitude;
}

// The token's value as digits * 10^exponent; `digits` must outlive the result.
DecimalNumber decimal_number(const NumberParts& parts, const std::string& digits) {
  const auto fraction_length = static_cast<std::int64_t>(parts.fraction_digits.size());
  return {parts.negative, digits, saturated_exponent(parts) - fraction_length};
}

std::string all_digits(const NumberParts& parts) {
  std::string digits(parts.integer_digits);
  digits.append(parts.fraction_digits);
  return digits;
}

float real_value(const NumberParts& parts) {
  const std::string digits = all_digits(parts);
  return nearest_f32(decimal_number(parts, digits));
}

// [sign]digits, exactly; error 64 outside the 32-bit range.
std::int32_t exact_integer(const NumberParts& parts) {
  constexpr std::size_t kMostDigits = 10;
  const std::size_t first = parts.integer_digits.find_first_not_of('0');
  const std::string_view digits =
      first == std::string_view::npos ? std::string_view{} : parts.integer_digits.substr(first);
  if (digits.size() > kMostDigits) fail_console_input(kConversionError);
  std::int64_t magnitude = 0;
  for (const char c : digits) magnitude = magnitude * 10 + (c - '0');
  const std::int64_t value = parts.negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    fail_console_input(kConversionError);
  }
  return static_cast<std::int32_t>(value);
}

// Through binary64, truncated to a 64-bit integer whose low 32 bits are kept; 0 beyond 64 bits.
std::int32_t wrapped_integer(const NumberParts& parts) {
  constexpr double kTwoToThe63 = 9223372036854775808.0;
  const std::string digits = all_digits(parts);
  const double value = std::trunc(nearest_f64(decimal_number(parts, digits)));
  if (!(value >= -kTwoToThe63 && value < kTwoToThe63)) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(value)));
}

std::int32_t integer_value(const NumberParts& parts) {
  if (parts.has_point || parts.has_exponent_letter) return wrapped_integer(parts);
  if (parts.has_exponent) fail_console_input(kConversionError);  // "2+1" is no integer form
  return exact_integer(parts);
}

// One value as typed, checked when it is reached and converted once for each kind of variable.
class Datum {
public:
  explicit Datum(std::string_view token) {
    if (is_truth_token(token)) {
      truth_ = truth_of(token);
    } else {
      check_number_characters(token);
      number_ = NumberShapeParser(token).parse();
    }
  }

  void store_in(const Variable& variable) {
    if (std::int32_t* const* integer = std::get_if<std::int32_t*>(&variable)) {
      **integer = as_integer();
    } else {
      *std::get<float*>(variable) = as_real();
    }
  }

private:
  std::int32_t as_integer() {
    if (truth_) return *truth_ ? -1 : 0;
    if (!integer_) integer_ = integer_value(number_);
    return *integer_;
  }

  float as_real() {
    if (truth_) return *truth_ ? -1.0f : 0.0f;
    if (!real_) real_ = real_value(number_);
    return *real_;
  }

  std::optional<bool> truth_;
  NumberParts number_;
  std::optional<std::int32_t> integer_;
  std::optional<float> real_;
};

}  // namespace

std::string read_name_field(LineSource& console) {
  const std::optional<std::string_view> line = console.next_line();
  if (!line) fail_console_input(kEndOfFile);
  std::string field(line->substr(0, kNameFieldWidth));
  field.resize(kNameFieldWidth, ' ');
  return field;
}

void read_values(LineSource& console, std::span<const Variable> variables) {
  FreeFormInput input(console);
  if (variables.empty()) {
    input.read_line();  // a read without variables still uses up a line
    return;
  }
  std::size_t next = 0;
  // After a value a comma is that value's separator; anywhere else it stands for a null.
  bool comma_closes_value = false;
  while (next < variables.size()) {
    const char c = input.skip_blanks();
    if (c == '/') return;
    if (c == ',') {
      input.skip_character();
      if (!comma_closes_value) ++next;
      comma_closes_value = false;
      continue;
    }
    const RepeatedToken token = split_repeat_count(input.take_token());
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(token.count, variables.size() - next));
    if (token.value.empty()) {
      next += count;
    } else {
      Datum datum(token.value);
      for (std::size_t i = 0; i < count; ++i) datum.store_in(variables[next++]);
    }
    comma_closes_value = true;
  }
}

void read_values(LineSource& console, std::int32_t& integer) {
  const std::array<Variable, 1> variables{Variable{&integer}};
  read_values(console, variables);
}

void read_values(LineSource& console, float& first, float& second) {
  const std::array<Variable, 2> variables{Variable{&first}, Variable{&second}};
  read_values(console, variables);
}

void read_values(LineSource& console, float& first, float& second, float& third) {
  const std::array<Variable, 3> variables{Variable{&first}, Variable{&second}, Variable{&third}};
  read_values(console, variables);
}

}  // namespace zavolt
