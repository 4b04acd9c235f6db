// --model classic against the dialogue's kernels called directly: every value read back as
// binary32 must be the kernel's bit for bit, in every unit.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "horn_run.hpp"

namespace zavolt::horn {
namespace {

using testing::csv_fields;
using testing::lines_of;
using testing::run;

float read_f32(const std::string& field) { return std::strtof(field.c_str(), nullptr); }

// The dialogue's dB conversion, written out here: float(ln(ratio) * 4.34294f).
float dialogue_db(float ratio) {
  return static_cast<float>(std::log(static_cast<double>(ratio)) * static_cast<double>(4.34294f));
}

// A length in inches as each unit shows it.
float shown(float inches, const std::string& unit) {
  const double wide = static_cast<double>(inches);
  if (unit == "mm") return static_cast<float>(wide * 25.4);
  if (unit == "m") return static_cast<float>(wide * 0.0254);
  if (unit == "cm") return static_cast<float>(wide * static_cast<double>(2.54f));
  return inches;
}

// A typed length in inches as each unit converts it.
float typed_inches(const std::string& text, const std::string& unit) {
  if (unit == "mm") return static_cast<float>(std::strtod(text.c_str(), nullptr) / 25.4);
  if (unit == "m") return static_cast<float>(std::strtod(text.c_str(), nullptr) / 0.0254);
  if (unit == "cm") return static_cast<float>(static_cast<double>(std::strtof(text.c_str(), nullptr)) / static_cast<double>(2.54f));
  return std::strtof(text.c_str(), nullptr);
}

TEST(ClassicDesign, RowsAreHccgnAndCchgnInEveryUnit) {
  for (const std::string unit : {"in", "cm", "mm", "m"}) {
    const testing::HornRun r = run({"design", "--model", "classic", "--gain", "20", "--freq", "10", "--s",
                                    "0:1:0.1", "--unit", unit, "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "S,radius_" + unit + ",slant_" + unit + ",gain_dbi,flare_half_angle_deg,axial_length_" + unit +
                            ",bw3_deg,bw10_deg");
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto fields = csv_fields(lines[i]);
      ASSERT_EQ(fields.size(), 8u);
      const float s = static_cast<float>(static_cast<double>(i - 1) * static_cast<double>(0.1f));
      float radius = 0.0f;
      float slant = 0.0f;
      HCCGN(10.0f, 20.0f, s, radius, slant);
      EXPECT_EQ(read_f32(fields[0]), s) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[1]), shown(radius, unit)) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[2]), shown(slant, unit)) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[3]), dialogue_db(CCHGN(10.0f, radius, slant))) << unit << " row " << i;
      // The designed horn's classic beamwidths, as the analysis of it gives them.
      const HcnbwWidths widths = hcnbw_widths(10.0f, radius, slant);
      EXPECT_EQ(fields[6], widths.beamwidth_3db ? fmt::format("{}", *widths.beamwidth_3db) : "") << unit << " row " << i;
      EXPECT_EQ(fields[7], widths.beamwidth_10db ? fmt::format("{}", *widths.beamwidth_10db) : "") << unit << " row " << i;
    }
    // S = 0: the slant length is infinite.
    EXPECT_EQ(csv_fields(lines[1])[2], "inf");
  }
}

TEST(ClassicAnalyse, RowsAreCchgnAndHcnbwInEveryUnit) {
  // The 20 dBi, S = 0.5 horn at 10 GHz in each unit.
  const std::vector<std::array<std::string, 3>> horns = {
      {"in", "2.92712", "7.25929"}, {"cm", "7.43488", "18.4386"}, {"mm", "74.349", "184.386"}, {"m", "0.074349", "0.184386"}};
  for (const auto& [unit, radius, slant] : horns) {
    const testing::HornRun r = run({"analyse", "--model", "classic", "--radius", radius, "--slant", slant, "--freq",
                                    "10.7:12.75:0.25", "--levels", "10,3", "--unit", unit, "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "frequency_ghz,S,gain_dbi,bw10_deg,bw3_deg");
    const float a = typed_inches(radius, unit);
    const float l = typed_inches(slant, unit);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto fields = csv_fields(lines[i]);
      ASSERT_EQ(fields.size(), 5u);
      const float f = static_cast<float>(static_cast<double>(i - 1) * static_cast<double>(0.25f) + static_cast<double>(10.7f));
      const HcnbwDetail bw = hcnbw_detail(f, a, l);
      EXPECT_EQ(read_f32(fields[0]), f) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[1]), bw.s) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[2]), dialogue_db(CCHGN(f, a, l))) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[3]), bw.beamwidth_10db) << unit << " row " << i;
      EXPECT_EQ(read_f32(fields[4]), bw.beamwidth_3db) << unit << " row " << i;
    }
  }
}

TEST(ClassicAnalyse, TheWorkedAnalysisInTheTable) {
  const testing::HornRun r =
      run({"analyse", "--model", "classic", "--radius", "10", "--slant", "40", "--unit", "cm", "--freq", "8:12:2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "zavolt-horn analyse: classic model, quadratic phase\n"
            "  aperture radius:  10 cm\n"
            "  slant length:     40 cm\n"
            "  frequency:        8 to 12 step 2 GHz\n"
            "  levels:           3, 10 dB\n"
            "  S:                0.3336 to 0.5003 wavelengths\n"
            "  flare half-angle: 14.48 deg\n"
            "  unit:             cm\n"
            "\n"
            "  frequency (GHz)  S (wavelengths)  gain (dBi)   bw3 (deg)  bw10 (deg)\n"
            "                8           0.3336      21.892      14.754      26.632\n"
            "               10           0.4170      23.264      12.062      22.495\n"
            "               12           0.5003      24.153      10.355      20.478\n");
  EXPECT_EQ(r.err, "");
}

TEST(ClassicAnalyse, JsonHoldsTheShortBinary32Text) {
  const testing::HornRun r = run({"analyse", "--model", "classic", "--radius", "3", "--slant", "15", "--unit", "in",
                                  "--freq", "10", "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["model"], "classic");
  EXPECT_EQ(json["phase"], "quadratic");
  EXPECT_EQ(json["inputs"]["radius_in"], (nlohmann::json{{"kind", "values"}, {"values", {3.0}}}));
  const double gain = json["rows"][0]["gain_dbi"];
  const float expected = dialogue_db(CCHGN(10.0f, 3.0f, 15.0f));
  EXPECT_EQ(static_cast<float>(gain), expected);
  EXPECT_EQ(gain, std::strtod(fmt::format("{}", expected).c_str(), nullptr));
}

// a = 0.5 in at 10 GHz: the 10 dB point lies beyond 90 degrees. The dialogue ends the run with the
// sqrt DOMAIN error; here the field is empty, with a warning, and the 3 dB width stays.
TEST(ClassicAnalyse, ABeamwidthBeyondNinetyDegreesIsAnEmptyFieldAndAWarning) {
  const testing::HornRun r = run({"analyse", "--model", "classic", "--radius", "0.5", "--slant", "100", "--unit",
                                  "in", "--freq", "10", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto fields = csv_fields(lines_of(r.out).at(1));
  EXPECT_EQ(read_f32(fields[3]), hcnbw_widths(10.0f, 0.5f, 100.0f).beamwidth_3db.value());
  EXPECT_EQ(fields[4], "");
  EXPECT_NE(r.err.find("zavolt-horn: warning: the classic 10 dB beamwidth at 10 GHz does not exist: its angle "
                       "would lie beyond 90 deg\n"),
            std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace zavolt::horn
