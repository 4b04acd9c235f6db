// analyse --model modes through run_horn(): the columns, the rows against the library, the
// Touchstone file and the refusals.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <charconv>
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
