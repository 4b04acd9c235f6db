// The horn as built: the Ku-band feed's profile (a = 30 mm, L = 120 mm, 10.7 to 12.75 GHz), its
// CSV written and read back, a 10,000-point wall read, and the STEP and STL files of its metal.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "zavolt/cad.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::profile {
namespace {

const Aperture kHorn{30e-3, 120e-3};
const Band kBand{10.7e9, 12.75e9};

void ProfileGenerate(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(generate(kHorn, kBand));
}
BENCHMARK(ProfileGenerate)->Unit(benchmark::kMicrosecond);

void ProfileCsvRoundTrip(benchmark::State& state) {
  const Profile horn = generate(kHorn, kBand);
  for (auto _ : state) {
    std::ostringstream out;
    write_csv(out, horn);
    std::istringstream in(out.str());
    benchmark::DoNotOptimize(read_csv(in));
  }
}
BENCHMARK(ProfileCsvRoundTrip)->Unit(benchmark::kMicrosecond);

// 10,000 wall points of a measured sine-like profile, each pair a sloping wall of two steps.
void ProfileReadWallPoints(benchmark::State& state) {
  std::string text = "z_mm,radius_mm\n";
  for (int i = 0; i <= 10000; ++i) text += std::to_string(i * 0.01) + "," + std::to_string(10.0 + (i % 7) * 0.013) + "\n";
  for (auto _ : state) {
    std::istringstream in(text);
    benchmark::DoNotOptimize(read_csv(in, 0.005e-3));
  }
}
BENCHMARK(ProfileReadWallPoints)->Unit(benchmark::kMillisecond);

void ProfileStep(benchmark::State& state) {
  const Profile horn = generate(kHorn, kBand);
  const std::string path = (std::filesystem::temp_directory_path() / "zavolt-bench.step").string();
  for (auto _ : state) cad::write_step(horn, 2e-3, path);
  std::filesystem::remove(path);
}
BENCHMARK(ProfileStep)->Unit(benchmark::kMillisecond);

void ProfileStl(benchmark::State& state) {
  const Profile horn = generate(kHorn, kBand);
  const std::string path = (std::filesystem::temp_directory_path() / "zavolt-bench.stl").string();
  for (auto _ : state) cad::write_stl(horn, 2e-3, cad::kDefaultStlTolerance, path);
  std::filesystem::remove(path);
}
BENCHMARK(ProfileStl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zavolt::profile
