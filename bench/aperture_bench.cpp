// The aperture model on the 20 dBi, S = 0.5 design at 10 GHz (a = 74.349 mm, L = 184.386 mm),
// spherical phase: one analysis row and one 181-angle pattern cut, each from the horn's dimensions.
#include <benchmark/benchmark.h>

#include <array>
#include <numbers>
#include <vector>

#include "zavolt/aperture.hpp"

namespace zavolt::aperture {
namespace {

const Horn kHorn{0.074349, 0.184386, Phase::spherical};
constexpr double kFrequency = 10e9;

// Directivity, the 3 dB and 10 dB beamwidths, and the feed metrics with the phase centre at f/D 0.4.
void ApertureAnalysisRow(benchmark::State& state) {
  const std::array<double, 2> levels = {3.0, 10.0};
  const double edge = edge_angle_from_f_over_d(0.4);
  for (auto _ : state) {
    const Model model(kHorn, kFrequency);
    benchmark::DoNotOptimize(model.directivity());
    benchmark::DoNotOptimize(model.beamwidths(levels));
    benchmark::DoNotOptimize(model.feed_metrics(edge));
  }
}
BENCHMARK(ApertureAnalysisRow)->Unit(benchmark::kMicrosecond);

// Level and phase at 0, 0.5, ..., 90 degrees.
void AperturePatternCut(benchmark::State& state) {
  std::vector<double> thetas;
  for (int i = 0; i <= 180; ++i) thetas.push_back(i * 0.5 * std::numbers::pi / 180.0);
  for (auto _ : state) {
    const Model model(kHorn, kFrequency);
    benchmark::DoNotOptimize(model.pattern(thetas));
  }
}
BENCHMARK(AperturePatternCut)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zavolt::aperture

namespace zavolt::aperture {
namespace {

// One analysis row at the model's largest aperture, a = 100 lambda at 10 GHz: directivity, the
// 3 dB and 10 dB beamwidths, the pattern directivity and the feed metrics at f/D 0.4. Argument 0:
// S = 0.5; argument 1: S = 4 under the spherical phase, the costliest horn of the domain.
void ApertureRowAtLargestAperture(benchmark::State& state) {
  const double wavelength = kSpeedOfLight / kFrequency;
  const double radius = 100.0 * wavelength;
  const double s = state.range(0) == 0 ? 0.5 : 4.0;
  const double slant = radius * radius / (2.0 * wavelength * s);
  const Horn horn{radius, slant, Phase::spherical};
  const std::array<double, 2> levels = {3.0, 10.0};
  const double edge = edge_angle_from_f_over_d(0.4);
  for (auto _ : state) {
    const Model model(horn, kFrequency);
    benchmark::DoNotOptimize(model.directivity());
    benchmark::DoNotOptimize(model.beamwidths(levels));
    benchmark::DoNotOptimize(model.pattern_directivity_dbi());
    benchmark::DoNotOptimize(model.feed_metrics(edge));
  }
}
BENCHMARK(ApertureRowAtLargestAperture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zavolt::aperture
