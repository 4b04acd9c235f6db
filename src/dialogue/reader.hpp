// The console's free-form reader: the report file name and the numeric answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zavolt {

// The console input as the reader sees it: lines without their line end.
class LineSource {
public:
  virtual ~LineSource() = default;
  // The next line, or nullopt at end of input. The view stays valid until the next call.
  virtual std::optional<std::string_view> next_line() = 0;
};

inline constexpr std::size_t kNameFieldWidth = 70;

// One line, cut or padded with blanks to 70 characters. End of input: IoFailure 24.
[[nodiscard]] std::string read_name_field(LineSource& console);

// A variable of a free-form read: the one integer, or a real.
using Variable = std::variant<std::int32_t*, float*>;

// Reads the variables in one free-form read starting on the next line; a variable for which no
// value is given keeps its value. Throws IoFailure 24 (end of input), 59 or 64.
void read_values(LineSource& console, std::span<const Variable> variables);
void read_values(LineSource& console, std::int32_t& integer);
void read_values(LineSource& console, float& first, float& second);
void read_values(LineSource& console, float& first, float& second, float& third);

}  // namespace zavolt
