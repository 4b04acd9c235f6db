#include "dialogue/layout.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "dialogue/render.hpp"

namespace zavolt {

namespace {

// The record being built, in a fixed buffer: blanks are owed until something is placed after them.
class RecordBuilder {
public:
  void skip(int columns) { owed_blanks_ += static_cast<std::size_t>(columns); }

  // Room for `columns` more characters after the owed blanks, which are written first.
  char* place(std::size_t columns) {
    if (size_ + owed_blanks_ + columns > text_.size()) {
      throw std::length_error("a layout's record is longer than " + std::to_string(kLongestRecord) + " columns");
    }
    std::memset(text_.data() + size_, ' ', owed_blanks_);
    size_ += owed_blanks_;
    owed_blanks_ = 0;
    char* at = text_.data() + size_;
    size_ += columns;
    return at;
  }
  [[nodiscard]] std::string_view text() const { return {text_.data(), size_}; }
  void clear() {
    size_ = 0;
    owed_blanks_ = 0;
  }

private:
  std::array<char, kLongestRecord> text_;
  std::size_t size_ = 0;
  std::size_t owed_blanks_ = 0;
};

void place_text(RecordBuilder& record, std::string_view value, int width) {
  const auto w = static_cast<std::size_t>(width);
  const std::string_view shown = value.substr(0, w);
  char* at = record.place(w);
  std::memcpy(at, shown.data(), shown.size());
  std::memset(at + shown.size(), ' ', w - shown.size());
}

void place_fixed(RecordBuilder& record, const FieldValue* value, const Element& element) {
  const auto w = static_cast<std::size_t>(element.width);
  const float* real = value ? std::get_if<float>(value) : nullptr;
  char* at = record.place(w);
  if (real) {
    (void)format_fixed(at, *real, element.width, element.decimals);
  } else {
    std::memset(at, ' ', w);
  }
}

}  // namespace

void write_layout(RecordSink& sink, Layout layout, std::span<const FieldValue> values) {
  RecordBuilder record;
  std::size_t next_value = 0;
  auto take_value = [&]() -> const FieldValue* {
    return next_value < values.size() ? &values[next_value++] : nullptr;
  };
  bool prompt_open = false;
  for (const Element& element : layout) {
    switch (element.kind) {
      case ElementKind::RecordBreak:
        sink.write_record(record.text());
        record.clear();
        break;
      case ElementKind::Blanks:
        record.skip(element.width);
        break;
      case ElementKind::Literal:
        std::memcpy(record.place(element.text.size()), element.text.data(), element.text.size());
        break;
      case ElementKind::Fixed:
        place_fixed(record, take_value(), element);
        break;
      case ElementKind::Text: {
        const FieldValue* value = take_value();
        const std::string_view* text = value ? std::get_if<std::string_view>(value) : nullptr;
        place_text(record, text ? *text : std::string_view{}, element.width);
        break;
      }
      case ElementKind::OpenPrompt:
        prompt_open = true;
        break;
    }
  }
  if (prompt_open) {
    sink.write_open_prompt(record.text());
  } else {
    sink.write_record(record.text());
  }
}

}  // namespace zavolt
