// analyse --model modes through run_horn(): the columns, the rows against the library, the
// Touchstone file and the refusals.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <complex>

#include "horn/horn_run.hpp"
#include "horn/modes_command.hpp"
#include "zavolt/modes.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::horn {
namespace {

using testing::csv_fields;
using testing::lines_of;
using testing::run;

// A throat step, a slot and a flare step, in millimetres.
constexpr std::string_view kProfile =
    "length,radius\n"
    "# the input guide\n"
    "20,6\n"
    "3,9.5\n"
    "2.5,14\n"
    "12,11\r\n"
    "\n"
    "15,16\n";

double number(const std::string& text) {
  double v = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

TEST(ModesCommand, CsvRowsAreTheLibrarysAndTouchstoneReadsBack) {
  const zavolt::testing::ScratchDir dir;
  zavolt::testing::write_file(dir / "horn.csv", kProfile);
  const std::string s1p = (dir / "horn.s1p").string();
  const auto r = run({"analyse", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "16,17.5",
                      "--format", "csv", "--edge-angle", "30", "--modes", "12", "--touchstone", s1p});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "frequency_ghz,return_loss_db,s11_re,s11_im,s11_phase_deg,directivity_dbi,gain_dbi,bw3_e_deg,bw3_h_deg,"
            "bw3_45_deg,bw10_e_deg,bw10_h_deg,bw10_45_deg,xpol_peak_db,edge_taper_db,spillover_efficiency,"
            "taper_efficiency,feed_efficiency,polarisation_efficiency,phase_centre_mm,phase_centre_e_mm,phase_centre_h_mm,"
            "p_te11,p_tm11,p_te12,p_tm12,modes");
  const profile::Profile p{{{0.020, 0.006}, {0.003, 0.0095}, {0.0025, 0.014}, {0.012, 0.011}, {0.015, 0.016}}};
  modes::Options o;
  o.modes = 12;
  const modes::Solver solver(p, o);
  const auto touchstone = lines_of(zavolt::testing::read_file(s1p));
  ASSERT_EQ(touchstone.size(), 5u);
  EXPECT_EQ(touchstone[2], "# GHz S RI R 50");
  int row = 1;
  for (const double f : {16e9, 17.5e9}) {
    const modes::Solution s = solver.solve(f);
    const auto fields = csv_fields(lines[static_cast<std::size_t>(row)]);
    ASSERT_EQ(fields.size(), 27u);
    // Shortest text that reads back: the library's numbers exactly.
    EXPECT_EQ(number(fields[2]), s.s11.real());
    EXPECT_EQ(number(fields[3]), s.s11.imag());
    EXPECT_EQ(number(fields[5]), s.directivity_dbi());
    EXPECT_EQ(number(fields[22]), s.aperture_power(modes::Kind::te, 1));
    EXPECT_EQ(fields[26], "12");
    // The phase centres are lengths in the run's unit, millimetres here.
    const double edge = 30.0 * 3.141592653589793 / 180.0;
    EXPECT_DOUBLE_EQ(number(fields[19]), *s.phase_centre(modes::Plane::d45, edge).distance * 1e3);
    EXPECT_DOUBLE_EQ(number(fields[20]), *s.phase_centre(modes::Plane::e, edge).distance * 1e3);
    EXPECT_DOUBLE_EQ(number(fields[21]), *s.phase_centre(modes::Plane::h, edge).distance * 1e3);
    std::string data = touchstone[static_cast<std::size_t>(row + 2)];
    for (char& c : data) c = c == ' ' ? ',' : c;
    const auto t = csv_fields(data);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(number(t[1]), s.s11.real());
    EXPECT_EQ(number(t[2]), s.s11.imag());
    ++row;
  }
  // JSON: the same rows, the model named.
  const auto j = run({"analyse", "--model=modes", "--profile", (dir / "horn.csv").string(), "--freq", "16", "--format",
                      "json", "--modes", "12", "--convergence"});
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_EQ(doc["model"], "modes");
  EXPECT_EQ(doc["rows"][0]["s11_re"].get<double>(), solver.solve(16e9).s11.real());
  EXPECT_TRUE(doc["rows"][0].contains("delta_s11"));
  // The plot of return loss and cross-polar peak against frequency.
  const std::string svg = (dir / "horn.svg").string();
  const auto plotted = run({"analyse", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq",
                            "16:17:0.5", "--modes", "12", "--plot", svg, "--quiet"});
  ASSERT_EQ(plotted.status, 0) << plotted.err;
  EXPECT_NE(zavolt::testing::read_file(svg).find("<svg"), std::string::npos);
}

TEST(ModesCommand, PatternRowsNameTheirPlaneAndPolarisation) {
  const zavolt::testing::ScratchDir dir;
  zavolt::testing::write_file(dir / "horn.csv", kProfile);
  const auto r = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                      "--theta", "0:20:10", "--format", "csv", "--modes", "12"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 13u);  // E, H, 45 co and 45 cross at three angles
  EXPECT_EQ(lines[0], "frequency_ghz,theta_deg,plane,polarisation,level_db,phase_deg");
  EXPECT_EQ(lines[1], "17,0,E,co,0,0");
  EXPECT_EQ(lines[4], "17,0,H,co,0,0");
  // The cross-polar field on the axis is an exact null: no level, an empty cell (null in JSON).
  EXPECT_EQ(lines[10], "17,0,45,cross,,0");
  const profile::Profile p{{{0.020, 0.006}, {0.003, 0.0095}, {0.0025, 0.014}, {0.012, 0.011}, {0.015, 0.016}}};
  modes::Options o;
  o.modes = 12;
  const modes::CutPoint c = modes::Solver(p, o).solve(17e9).cut_point(20.0 * 3.141592653589793 / 180.0);
  const auto f = csv_fields(lines[12]);
  EXPECT_EQ(f[2], "45");
  EXPECT_EQ(f[3], "cross");
  EXPECT_EQ(number(f[4]), 20.0 * std::log10(std::abs(c.cross45)));
  const auto j = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                      "--theta", "0,10", "--format", "json", "--modes", "12"});
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  ASSERT_EQ(doc["rows"].size(), 8u);
  EXPECT_TRUE(doc["rows"][6]["level_db"].is_null()) << doc["rows"][6];
  EXPECT_EQ(doc["rows"][3]["plane"], "H");
  EXPECT_EQ(doc["rows"][7]["plane"], "45");
  EXPECT_EQ(doc["rows"][7]["polarisation"], "cross");
  const auto table = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                          "--theta", "10", "--modes", "12"});
  EXPECT_NE(table.out.find("cross"), std::string::npos);
  const auto behind = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                           "--theta", "0:120:30"});
  EXPECT_EQ(behind.status, 2);
  EXPECT_NE(behind.err.find("--theta must lie between 0 and 90 degrees under --model modes"), std::string::npos);
}

