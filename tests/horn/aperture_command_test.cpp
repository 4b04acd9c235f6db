// The commands under the aperture model: every format once, each value the library's own for the
// inputs converted to SI (the writers' shortest text reads back the same binary64).
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <vector>

#include "horn_run.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::horn {
namespace {

using testing::csv_fields;
using testing::lines_of;
using testing::run;

double read_f64(const std::string& field) { return std::strtod(field.c_str(), nullptr); }
double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

TEST(ApertureDesign, JsonRowsAreTheLibrarysDesigns) {
  const testing::HornRun r =
      run({"design", "--gain", "20", "--freq", "10", "--s", "0,0.5", "--unit", "cm", "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["command"], "design");
  EXPECT_EQ(json["model"], "aperture");
  EXPECT_EQ(json["phase"], "spherical");
  EXPECT_EQ(json["inputs"]["gain_dbi"], (nlohmann::json{{"kind", "values"}, {"values", {20.0}}}));
  EXPECT_EQ(json["inputs"]["S"], (nlohmann::json{{"kind", "values"}, {"values", {0.0, 0.5}}}));
  ASSERT_EQ(json["rows"].size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const double s = i == 0 ? 0.0 : 0.5;
    const aperture::Design d = aperture::design_for_directivity(20.0, 10e9, s);
    const nlohmann::json& row = json["rows"][i];
    EXPECT_EQ(row["S"], s);
    EXPECT_EQ(row["radius_cm"], d.horn->radius * 100.0);
    EXPECT_EQ(row["gain_dbi"], *d.directivity_dbi);
    EXPECT_NEAR(row["gain_dbi"].get<double>(), 20.0, 1e-4);
  }
  // S = 0: an infinite slant length, which JSON holds as "inf" (it reads back into --slant inf).
  EXPECT_EQ(json["rows"][0]["slant_cm"], "inf");
  EXPECT_EQ(json["rows"][1]["slant_cm"], aperture::design_for_directivity(20.0, 10e9, 0.5).horn->slant * 100.0);
}

TEST(ApertureDesign, EdgeTaperTableCarriesTheTaperReached) {
  const testing::HornRun r =
      run({"design", "--edge-taper", "12", "--f-over-d", "0.4", "--freq", "12", "--s", "0.2", "--phase", "quadratic"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  EXPECT_EQ(lines[0], "zavolt-horn design: aperture model, quadratic phase");
  EXPECT_NE(r.out.find("  edge half-angle:  64.01 deg\n"), std::string::npos) << r.out;
  EXPECT_EQ(lines.end()[-2],
            "  S (wavelengths)  radius (mm)  slant (mm)  gain (dBi)  edge taper (dB)  flare (deg)  axial length (mm)"
            "   bw3 (deg)  bw10 (deg)");
  const aperture::Design d = aperture::design_for_edge_taper(12.0, 2.0 * std::atan(1.0 / 1.6), 12e9, 0.2,
                                                             aperture::Phase::quadratic);
  const double a = d.horn->radius;
  const double l = d.horn->slant;
  EXPECT_EQ(lines.back(),
            fmt::format("  {:>15}  {:>11.3f}  {:>10.3f}  {:>10.3f}  {:>15.3f}  {:>11.2f}  {:>17.3f}  {:>10.3f}  {:>10.3f}",
                        "0.2", a * 1000.0, l * 1000.0, *d.directivity_dbi, *d.edge_taper_db,
                        degrees(std::asin(a / l)), std::sqrt(l * l - a * a) * 1000.0,
                        degrees(*aperture::Model(*d.horn, 12e9).beamwidth(3.0).width),
                        degrees(*aperture::Model(*d.horn, 12e9).beamwidth(10.0).width)));
}

TEST(ApertureDesign, APointWithoutASolutionIsAnEmptyRowAndAWarning) {
  // 0 dBi at S = 0.5: every radius that gives it leaves the slant length short of the radius.
  const testing::HornRun r = run({"design", "--gain", "0", "--freq", "10", "--s", "1,0.5", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "0.5,,,,,,,");
  EXPECT_NE(r.err.find("zavolt-horn: warning: no horn meets the design at S = 0.5: the wanted gain lies below that of "
                       "the shortest horn, its slant at its radius\n"),
            std::string::npos)
      << r.err;
}

TEST(ApertureAnalyse, CsvRowsAreTheModelsResults) {
  const testing::HornRun r = run({"analyse", "--radius", "74.349", "--slant", "184.386", "--freq", "10.7:12.7:1",
                                  "--levels", "3,12.5", "--f-over-d", "0.4", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "frequency_ghz,S,gain_dbi,directivity_pattern_dbi,bw3_deg,bw12.5_deg,edge_taper_db,spillover_efficiency,"
            "taper_efficiency,feed_efficiency,phase_centre_mm");
  const double edge = 2.0 * std::atan(1.0 / 1.6);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const double ghz = 10.7 + static_cast<double>(i - 1);
    const aperture::Model model(aperture::Horn{0.074349, 0.184386, aperture::Phase::spherical}, ghz * 1e9);
    const aperture::FeedMetrics feed = model.feed_metrics(edge);
    const auto f = csv_fields(lines[i]);
    ASSERT_EQ(f.size(), 11u);
    EXPECT_EQ(read_f64(f[0]), ghz);
    EXPECT_EQ(read_f64(f[1]), model.geometry().s);
    EXPECT_EQ(read_f64(f[2]), model.directivity().dbi);
    EXPECT_EQ(read_f64(f[3]), model.pattern_directivity_dbi());
    EXPECT_EQ(read_f64(f[4]), degrees(*model.beamwidth(3.0).width));
    EXPECT_EQ(read_f64(f[5]), degrees(*model.beamwidth(12.5).width));
    EXPECT_EQ(read_f64(f[6]), feed.edge_taper_db);
    EXPECT_EQ(read_f64(f[7]), feed.spillover_efficiency);
    EXPECT_EQ(read_f64(f[8]), feed.taper_efficiency);
    EXPECT_EQ(read_f64(f[9]), feed.feed_efficiency);
    EXPECT_EQ(read_f64(f[10]), *feed.phase_centre * 1000.0);
  }
}

TEST(ApertureAnalyse, AnInfiniteSlantIsAFlatPhaseFront) {
  const testing::HornRun r =
      run({"analyse", "--radius", "3", "--slant", "inf", "--unit", "in", "--freq", "10", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto f = csv_fields(lines_of(r.out).at(1));
  EXPECT_EQ(f[1], "0");
  EXPECT_EQ(read_f64(f[2]), aperture::directivity(aperture::Horn{0.0762}, 10e9).dbi);
}

TEST(AperturePattern, TableCsvAndJsonHoldTheSameCut) {
  const std::vector<std::string> args = {"pattern", "--radius", "30", "--slant", "80", "--freq", "11,12",
                                         "--theta", "0:60:20"};
  auto csv_args = args;
  csv_args.insert(csv_args.end(), {"--format", "csv"});
  const testing::HornRun csv = run(csv_args);
  ASSERT_EQ(csv.status, 0) << csv.err;
  const auto lines = lines_of(csv.out);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "frequency_ghz,theta_deg,level_db,phase_deg");
  EXPECT_EQ(lines[1], "11,0,0,0");
  const aperture::Model model(aperture::Horn{0.03, 0.08}, 12e9);
  const aperture::PatternPoint point = model.pattern_point(40.0 * std::numbers::pi / 180.0);
  const auto f = csv_fields(lines[7]);
  EXPECT_EQ(f[0], "12");
  EXPECT_EQ(f[1], "40");
  EXPECT_EQ(read_f64(f[2]), point.level_db);
  EXPECT_EQ(read_f64(f[3]), degrees(point.phase));

  auto json_args = args;
  json_args.insert(json_args.end(), {"--format", "json"});
  const testing::HornRun json_run = run(json_args);
  ASSERT_EQ(json_run.status, 0);
  const nlohmann::json json = nlohmann::json::parse(json_run.out);
  EXPECT_EQ(json["inputs"]["theta_deg"],
            (nlohmann::json{{"kind", "range"}, {"start", 0.0}, {"stop", 60.0}, {"step", 20.0}}));
  ASSERT_EQ(json["rows"].size(), 8u);
  EXPECT_EQ(json["rows"][6]["level_db"], point.level_db);

  const testing::HornRun table = run(args);
  ASSERT_EQ(table.status, 0);
  EXPECT_NE(table.out.find("  frequency (GHz)  theta (deg)  level (dB)  phase (deg)\n"), std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find(fmt::format("  {:>15}  {:>11}  {:>10.3f}  {:>11.2f}\n", "12", "40", point.level_db,
                                       degrees(point.phase))),
            std::string::npos)
      << table.out;
}

}  // namespace
}  // namespace zavolt::horn
