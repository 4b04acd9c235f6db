// The numbers an option takes: one number, a comma list, or a range START:STOP:STEP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zavolt::horn {

// A range never holds more points than this: a typo such as 1:1e9:1 is refused, not run for days.
inline constexpr std::size_t kMostPoints = 10'000'000;

// A number as typed: [sign] digits [. digits] [e [sign] digits], or inf, infinity or nan in any
// case. `value` is the nearest binary64 and `single` the nearest binary32 of the decimal, each
// converted straight from the text (a binary32 never passes through binary64). A zero, negative or
// not, is +0.
struct TypedNumber {
  std::string text;
  double value = 0.0;
  float single = 0.0f;
};

// A value text broken against the grammar. what() says what the option must be, in the words
// "<option> <what>, got <text>" complete.
class ValueSyntax : public std::invalid_argument {
public:
  using std::invalid_argument::invalid_argument;
};

// One number, a comma list of numbers, or START:STOP:STEP, whose points are start + i step for
// i = 0, 1, ... while the point lies before stop or within a millionth of a step beyond it.
//
// at(i) is the point for the model, in binary64: when start and step are short decimals the point
// is the binary64 nearest the exact decimal start + i step (so 10.7:12.75:0.05 gives the same 11.45
// as typing 11.45); otherwise start + i step in binary64. single_at(i) is the classic routines'
// point: float(i step + start) from binary32 start and step, the product and the sum in binary64.
class ValueSequence {
public:
  [[nodiscard]] std::size_t size() const noexcept { return count_; }
  [[nodiscard]] double at(std::size_t i) const;
  [[nodiscard]] float single_at(std::size_t i) const;
  [[nodiscard]] const std::string& text() const noexcept { return text_; }
  [[nodiscard]] bool is_range() const noexcept { return range_.has_value(); }
  // START, STOP, STEP of a range; the numbers of a list or of a single value.
  [[nodiscard]] const std::vector<TypedNumber>& numbers() const noexcept { return numbers_; }

  // The sequence of one number already read.
  [[nodiscard]] static ValueSequence of(const TypedNumber& number);

  friend ValueSequence parse_values(std::string_view text);

private:
  // Start and step as integers over a common power of ten: point i is
  // (start + i step) * 10^exponent exactly, with every numerator within 2^53.
  struct Scaled {
    std::int64_t start;
    std::int64_t step;
    int exponent;
  };

  std::string text_;
  std::vector<TypedNumber> numbers_;
  std::size_t count_ = 0;
  struct Range {
    std::optional<Scaled> scaled;
  };
  std::optional<Range> range_;
};

// Reads one number; throws ValueSyntax unless the whole text is one.
[[nodiscard]] TypedNumber parse_number(std::string_view text);

// Reads a single number, a comma list or START:STOP:STEP. Throws ValueSyntax for a malformed text,
// a range with a zero, infinite or NaN part, a step leading away from its stop, or one of more than
// kMostPoints points.
[[nodiscard]] ValueSequence parse_values(std::string_view text);

// The shortest text that reads back as the same binary64 ("11.45", "inf", "nan").
[[nodiscard]] std::string shortest(double value);

}  // namespace zavolt::horn
