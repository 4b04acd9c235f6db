// The mode-matching solver on the generated profile of a 22 dBi, S = 0.5 corrugated horn at 30 GHz
// (band 27.5 to 32.5 GHz), and on a hand-written one of about the same size: one frequency with
// S11, the aperture amplitudes and three 181-angle cuts; and a 101-frequency sweep on both cores.
#include <benchmark/benchmark.h>

#include <numbers>
#include <vector>

#include "modes/horns.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/modes.hpp"
#include "zavolt/profile.hpp"

namespace {

using namespace zavolt::modes;

const zavolt::profile::Profile& generated() {
  static const zavolt::profile::Profile p = [] {
    const zavolt::aperture::Design d = zavolt::aperture::design_for_directivity(22.0, 30e9, 0.5);
    return zavolt::profile::generate({d.horn->radius, d.horn->slant}, {27.5e9, 32.5e9});
  }();
  return p;
}

const zavolt::profile::Profile& hand_written() {
  static const testing::CorrugatedHorn h = testing::corrugated_horn(30e9, 2.2 * kSpeedOfLight / 30e9, 11.1);
  return h.profile;
}

std::vector<double> angles() {
  std::vector<double> t(181);
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<double>(i) * std::numbers::pi / 360.0;
  return t;
}

void solve_one(benchmark::State& state, int modes, Cascade cascade, const zavolt::profile::Profile& horn = generated()) {
  Options o;
  if (modes > 0) o.modes = modes;
  o.cascade = cascade;
  const Solver solver(horn, o);
  const std::vector<double> t = angles();
  for (auto _ : state) {
    const Solution s = solver.solve(30e9);
    benchmark::DoNotOptimize(s.s11);
    benchmark::DoNotOptimize(s.cuts(t));  // E, H, 45 co and cross at every angle
  }
  state.counters["junctions"] = static_cast<double>(solver.junctions());
  state.counters["modes"] = solver.modes();
}

void BM_Modes16_Reflection(benchmark::State& s) { solve_one(s, 16, Cascade::reflection); }
void BM_Modes16_Star(benchmark::State& s) { solve_one(s, 16, Cascade::star); }
void BM_ModesDefault_Reflection(benchmark::State& s) { solve_one(s, 0, Cascade::reflection); }
void BM_ModesDefault_Star(benchmark::State& s) { solve_one(s, 0, Cascade::star); }
void BM_ModesDefault_HandWritten(benchmark::State& s) { solve_one(s, 0, Cascade::reflection, hand_written()); }

void BM_ModesDefault_Plan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Solver(generated()).junctions());
}

void BM_ModesDefault_Sweep101_TwoJobs(benchmark::State& state) {
  const Solver solver(generated());
  std::vector<double> fs(101);
  for (std::size_t i = 0; i < fs.size(); ++i) fs[i] = 27.5e9 + 5e9 * static_cast<double>(i) / 100.0;
  const std::vector<double> t = angles();
  for (auto _ : state) {
    const auto sweep = solver.sweep(fs, 2);
    for (const auto& s : sweep) benchmark::DoNotOptimize(s.cuts(t));
  }
}

BENCHMARK(BM_Modes16_Reflection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Modes16_Star)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_Reflection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_Star)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_HandWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_Plan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_Sweep101_TwoJobs)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
