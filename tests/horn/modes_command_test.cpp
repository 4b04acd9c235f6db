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
            "taper_efficiency,feed_efficiency,polarisation_efficiency,phase_centre_mm,p_te11,p_tm11,p_te12,p_tm12,modes");
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
    ASSERT_EQ(fields.size(), 25u);
    // Shortest text that reads back: the library's numbers exactly.
    EXPECT_EQ(number(fields[2]), s.s11.real());
    EXPECT_EQ(number(fields[3]), s.s11.imag());
    EXPECT_EQ(number(fields[5]), s.directivity_dbi());
    EXPECT_EQ(number(fields[20]), s.aperture_power(modes::Kind::te, 1));
    EXPECT_EQ(fields[24], "12");
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
  EXPECT_EQ(lines[10], "17,0,45,cross,-inf,0");
  const profile::Profile p{{{0.020, 0.006}, {0.003, 0.0095}, {0.0025, 0.014}, {0.012, 0.011}, {0.015, 0.016}}};
  modes::Options o;
  o.modes = 12;
  const modes::CutPoint c = modes::Solver(p, o).solve(17e9).cut_point(20.0 * 3.141592653589793 / 180.0);
  const auto f = csv_fields(lines[12]);
  EXPECT_EQ(f[2], "45");
  EXPECT_EQ(f[3], "cross");
  EXPECT_EQ(number(f[4]), 20.0 * std::log10(std::abs(c.cross45)));
  const auto j = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                      "--theta", "10", "--format", "json", "--modes", "12"});
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  ASSERT_EQ(doc["rows"].size(), 4u);
  EXPECT_EQ(doc["rows"][3]["plane"], "45");
  EXPECT_EQ(doc["rows"][3]["polarisation"], "cross");
  const auto table = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                          "--theta", "10", "--modes", "12"});
  EXPECT_NE(table.out.find("cross"), std::string::npos);
  const auto behind = run({"pattern", "--model", "modes", "--profile", (dir / "horn.csv").string(), "--freq", "17",
                           "--theta", "0:120:30"});
  EXPECT_EQ(behind.status, 2);
  EXPECT_NE(behind.err.find("--theta must lie between 0 and 90 degrees under --model modes"), std::string::npos);
}

TEST(ModesCommand, Refusals) {
  const zavolt::testing::ScratchDir dir;
  zavolt::testing::write_file(dir / "horn.csv", kProfile);
  zavolt::testing::write_file(dir / "bad.csv", "20,6\n3,x\n");
  const std::string good = (dir / "horn.csv").string();
  const auto missing = run({"analyse", "--model", "modes", "--freq", "16"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("needs --profile"), std::string::npos) << missing.err;
  const auto bad = run({"analyse", "--model", "modes", "--profile", (dir / "bad.csv").string(), "--freq", "16"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("line 2 must be length,radius, got 3,x"), std::string::npos) << bad.err;
  const auto term = run({"analyse", "--model", "modes", "--profile", good, "--freq", "16", "--aperture", "open"});
  EXPECT_EQ(term.status, 2);
  EXPECT_NE(term.err.find("--aperture must be matched or diagonal, got open"), std::string::npos) << term.err;
  const auto count = run({"analyse", "--model", "modes", "--profile", good, "--freq", "16", "--modes", "2.5"});
  EXPECT_EQ(count.status, 2);
  // TE11 of the 6 mm input guide is cut off below 14.6 GHz.
  const auto cutoff = run({"analyse", "--model", "modes", "--profile", good, "--freq", "10"});
  EXPECT_EQ(cutoff.status, 2);
  EXPECT_NE(cutoff.err.find("--freq was refused: frequency must put TE11 above cut-off in the input guide, got 1e+10"),
            std::string::npos)
      << cutoff.err;
  EXPECT_EQ(cutoff.out, "");
}

}  // namespace
}  // namespace zavolt::horn
