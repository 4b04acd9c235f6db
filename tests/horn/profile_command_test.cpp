// zavolt-horn profile: the head and slot table in each format, each value the library's own for
// the inputs converted to SI; the staircase, STEP and STL files; refusals and warnings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "horn_run.hpp"
#include "support/scratch.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {
namespace {

using testing::csv_fields;
using testing::lines_of;
using testing::run;
using zavolt::testing::read_file;
using zavolt::testing::ScratchDir;

double read_f64(const std::string& field) { return std::strtod(field.c_str(), nullptr); }

const std::vector<std::string> kFeed = {"profile", "--radius", "15.4", "--slant", "47.6", "--freq", "12"};

TEST(ProfileCommand, TheReadmeFeedsHeadSaysWhereTheConverterWent) {
  const testing::HornRun r = run(kFeed);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 23u) << r.out;
  EXPECT_EQ(lines[0], "zavolt-horn profile:");
  EXPECT_EQ(lines[4], "  f_c, f_o:        12.000 GHz, 12.240 GHz (narrow band)");
  EXPECT_EQ(lines[5], "  input guide:     radius 11.928 mm, length 12.491 mm");
  EXPECT_EQ(lines[6], "  flare:           linear, 10.153 mm long, half-angle 18.88 deg");
  EXPECT_EQ(lines[7], "  corrugations:    pitch 3.123 mm, slot 2.498 mm, ridge 0.625 mm");
  EXPECT_EQ(lines[8], "  mode converter:  5 slots from 0.42 lambda_c (10.493 mm) deep, in a 15.614 mm cylinder at the "
                      "input radius: the flare holds only 3 pitches");
  EXPECT_EQ(lines[10], "  slots:           8");
  EXPECT_EQ(lines[11], "  total length:    38.259 mm, 15.614 mm of it the converter's cylinder");
  EXPECT_EQ(lines[14], "        slot      z (mm)  ridge radius (mm)  slot radius (mm)  depth (mm)  slot width (mm)  "
                       "ridge width (mm)   converter");
  EXPECT_EQ(lines[15], "           1      12.491             11.928            22.421      10.493            2.498    "
                       "         0.625        true");
  EXPECT_EQ(lines.back(), "           8      35.136             15.293            22.058       6.765            2.498    "
                          "         0.625       false");
}

