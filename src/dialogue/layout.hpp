// Layouts: the prompts, headings and rows as data.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zavolt {

enum class ElementKind { RecordBreak, Blanks, Literal, Fixed, Text, OpenPrompt };

// One element of a layout. Blanks use `width` as their count; Fixed uses `width` and `decimals`;
// Text uses `width`; Literal uses `text`.
struct Element {
  ElementKind kind;
  int width = 0;
  int decimals = 0;
  std::string_view text = {};
};

[[nodiscard]] constexpr Element record_break() { return {ElementKind::RecordBreak}; }
[[nodiscard]] constexpr Element blanks(int count) { return {ElementKind::Blanks, count}; }
[[nodiscard]] constexpr Element literal(std::string_view text) { return {ElementKind::Literal, 0, 0, text}; }
[[nodiscard]] constexpr Element fixed(int width, int decimals) { return {ElementKind::Fixed, width, decimals}; }
[[nodiscard]] constexpr Element text_field(int width) { return {ElementKind::Text, width}; }
[[nodiscard]] constexpr Element open_prompt() { return {ElementKind::OpenPrompt}; }

using Layout = std::span<const Element>;

// A field's value: a real for a fixed-point field, a text for a text field.
using FieldValue = std::variant<float, std::string_view>;

// The most columns a record may have: records are built in a fixed buffer of this size.
inline constexpr std::size_t kLongestRecord = 160;

// The most columns that any record of `layout` can have, trailing blanks counted.
[[nodiscard]] constexpr std::size_t longest_record(Layout layout) {
  std::size_t longest = 0;
  std::size_t current = 0;
  for (const Element& element : layout) {
    if (element.kind == ElementKind::RecordBreak) {
      longest = std::max(longest, current);
      current = 0;
    } else {
      current += element.kind == ElementKind::Literal ? element.text.size() : static_cast<std::size_t>(element.width);
    }
  }
  return std::max(longest, current);
}

// Where a layout's records go, one at a time, as each is complete.
class RecordSink {
public:
  virtual ~RecordSink() = default;
  // A complete record.
  virtual void write_record(std::string_view record) = 0;
  // The last record of a layout that ends with an open prompt: the answer follows on its line.
  virtual void write_open_prompt(std::string_view record) = 0;
};

// Applies the layout to the values in order and sends each record to the sink. A write begins with
// an empty record; a record break ends the current record; the end of the layout ends the last
// one, unless an open prompt came. A record holds its characters up to its last literal or field:
// blank runs after them add nothing. A value of the wrong kind for its field renders as blanks.
// Records are built without allocating; a layout whose longest_record exceeds kLongestRecord
// throws std::length_error.
void write_layout(RecordSink& sink, Layout layout, std::span<const FieldValue> values = {});

}  // namespace zavolt
