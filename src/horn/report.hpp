// What a command puts out, independent of the format: a head (command, inputs, model, phase,
// columns), then rows of cells, then warnings.
#pragma once

#include <string>
#include <vector>

#include "horn/values.hpp"

namespace zavolt::horn {

// One number of a row: a binary64 of the model, a binary32 of the classic routines, or nothing
// (a beamwidth that does not exist, a design point without a solution).
class Cell {
public:
  enum class Kind { Empty, Double, Single, Truth };

  Cell() = default;
  static Cell of(double value) { return Cell(Kind::Double, value, 0.0f); }
  static Cell of_single(float value) { return Cell(Kind::Single, 0.0, value); }
  // true or false: CSV and the table write the word, JSON a boolean.
  static Cell of_truth(bool value) { return Cell(Kind::Truth, value ? 1.0 : 0.0, 0.0f); }

  [[nodiscard]] Kind kind() const noexcept { return kind_; }
  [[nodiscard]] double value() const noexcept { return value_; }
  [[nodiscard]] float single() const noexcept { return single_; }

private:
  Cell(Kind kind, double value, float single) : kind_(kind), value_(value), single_(single) {}
  Kind kind_ = Kind::Empty;
  double value_ = 0.0;
  float single_ = 0.0f;
};

struct Column {
  std::string name;     // CSV and JSON: "radius_mm"
  std::string heading;  // table: "radius (mm)"
  int decimals = -1;    // table: fixed decimals, or -1 for the shortest text (inputs such as f)
};

struct Row {
  std::vector<Cell> cells;  // one per column
};

// An input as typed, with its unit, for the head of every format.
struct Input {
  std::string key;    // JSON: "radius_mm"
  std::string label;  // table: "aperture radius"
  std::string unit;   // table: "mm"; empty for a number without unit
  ValueSequence values;
};

// A derived quantity shown above the table only: S, the flare half-angle.
struct Summary {
  std::string label;
  std::string text;
};

// A derived number for JSON's "parameters" object: the rules behind a profile.
struct Parameter {
  std::string key;  // "pitch_mm"
  double value = 0.0;
};

struct ReportHead {
  std::string command;  // "design", "analyse", "pattern"
  std::string unit;     // the length unit of the run
  std::vector<Input> inputs;
  std::string model;  // "aperture" or "classic"; empty where no model computes the rows
  std::string phase;  // "spherical" or "quadratic"
  std::vector<Summary> summary;
  std::vector<Parameter> parameters;  // JSON only, when there are any
  std::vector<Column> columns;
};

}  // namespace zavolt::horn