TEST(ProfileCommand, CsvRowsAreTheLibrarysSlots) {
  const testing::HornRun r = run({"profile", "--radius", "3", "--slant", "12", "--band", "10.7,12.75", "--unit", "cm",
                                  "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  EXPECT_EQ(lines[0], "slot,z_cm,ridge_radius_cm,slot_radius_cm,depth_cm,slot_width_cm,ridge_width_cm,converter");
  const profile::Profile horn = profile::generate({0.03, 0.12}, {10.7e9, 12.75e9});
  ASSERT_EQ(lines.size(), horn.slots.size() + 1);
  for (std::size_t i = 0; i < horn.slots.size(); ++i) {
    const auto fields = csv_fields(lines[i + 1]);
    const profile::Slot& slot = horn.slots[i];
    ASSERT_EQ(fields.size(), 8u);
    EXPECT_EQ(fields[0], std::to_string(i + 1));
    EXPECT_EQ(read_f64(fields[1]), slot.z * 100.0);
    EXPECT_EQ(read_f64(fields[2]), slot.ridge_radius * 100.0);
    EXPECT_EQ(read_f64(fields[3]), slot.slot_radius * 100.0);
    EXPECT_EQ(read_f64(fields[4]), slot.depth() * 100.0);
    EXPECT_EQ(read_f64(fields[5]), slot.slot_width * 100.0);
    EXPECT_EQ(read_f64(fields[6]), slot.ridge_width * 100.0);
    EXPECT_EQ(fields[7], i < 5 ? "true" : "false");
  }
}

TEST(ProfileCommand, JsonCarriesTheRulesParameters) {
  // 20 dBi at 30 GHz, designed by the aperture model at S = 0.2: the design command's horn.
  const testing::HornRun r = run({"profile", "--gain", "20", "--s", "0.2", "--freq", "30", "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  const aperture::Design d = aperture::design_for_directivity(20.0, 30e9, 0.2);
  const profile::Profile horn = profile::generate({d.horn->radius, d.horn->slant}, {30e9, 30e9});
  EXPECT_EQ(json["command"], "profile");
  EXPECT_FALSE(json.contains("model"));
  EXPECT_EQ(json["inputs"]["gain_dbi"], 20.0);
  EXPECT_EQ(json["inputs"]["frequency_ghz"], 30.0);
  const nlohmann::json& p = json["parameters"];
  EXPECT_EQ(p["radius_mm"], d.horn->radius * 1000.0);
  EXPECT_EQ(p["slant_mm"], d.horn->slant * 1000.0);
  EXPECT_EQ(p["f_c_ghz"], 30.0);
  EXPECT_EQ(p["pitch_mm"], horn.parameters->pitch * 1000.0);
  EXPECT_EQ(p["total_length_mm"], horn.parameters->total_length * 1000.0);
  EXPECT_EQ(p["slots"], static_cast<double>(horn.slots.size()));
  ASSERT_EQ(json["rows"].size(), horn.slots.size());
  EXPECT_EQ(json["rows"][0]["converter"], true);
  EXPECT_EQ(json["rows"][5]["converter"], false);
  EXPECT_EQ(json["rows"].back()["depth_mm"], horn.slots.back().depth() * 1000.0);
  EXPECT_EQ(json["warnings"], nlohmann::json::array());
}

TEST(ProfileCommand, WritesTheStaircaseStepAndStlBesideAQuietStandardOutput) {
  const ScratchDir dir;
  const std::string sections = (dir / "horn.csv").string();
  const std::string step = (dir / "horn.step").string();
  const std::string stl = (dir / "horn.stl").string();
  const testing::HornRun r = run(testing::with(kFeed, {"--format", "csv", "--sections", sections, "--step", step,
                                                       "--stl", stl, "--wall", "3"}));
  ASSERT_EQ(r.status, 0) << r.err;
  // Nothing but the slot table: the STEP writer's statistics do not reach standard output.
  EXPECT_EQ(lines_of(r.out).size(), 9u) << r.out;
  EXPECT_EQ(r.out.rfind("slot,z_mm,", 0), 0u);
  const profile::Profile horn = profile::generate({15.4e-3, 47.6e-3}, {12e9, 12e9});
  std::ostringstream expected;
  profile::write_csv(expected, horn, profile::Unit::mm);
  const std::string written = read_file(sections);
  EXPECT_EQ(written, expected.str());
  std::istringstream in(written);
  const profile::Profile back = profile::read_csv(in);
  ASSERT_EQ(back.sections.size(), horn.sections.size());
  EXPECT_NEAR(back.length(), horn.length(), 1e-15);
  EXPECT_NE(read_file(step).find("AUTOMOTIVE_DESIGN"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(stl), 84u);
}

TEST(ProfileCommand, WarnsOnStandardError) {
  const testing::HornRun r = run({"profile", "--gain", "20", "--s", "0.2", "--freq", "30", "--min-ridge", "0.3",
                                  "--law", "sine", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "zavolt-horn: warning: the ridge of slot 1 is 0.250 mm wide, below the thinnest ridge that can be machined "
            "(0.300 mm) (and 58 more rows)\n"
            "zavolt-horn: warning: the sine flare of 74.186 mm is not the design's cone: the aperture model's S, slant "
            "length and phase centre do not describe this horn\n");
  const testing::HornRun wide = run({"profile", "--radius", "60", "--slant", "240", "--band", "8,16", "--pitch", "8",
                                     "--format", "csv"});
  ASSERT_EQ(wide.status, 0) << wide.err;
  EXPECT_NE(wide.err.find("warning: the pitch 8.000 mm is not below lambda / 3 at 16.000 GHz (6.246 mm)"),
            std::string::npos) << wide.err;
  EXPECT_NE(wide.err.find("warning: the input radius 14.910 mm lets TM11 propagate at 16.000 GHz (k a = 5.000, "
                          "cut-off 3.832)"),
            std::string::npos) << wide.err;
  EXPECT_EQ(run(testing::with(kFeed, {"--quiet", "--min-slot", "3"})).err, "");
}

TEST(ProfileCommand, AnEngineersOwnProfileIsDrawnAndWritten) {
  const ScratchDir dir;
  const std::string own = (dir / "own.csv").string();
  zavolt::testing::write_file(own, "# from the drawing\nz_mm,radius_mm\n0,10\n20,10\n20,12\n60,25\n");
  const std::string sections = (dir / "sections.csv").string();
  const std::string step = (dir / "own.step").string();
  // 12 GHz: the sloping wall is cut at lambda / 40 = 0.625 mm, into 64 steps.
  const testing::HornRun r = run({"profile", "--profile", own, "--freq", "12", "--format", "json", "--sections",
                                  sections, "--step", step});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["parameters"]["sections"], 66.0);
  EXPECT_NEAR(json["parameters"]["total_length_mm"].get<double>(), 60.0, 1e-12);  // a sum of 66 lengths
  EXPECT_EQ(json["parameters"]["input_radius_mm"], 10.0);
  EXPECT_EQ(json["rows"], nlohmann::json::array());
  std::istringstream in(read_file(own));
  std::ostringstream expected;
  profile::write_csv(expected, profile::read_csv(in, profile::kSpeedOfLight / 12e9 / 40.0));
  EXPECT_EQ(read_file(sections), expected.str());
  EXPECT_NE(read_file(step).find("AUTOMOTIVE_DESIGN"), std::string::npos);

  // A bad line names the file and the line; nothing is written.
  const std::string bad = (dir / "bad.csv").string();
  zavolt::testing::write_file(bad, "z_mm,radius_mm\n0,10\n5,10\n4,12\n");
  const testing::HornRun refused = run({"profile", "--profile", bad});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "zavolt-horn: error: " + bad + ": line 4: z_mm goes backwards: '4'\n");
  const testing::HornRun missing = run({"profile", "--profile", (dir / "none.csv").string()});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "zavolt-horn: error: cannot read " + (dir / "none.csv").string() + ": No such file or directory\n");
  EXPECT_EQ(run({"profile", "--profile", own, "--pitch", "3"}).err,
            "zavolt-horn: error: --pitch does not apply to a profile read from a file, got 3\n");
}

TEST(ProfileCommand, RefusesWhatItCannotBuild) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"profile", "--freq", "12"}, "profile needs one horn: --radius and --slant, --gain and --s, --edge-taper and --s, or --profile FILE.csv"},
      {{"profile", "--radius", "15.4", "--slant", "47.6", "--gain", "20", "--freq", "12"},
       "profile needs one horn: --radius and --slant, --gain and --s, --edge-taper and --s, or --profile FILE.csv"},
      {{"profile", "--radius", "15.4", "--slant", "47.6"}, "profile needs --band FMIN,FMAX or --freq F"},
      {testing::with(kFeed, {"--band", "10,12"}), "--band and --freq exclude each other, got 10,12 and 12"},
      {{"profile", "--radius", "15.4", "--slant", "47.6", "--band", "10,25"}, "--band must be at most 2.4:1, got 10,25"},
      {{"profile", "--radius", "15.4", "--slant", "47.6", "--band", "12,10"}, "--band must run upwards, got 12,10"},
      {{"profile", "--radius", "15.4", "--slant", "47.6", "--band", "10:12:1"},
       "--band must be two frequencies FMIN,FMAX, got 10:12:1"},
      {testing::with(kFeed, {"--s", "0.2"}), "--s does not apply to a horn given by --radius, got 0.2"},
      {{"profile", "--gain", "20", "--freq", "12"}, "--s is required"},
      {{"profile", "--gain", "20", "--s", "0", "--freq", "12"},
       "--s 0 designs a horn without a cone: a profile needs --s above 0 or the flare's --length"},
      {testing::with(kFeed, {"--law", "cosine"}),
       "--law must be linear, sine, tangential, power, exponential, hyperbolic or polynomial, got cosine"},
      {testing::with(kFeed, {"--converter-slots", "2.5"}), "--converter-slots must be a whole number from 0 to 1000, got 2.5"},
      {testing::with(kFeed, {"--pitch", "-1"}), "--pitch must be positive, got -1"},
      {testing::with(kFeed, {"--sections", "horn.txt"}), "--sections must name a .csv file, got horn.txt"},
      {testing::with(kFeed, {"--step", "horn.stp"}), "--step must name a .step file, got horn.stp"},
      {testing::with(kFeed, {"--slot-ratio", "1"}),
       "--slot-ratio was refused: slot ratio must lie strictly between 0 and 1, got 1"},
      {testing::with(kFeed, {"--law-rho", "2"}),
       "--law-rho was refused: flare law's rho applies to the tangential, power and polynomial laws only, got 2"},
      {{"profile", "--radius", "15.4", "--slant", "inf", "--freq", "12"},
       "--slant was refused: slant length must be finite, for the cone to give the flare its length, got inf"},
  };
  for (const auto& [args, line] : cases) {
    const testing::HornRun r = run(args);
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.err, "zavolt-horn: error: " + line + "\n");
    EXPECT_EQ(r.out, "");
  }
  // A file that cannot be written fails before anything is computed or printed.
  const testing::HornRun r = run(testing::with(kFeed, {"--step", "/nonexistent/horn.step"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "zavolt-horn: error: cannot open /nonexistent/horn.step: No such file or directory\n");
}

}  // namespace
}  // namespace zavolt::horn
