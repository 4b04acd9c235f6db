// The three output formats, each one writer fed by the same head, rows and warnings, so that a
// new format never touches the computation.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "horn/output.hpp"
#include "horn/report.hpp"
#include "horn/warnings.hpp"

namespace zavolt::horn {

enum class Format { Table, Csv, Json };

// "table", "csv" or "json"; nullopt for anything else.
[[nodiscard]] std::optional<Format> format_named(std::string_view name);

// Writes a report as it is computed: the head, each row as soon as it exists, then the end. The
// columns are fixed by the head, so that a table of ten million rows needs no memory for them.
class RowWriter {
public:
  RowWriter() = default;
  RowWriter(const RowWriter&) = delete;
  RowWriter& operator=(const RowWriter&) = delete;
  virtual ~RowWriter() = default;

  virtual void begin(const ReportHead& head) = 0;
  virtual void row(const Row& row) = 0;
  virtual void end(const std::vector<std::string>& warnings) = 0;
};

// table: the inputs, S, flare, model and phase above right-aligned columns whose headings carry
// their units; fixed decimals per column, "-" for a missing value.
// csv: RFC 4180 with LF line ends; one header row of the column names; a missing value is an
// empty field; numbers in the shortest text that reads back the same (binary32 for the classic
// routines' values); an infinity (only where a column allows one) is "inf".
// json: one object: command, unit, inputs, model, phase, rows (objects keyed by the CSV's names,
// with a row's Nested lists under their keys),
// warnings. Each input is {"kind": "values", "values": [...]} or {"kind": "range", "start",
// "stop", "step"}; a missing value is null, an infinity the string "inf" (or "-inf"), a binary32
// the binary64 nearest its shortest text; each warning {"code", "message", "rows"}, taken from
// `warnings` when given (else from the lines passed to end(), code "warning", one row each).
[[nodiscard]] std::unique_ptr<RowWriter> make_row_writer(Format format, Output& out,
                                                         const Warnings* warnings = nullptr);

// One CSV field, quoted when it holds a comma, a quote, CR or LF (a quote doubled inside).
[[nodiscard]] std::string csv_field(std::string_view text);

// A cell as CSV writes it: "", "inf", "11.45", "20.0003" (shortest binary32), ...
[[nodiscard]] std::string csv_number(const Cell& cell);

// A cell as the table writes it, `decimals` fixed or -1 for the shortest text.
[[nodiscard]] std::string table_number(const Cell& cell, int decimals);

}  // namespace zavolt::horn
