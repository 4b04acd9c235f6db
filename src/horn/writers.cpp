#include "horn/writers.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace zavolt::horn {

namespace {

using Json = nlohmann::ordered_json;

// Narrow columns still line up under headings such as "S (wavelengths)".
constexpr std::size_t kLeastColumnWidth = 10;

bool missing(const Cell& cell) {
  return cell.kind() == Cell::Kind::Empty || (cell.kind() == Cell::Kind::Double && std::isnan(cell.value())) ||
         (cell.kind() == Cell::Kind::Single && std::isnan(cell.single()));
}

// ---------------------------------------------------------------------------------------------
// Text of the inputs for the table's head.

std::string joined_numbers(const std::vector<TypedNumber>& numbers) {
  std::string text;
  for (const TypedNumber& number : numbers) {
    if (!text.empty()) text += ", ";
    text += number.text;
  }
  return text;
}

std::string input_text(const Input& input) {
  const auto& numbers = input.values.numbers();
  std::string text = input.values.is_range() ? fmt::format("{} to {} step {}", numbers[0].text, numbers[1].text,
                                                           numbers[2].text)
                                             : joined_numbers(numbers);
  if (!input.unit.empty()) text += " " + input.unit;
  return text;
}

class TableWriter final : public RowWriter {
public:
  explicit TableWriter(Output& out) : out_(out) {}

  void begin(const ReportHead& head) override {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const Input& input : head.inputs) lines.emplace_back(input.label, input_text(input));
    for (const Summary& summary : head.summary) lines.emplace_back(summary.label, summary.text);
    lines.emplace_back("unit", head.unit);
    std::size_t label_width = 0;
    for (const auto& line : lines) label_width = std::max(label_width, line.first.size() + 1);
    if (head.model.empty()) {
      out_.write(fmt::format("zavolt-horn {}:\n", head.command));
    } else {
      out_.write(fmt::format("zavolt-horn {}: {} model, {} phase\n", head.command, head.model, head.phase));
    }
    for (const auto& [label, text] : lines) out_.write(fmt::format("  {:<{}} {}\n", label + ":", label_width, text));
    out_.write("\n");
    columns_ = head.columns;
    widths_.clear();
    std::string headings;
    for (const Column& column : columns_) {
      widths_.push_back(std::max(column.heading.size(), kLeastColumnWidth));
      headings += fmt::format("  {:>{}}", column.heading, widths_.back());
    }
    out_.write(headings + "\n");
  }

  void row(const Row& row) override {
    std::string line;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      line += fmt::format("  {:>{}}", table_number(row.cells.at(i), columns_[i].decimals), widths_[i]);
    }
    out_.write(line + "\n");
  }

  void end(const std::vector<std::string>& /*warnings: on standard error only*/) override {}

private:
  Output& out_;
  std::vector<Column> columns_;
  std::vector<std::size_t> widths_;
};

class CsvWriter final : public RowWriter {
public:
  explicit CsvWriter(Output& out) : out_(out) {}

  void begin(const ReportHead& head) override {
    std::string line;
    for (const Column& column : head.columns) {
      if (!line.empty()) line += ',';
      line += csv_field(column.name);
    }
    out_.write(line + "\n");
  }

  void row(const Row& row) override {
    std::string line;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
      if (i > 0) line += ',';
      line += csv_field(csv_number(row.cells[i]));
    }
    out_.write(line + "\n");
  }

  void end(const std::vector<std::string>& /*warnings: on standard error only*/) override {}

private:
  Output& out_;
};

Json json_number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json json_cell(const Cell& cell) {
  if (missing(cell)) return nullptr;
  if (cell.kind() == Cell::Kind::Truth) return cell.value() != 0.0;
  if (cell.kind() == Cell::Kind::Double) return json_number(cell.value());
  if (!std::isfinite(cell.single())) return nullptr;
  // The binary64 nearest the binary32's shortest text, so that the JSON shows "20.0003", not
  // the binary32's exact binary64 value 20.000299453735352.
  return std::strtod(fmt::format("{}", cell.single()).c_str(), nullptr);
}

Json json_input(const ValueSequence& values) {
  const auto& numbers = values.numbers();
  if (values.is_range()) {
    return Json{{"start", json_number(numbers[0].value)},
                {"stop", json_number(numbers[1].value)},
                {"step", json_number(numbers[2].value)}};
  }
  if (numbers.size() == 1) return json_number(numbers[0].value);
  Json list = Json::array();
  for (const TypedNumber& number : numbers) list.push_back(json_number(number.value));
  return list;
}

// {"command": ..., "rows": [ one row a line ], "warnings": [...]}: valid JSON written as the rows
// come, each row an object keyed by the CSV's column names.
class JsonWriter final : public RowWriter {
public:
  explicit JsonWriter(Output& out) : out_(out) {}

  void begin(const ReportHead& head) override {
    Json object;
    object["command"] = head.command;
    object["unit"] = head.unit;
    Json inputs = Json::object();
    for (const Input& input : head.inputs) inputs[input.key] = json_input(input.values);
    object["inputs"] = std::move(inputs);
    if (!head.model.empty()) {
      object["model"] = head.model;
      object["phase"] = head.phase;
    }
    if (!head.parameters.empty()) {
      Json parameters = Json::object();
      for (const Parameter& p : head.parameters) parameters[p.key] = json_number(p.value);
      object["parameters"] = std::move(parameters);
    }
    std::string text = object.dump();
    text.pop_back();  // the closing brace: the rows follow
    out_.write(text + ",\"rows\":[");
    names_.clear();
    for (const Column& column : head.columns) names_.push_back(column.name);
    first_row_ = true;
  }

  void row(const Row& row) override {
    Json object;
    for (std::size_t i = 0; i < names_.size(); ++i) object[names_[i]] = json_cell(row.cells.at(i));
    out_.write((first_row_ ? "\n" : ",\n") + object.dump());
    first_row_ = false;
  }

  void end(const std::vector<std::string>& warnings) override {
    out_.write(fmt::format("\n],\"warnings\":{}}}\n", Json(warnings).dump()));
  }

private:
  Output& out_;
  std::vector<std::string> names_;
  bool first_row_ = true;
};

}  // namespace

std::optional<Format> format_named(std::string_view name) {
  if (name == "table") return Format::Table;
  if (name == "csv") return Format::Csv;
  if (name == "json") return Format::Json;
  return std::nullopt;
}

std::unique_ptr<RowWriter> make_row_writer(Format format, Output& out) {
  switch (format) {
    case Format::Table: return std::make_unique<TableWriter>(out);
    case Format::Csv: return std::make_unique<CsvWriter>(out);
    case Format::Json: return std::make_unique<JsonWriter>(out);
  }
  return nullptr;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string csv_number(const Cell& cell) {
  if (missing(cell)) return {};
  if (cell.kind() == Cell::Kind::Truth) return cell.value() != 0.0 ? "true" : "false";
  // fmt's {} is the shortest text that reads back as the same binary64, or binary32 for a float.
  return cell.kind() == Cell::Kind::Double ? fmt::format("{}", cell.value()) : fmt::format("{}", cell.single());
}

std::string table_number(const Cell& cell, int decimals) {
  if (missing(cell)) return "-";
  if (decimals < 0 || cell.kind() == Cell::Kind::Truth) return csv_number(cell);
  return cell.kind() == Cell::Kind::Double ? fmt::format("{:.{}f}", cell.value(), decimals)
                                           : fmt::format("{:.{}f}", cell.single(), decimals);
}

}  // namespace zavolt::horn