TEST(ModesCommand, ReadsBothProfileFormsInTheirOwnUnits) {
  const zavolt::testing::ScratchDir dir;
  // The same staircase as kProfile: sections in centimetres, and wall points in inches would not
  // read back exactly, so wall points in metres.
  zavolt::testing::write_file(dir / "sections.csv", "length_cm,radius_cm\n2,0.6\n0.3,0.95\n0.25,1.4\n1.2,1.1\n1.5,1.6\n");
  zavolt::testing::write_file(dir / "points.csv",
                              "# wall points\nz_m,radius_m\n0,0.006\n0.02,0.006\n0.02,0.0095\n0.023,0.0095\n0.023,0.014\n"
                              "0.0255,0.014\n0.0255,0.011\n0.0375,0.011\n0.0375,0.016\n0.0525,0.016\n");
  const profile::Profile p{{{0.020, 0.006}, {0.003, 0.0095}, {0.0025, 0.014}, {0.012, 0.011}, {0.015, 0.016}}};
  modes::Options o;
  o.modes = 10;
  const modes::Solution s = modes::Solver(p, o).solve(16e9);
  for (const char* file : {"sections.csv", "points.csv"}) {
    const auto r = run({"analyse", "--model", "modes", "--profile", (dir / file).string(), "--freq", "16", "--format",
                        "csv", "--modes", "10"});
    ASSERT_EQ(r.status, 0) << file << ": " << r.err;
    const auto fields = csv_fields(lines_of(r.out).at(1));
    EXPECT_NEAR(number(fields[2]), s.s11.real(), 1e-12) << file;
    EXPECT_NEAR(number(fields[3]), s.s11.imag(), 1e-12) << file;
  }
  // A sloping wall is cut into steps: the head says the file and the solver's junctions.
  zavolt::testing::write_file(dir / "cone.csv", "z_mm,radius_mm\n0,6\n20,6\n60,16\n");
  const auto cone = run({"analyse", "--model", "modes", "--profile", (dir / "cone.csv").string(), "--freq", "16",
                         "--modes", "8", "--max-step", "2"});
  ASSERT_EQ(cone.status, 0) << cone.err;
  EXPECT_NE(cone.out.find("read from " + (dir / "cone.csv").string() + " (20 junctions"), std::string::npos) << cone.out;
}

