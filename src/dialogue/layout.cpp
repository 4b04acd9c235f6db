#include "dialogue/layout.hpp"

#include <cstddef>

#include "dialogue/render.hpp"

namespace zavolt {

namespace {

// The record being built: blanks are owed until something is placed after them.
class RecordBuilder {
public:
  void skip(int columns) { owed_blanks_ += static_cast<std::size_t>(columns); }
  std::string& place() {
    text_.append(owed_blanks_, ' ');
    owed_blanks_ = 0;
    return text_;
  }
  std::string_view text() const { return text_; }
  void clear() {
    text_.clear();
    owed_blanks_ = 0;
  }

private:
  std::string text_;
  std::size_t owed_blanks_ = 0;
};

void place_text(std::string& out, std::string_view value, int width) {
  const auto w = static_cast<std::size_t>(width);
  const std::string_view shown = value.substr(0, w);
  out.append(shown);
  out.append(w - shown.size(), ' ');
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
        record.place().append(element.text);
        break;
      case ElementKind::Fixed: {
        const FieldValue* value = take_value();
        const float* real = value ? std::get_if<float>(value) : nullptr;
        if (real) {
          append_fixed(record.place(), *real, element.width, element.decimals);
        } else {
          record.place().append(static_cast<std::size_t>(element.width), ' ');
        }
        break;
      }
      case ElementKind::Text: {
        const FieldValue* value = take_value();
        const std::string_view* text = value ? std::get_if<std::string_view>(value) : nullptr;
        place_text(record.place(), text ? *text : std::string_view{}, element.width);
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
