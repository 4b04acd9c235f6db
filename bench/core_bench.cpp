// The cost of one table row of each kind.
#include <benchmark/benchmark.h>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "numeric/besj0.hpp"

namespace zavolt {
namespace {

// One analysis row: the gain, then both beamwidths (the dB conversion is one log more).
void AnalysisRow(benchmark::State& state) {
  float frequency = 8.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(frequency);
    float gain = CCHGN(frequency, 3.937008f, 15.74803f);
    float bw3 = 0.0f;
    float bw10 = 0.0f;
    HCNBW(frequency, 3.937008f, 15.74803f, bw3, bw10);
    benchmark::DoNotOptimize(gain);
    benchmark::DoNotOptimize(bw3);
    benchmark::DoNotOptimize(bw10);
  }
}
BENCHMARK(AnalysisRow);

void GainOnly(benchmark::State& state) {
  float frequency = 8.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(frequency);
    benchmark::DoNotOptimize(CCHGN(frequency, 3.937008f, 15.74803f));
  }
}
BENCHMARK(GainOnly);

// The same gain with each integral taken through GLINT over FINT: the plain route, for comparison.
void GainThroughGlint(benchmark::State& state) {
  float frequency = 8.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(frequency);
    benchmark::DoNotOptimize(cchgn_detail_through_glint(frequency, 3.937008f, 15.74803f).gain);
  }
}
BENCHMARK(GainThroughGlint);

void BeamwidthsOnly(benchmark::State& state) {
  float frequency = 8.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(frequency);
    float bw3 = 0.0f;
    float bw10 = 0.0f;
    HCNBW(frequency, 3.937008f, 15.74803f, bw3, bw10);
    benchmark::DoNotOptimize(bw3);
    benchmark::DoNotOptimize(bw10);
  }
}
BENCHMARK(BeamwidthsOnly);

// One design row.
void DesignRow(benchmark::State& state) {
  float s = 0.3f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s);
    float radius = 0.0f;
    float slant = 0.0f;
    HCCGN(10.0f, 20.0f, s, radius, slant);
    benchmark::DoNotOptimize(radius);
    benchmark::DoNotOptimize(slant);
  }
}
BENCHMARK(DesignRow);

void Besj0OnFintRange(benchmark::State& state) {
  float x = 1.7f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(BESJ0(x));
  }
}
BENCHMARK(Besj0OnFintRange);

}  // namespace
}  // namespace zavolt