TEST(ModesCommand, GeneratesTheProfileByTheRules) {
  // The README's Ku-band feed: a = 15.4 mm, L = 47.6 mm over 10.7 to 12.75 GHz.
  const auto r = run({"analyse", "--model", "modes", "--radius", "15.4", "--slant", "47.6", "--freq", "10.7,12.75",
                      "--format", "json", "--modes", "8", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  const profile::Profile p = profile::generate({0.0154, 0.0476}, {10.7e9, 12.75e9});
  modes::Options o;
  o.modes = 8;
  const modes::Solver solver(p, o);
  ASSERT_EQ(doc["rows"].size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const modes::Solution s = solver.solve(i == 0 ? 10.7e9 : 12.75e9);
    const auto& row = doc["rows"][i];
    EXPECT_EQ(row["s11_re"].get<double>(), s.s11.real());
    // The mode content, nested: every propagating mode, its power; the powers add up to one.
    double total = 0.0;
    for (const char* key : {"reflected_modes", "transmitted_modes"}) {
      ASSERT_TRUE(row[key].is_array()) << key;
      for (const auto& m : row[key]) total += m["power"].get<double>();
    }
    EXPECT_EQ(row["reflected_modes"][0]["mode"], "TE11");
    EXPECT_EQ(row["transmitted_modes"][0]["mode"], "TE11");
    EXPECT_EQ(row["transmitted_modes"][0]["power"].get<double>(), s.transmitted.front().power);
    EXPECT_NEAR(total, 1.0, 1e-9);
  }
  // The band defaults to the sweep's ends; the head says which profile, and its rules.
  EXPECT_EQ(doc["inputs"]["band_ghz"]["values"][0].get<double>(), 10.7);
  EXPECT_EQ(doc["inputs"]["band_ghz"]["values"][1].get<double>(), 12.75);
  const auto table = run({"analyse", "--model", "modes", "--radius", "15.4", "--slant", "47.6", "--freq", "11",
                          "--band", "10.7,12.75", "--modes", "8", "--quiet"});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("generated by the rules for radius 15.400 mm, slant length 47.600 mm, band 10.700 to 12.750 GHz"),
            std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("f_c 11.680 GHz"), std::string::npos) << table.out;
  // The rules' doubts are warnings of the run.
  const auto narrow = run({"analyse", "--model", "modes", "--radius", "15.4", "--slant", "47.6", "--freq", "11",
                           "--band", "10.7,12.75", "--modes", "8", "--min-slot", "3"});
  ASSERT_EQ(narrow.status, 0) << narrow.err;
  EXPECT_NE(narrow.err.find("warning: slot 1 is 2.567 mm wide, below the narrowest slot that can be machined (3.000 mm)"),
            std::string::npos)
      << narrow.err;
  EXPECT_NE(narrow.out.find("input radius:    12.255 mm"), std::string::npos) << narrow.out;
  // A rule option reaches the generator: a finer pitch makes more slots and another S11.
  const auto fine = run({"analyse", "--model", "modes", "--radius", "15.4", "--slant", "47.6", "--freq", "11",
                         "--band", "10.7,12.75", "--modes", "8", "--pitch", "2", "--format", "csv", "--quiet"});
  ASSERT_EQ(fine.status, 0) << fine.err;
  profile::Rules rules;
  rules.pitch = 0.002;
  modes::Options fo;
  fo.modes = 8;
  const modes::Solution f = modes::Solver(profile::generate({0.0154, 0.0476}, {10.7e9, 12.75e9}, rules), fo).solve(11e9);
  EXPECT_EQ(number(csv_fields(lines_of(fine.out).at(1))[2]), f.s11.real());
}

TEST(ModesCommand, AFailedRunLeavesItsFilesAsTheyWere) {
  const zavolt::testing::ScratchDir dir;
  zavolt::testing::write_file(dir / "horn.csv", kProfile);
  const std::string s1p = (dir / "old.s1p").string();
  const std::string csv = (dir / "old.csv").string();
  zavolt::testing::write_file(dir / "old.s1p", "kept\n");
  zavolt::testing::write_file(dir / "old.csv", "kept too\n");
  // 10 GHz is below TE11's cut-off of the input guide: the sweep fails after the files are open.
  const auto r = run({"analyse", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "16,10",
                      "--modes", "8", "--touchstone", s1p, "--output", csv});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(zavolt::testing::read_file(s1p), "kept\n");
  EXPECT_EQ(zavolt::testing::read_file(csv), "kept too\n");
  const auto ok = run({"analyse", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "16",
                       "--modes", "8", "--touchstone", s1p, "--output", csv, "--format", "csv", "--quiet"});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(zavolt::testing::read_file(s1p).find("# GHz S RI R 50"), std::string::npos);
  EXPECT_EQ(zavolt::testing::read_file(csv).rfind("frequency_ghz,", 0), 0u);
  // Two outputs on one path would replace each other.
  const auto twice = run({"analyse", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "16",
                          "--touchstone", s1p, "--output", (dir / "." / "old.s1p").string()});
  EXPECT_EQ(twice.status, 2);
  EXPECT_NE(twice.err.find("--output and --touchstone must name different files"), std::string::npos) << twice.err;
  EXPECT_NE(zavolt::testing::read_file(s1p).find("# GHz S RI R 50"), std::string::npos);
  // No bar on standard error when it is no terminal.
  EXPECT_EQ(ok.err, "");
}

TEST(ModesCommand, Refusals) {
  const zavolt::testing::ScratchDir dir;
  zavolt::testing::write_file(dir / "horn.csv", kProfile);
  zavolt::testing::write_file(dir / "bad.csv", "length_mm,radius_mm\n20,6\n3,x\n");
  const std::string good = (dir / "horn.csv").string();
  const auto missing = run({"analyse", "--model", "modes", "--freq", "16"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("needs a horn: --profile FILE.csv, or --radius and --slant"), std::string::npos) << missing.err;
  const auto bad = run({"analyse", "--model", "modes", "--profile", (dir / "bad.csv").string(), "--freq", "16"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--profile " + (dir / "bad.csv").string() + ": line 3: radius_mm is not a finite number"),
            std::string::npos)
      << bad.err;
  const auto headless = run({"analyse", "--model", "modes", "--profile", (dir / "none.csv").string(), "--freq", "16"});
  EXPECT_EQ(headless.status, 2);
  EXPECT_NE(headless.err.find("--profile cannot read " + (dir / "none.csv").string()), std::string::npos) << headless.err;
  const auto both = run({"analyse", "--model", "modes", "--profile", good, "--radius", "20", "--slant", "60", "--freq", "16"});
  EXPECT_EQ(both.status, 2);
  const auto rule = run({"analyse", "--model", "modes", "--profile", good, "--pitch", "2", "--freq", "16"});
  EXPECT_EQ(rule.status, 2);
  EXPECT_NE(rule.err.find("--pitch does not apply to a profile read from a file, got 2"), std::string::npos) << rule.err;
  const auto half = run({"analyse", "--model", "modes", "--radius", "20", "--freq", "16"});
  EXPECT_EQ(half.status, 2);
  EXPECT_NE(half.err.find("needs both --radius and --slant"), std::string::npos) << half.err;
  const auto wide = run({"analyse", "--model", "modes", "--radius", "20", "--slant", "60", "--freq", "16", "--band", "10,30"});
  EXPECT_EQ(wide.status, 2);
  EXPECT_NE(wide.err.find("--band was refused"), std::string::npos) << wide.err;
  const auto term = run({"analyse", "--model", "modes", "--profile", good, "--freq", "16", "--aperture", "open"});
  EXPECT_EQ(term.status, 2);
  EXPECT_NE(term.err.find("--aperture must be matched or diagonal, got open"), std::string::npos) << term.err;
  const auto count = run({"analyse", "--model", "modes", "--profile", good, "--freq", "16", "--modes", "2.5"});
  EXPECT_EQ(count.status, 2);
  // TE11 of the 6 mm input guide is cut off below 14.6 GHz.
  const auto cutoff = run({"analyse", "--model", "modes", "--profile", good, "--freq", "10"});
  EXPECT_EQ(cutoff.status, 2);
  EXPECT_NE(cutoff.err.find("TE11 is below cut-off in the input guide at 10 GHz (--freq)"),
            std::string::npos)
      << cutoff.err;
  EXPECT_EQ(cutoff.out, "");
}

// -o is --output, and --output - is standard output, as for the other commands.
TEST(ModesCommand, OutputOptionsAsElsewhere) {
  const zavolt::testing::ScratchDir dir;
  const std::string good = (dir / "good.csv").string();
  zavolt::testing::write_file(good, "length_mm,radius_mm\n20,6\n15,16\n");
  const std::vector<std::string> base = {"analyse", "--model", "modes", "--profile", good, "--freq", "16", "--format", "csv", "--modes", "8"};
  const auto plain = run(base);
  ASSERT_EQ(plain.status, 0) << plain.err;
  auto dash = base;
  dash.insert(dash.end(), {"--output", "-"});
  EXPECT_EQ(run(dash).out, plain.out);
  auto short_o = base;
  const std::string target = (dir / "rows.csv").string();
  short_o.insert(short_o.end(), {"-o", target});
  const auto to_file = run(short_o);
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  EXPECT_EQ(to_file.out, "");
  EXPECT_EQ(zavolt::testing::read_file(target), plain.out);
}

}  // namespace
}  // namespace zavolt::horn
