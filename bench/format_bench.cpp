// The cost of turning one analysis row into its record, without any write.
#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

#include "dialogue/layout.hpp"
#include "dialogue/layouts.hpp"

namespace zavolt {
namespace {

// Takes the records and keeps nothing: only the layout's own work is measured.
class NullSink : public RecordSink {
public:
  void write_record(std::string_view record) override { benchmark::DoNotOptimize(record.data()); }
  void write_open_prompt(std::string_view record) override { benchmark::DoNotOptimize(record.data()); }
};

// One row as the analysis table writes it twice per point (report file, then console).
void FormatAnalysisRow(benchmark::State& state) {
  NullSink sink;
  std::array<FieldValue, 4> row = {10.000004f, 23.26f, 12.1f, 22.5f};
  for (auto _ : state) {
    benchmark::DoNotOptimize(row);
    write_layout(sink, ANALYSIS_ROW_LAYOUT, row);
  }
}
BENCHMARK(FormatAnalysisRow);

}  // namespace
}  // namespace zavolt
