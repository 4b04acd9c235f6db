// The mode-matching solver at the sizes of a 22 dBi corrugated horn at 30 GHz: 70 slots, 143
// junctions (a hand-written profile of that size), one frequency with S11, the aperture amplitudes
// and three 181-angle cuts; and a 101-frequency sweep on both cores.
#include <benchmark/benchmark.h>

#include <numbers>
#include <vector>

#include "modes/horns.hpp"
#include "zavolt/modes.hpp"

namespace {

using namespace zavolt::modes;

const testing::CorrugatedHorn& horn() {
  static const testing::CorrugatedHorn h = testing::corrugated_horn(30e9, 2.2 * kSpeedOfLight / 30e9, 11.1);
  return h;
}

std::vector<double> angles() {
  std::vector<double> t(181);
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<double>(i) * std::numbers::pi / 360.0;
  return t;
}

void solve_one(benchmark::State& state, int modes, Cascade cascade) {
  Options o;
  if (modes > 0) o.modes = modes;
  o.cascade = cascade;
  const Solver solver(horn().profile, o);
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

void BM_ModesDefault_Plan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Solver(horn().profile).junctions());
}

void BM_ModesDefault_Sweep101_TwoJobs(benchmark::State& state) {
  const Solver solver(horn().profile);
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
BENCHMARK(BM_ModesDefault_Plan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModesDefault_Sweep101_TwoJobs)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
