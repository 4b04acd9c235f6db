// zavolt-horn at the edges of its domain: refusals naming what was typed, work bounded before it
// starts, designs that carry their analysis, files that survive a failed run, and the progress bar.
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "horn/progress.hpp"
#include "horn_run.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn {
namespace {

using testing::lines_of;
using testing::run;
using testing::with;
using zavolt::testing::read_file;
using zavolt::testing::ScratchDir;
using zavolt::testing::write_file;

struct Refusal {
  std::vector<std::string> args;
  std::string line;  // after "zavolt-horn: error: "
};

// Each of these once printed a number (404.8 dBi, inf, -inf, a NaN efficiency, 0) with status 0,
// converted 1.5e19 to int, or named an option nobody typed.
const std::vector<Refusal> kRefusals = {
    {{"analyse", "--radius", "100", "--slant", "inf", "--freq", "1e20", "--f-over-d", "0.5"},
     "--radius 100 mm at --freq 1e20 GHz is 3.336e+19 wavelengths, outside the model's domain (a/λ from 0.05 to 100)"},
    {{"analyse", "--radius", "1e-300", "--slant", "inf", "--freq", "10"},
     "--radius 1e-300 mm at --freq 10 GHz is 3.336e-302 wavelengths, outside the model's domain (a/λ from 0.05 to "
     "100)"},
    {{"analyse", "--radius", "1e30", "--slant", "inf", "--freq", "10", "--model", "classic"},
     "--radius 1e30 mm at --freq 10 GHz is 3.336e+28 wavelengths, outside the model's domain (a/λ from 0.05 to 100)"},
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "1e308"},
     "--radius 74 mm at --freq 1e308 GHz is over 1e308 wavelengths, outside the model's domain (a/λ from 0.05 to "
     "100)"},
    {{"analyse", "--radius", "1e-400", "--slant", "184", "--freq", "10"},
     "--radius 1e-400 is too small for the model's domain: it rounds to 0"},
    {{"analyse", "--radius", "100", "--slant", "400", "--freq", "299"},
     "--slant 400 mm gives S = 12.47 at --freq 299 GHz, beyond the model's domain (S up to 4)"},
    {{"analyse", "--radius", "100", "--slant", "400", "--freq", "1e6"},
     "--radius 100 mm at --freq 1e6 GHz is 3.336e+05 wavelengths, outside the model's domain (a/λ from 0.05 to 100)"},
    {{"pattern", "--radius", "100", "--slant", "400", "--freq", "800", "--theta", "1"},
     "--radius 100 mm at --freq 800 GHz is 266.9 wavelengths, outside the model's domain (a/λ from 0.05 to 100)"},
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "10", "--edge-angle", "1e-20"},
     "--edge-angle must lie from 0.01 to below 90 degrees, got 1e-20"},
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "10", "--f-over-d", "1e308"},
     "--f-over-d 1e308 gives an edge angle of 0 deg, below the model's 0.01 deg"},
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "10", "--levels", "0.001:1000:0.001"},
     "--levels must be at most 100 dB, got 1000"},
    {{"design", "--gain", "400", "--freq", "10", "--s", "0.1"},
     "--gain 400 at S = 0.1 needs an aperture radius of more than 5.8e+20 mm, outside the model's domain at --freq "
     "10 GHz (a/λ from 0.05 to 100: 1.499 to 2998 mm)"},
    // 400 dBi of the J0 aperture (efficiency 0.692): a = lambda sqrt(1e40 / 0.692) / (2 pi) = 5.7e20 mm.
    {{"design", "--gain", "400", "--freq", "10", "--s", "0.1", "--phase", "quadratic"},
     "--gain 400 at S = 0.1 needs an aperture radius of 5.8e+20 mm, outside the model's domain at --freq 10 GHz "
     "(a/λ from 0.05 to 100: 1.499 to 2998 mm)"},
    {{"design", "--gain", "1e308", "--freq", "10", "--s", "0.5"},
     "--gain 1e308 at S = 0.5 needs an aperture radius of more than 10^5e+306 mm, outside the model's domain at "
     "--freq 10 GHz (a/λ from 0.05 to 100: 1.499 to 2998 mm)"},
    {{"design", "--gain", "3080", "--freq", "10", "--s", "0.1"},
     "--gain 3080 at S = 0.1 needs an aperture radius of more than 5.8e+154 mm, outside the model's domain at "
     "--freq 10 GHz (a/λ from 0.05 to 100: 1.499 to 2998 mm)"},
    {{"design", "--gain", "-1e308", "--freq", "10", "--s", "0", "--unit", "in"},
     "--gain -1e308 at S = 0 needs an aperture radius of 10^-5e+306 in, outside the model's domain at --freq 10 "
     "GHz (a/λ from 0.05 to 100: 0.05901 to 118 in)"},
    {{"design", "--gain", "20", "--freq", "10", "--s", "1e308"}, "--s must be at most 4, the model's domain, got 1e308"},
    {{"design", "--model", "classic", "--gain", "20", "--freq", "10", "--s", "50"},
     "--s must be at most 4, the model's domain, got 50"},
    {{"design", "--model", "classic", "--gain", "400", "--freq", "10", "--s", "0.5"},
     "--gain 400 at S = 0.5 needs an aperture radius outside the model's domain at --freq 10 GHz (a/λ from 0.05 to "
     "100: 1.499 to 2998 mm)"},
    {{"design", "--edge-taper", "120", "--f-over-d", "0.4", "--freq", "10", "--s", "0.5"},
     "--edge-taper must be at most 100 dB, got 120"},
    // Files and options.
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "10", "--output", "same.svg", "--plot", "same.svg"},
     "--output and --plot must name different files, got same.svg twice"},
    {{"analyse", "--radius", "74", "--slant", "184", "--freq", "10", "-o", "./same.svg", "--plot", "same.svg"},
     "--output and --plot must name different files, got same.svg twice"},
    {{"desing"}, "the command must be design, analyse (or analyze), pattern or profile, got desing"},
    // An argument echoed is cut to 80 characters.
    {{"analyse", "--unit", std::string(200, 'x')},
     "--unit must be mm, cm, in or m, got " + std::string(79, 'x') + "\u2026"},
};

TEST(Edges, RefusalsNameWhatWasTypedInOneLineStatusTwo) {
  for (const Refusal& c : kRefusals) {
    std::string args;
    for (const std::string& arg : c.args) args += " " + arg;
    const testing::HornRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.err, "zavolt-horn: error: " + c.line + "\n") << args;
    EXPECT_EQ(r.out, "") << args;
  }
}

// At the domain's corners every number is finite; the two infinities with a meaning are written
// as the formats say.
TEST(Edges, InsideTheDomainEveryNumberIsWritten) {
  // a = 100 lambda at 10 GHz, S = 0, an edge at 0.01 degree and levels at 100 dB.
  const testing::HornRun corner = run({"analyse", "--radius", "2997", "--slant", "inf", "--freq", "10", "--levels",
                                       "0.001,100", "--edge-angle", "0.01", "--format", "csv"});
  ASSERT_EQ(corner.status, 0) << corner.err;
  const auto fields = testing::csv_fields(lines_of(corner.out).at(1));
  for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
    EXPECT_FALSE(fields[i].empty()) << i;
    EXPECT_EQ(fields[i].find("inf"), std::string::npos) << i;
    EXPECT_EQ(fields[i].find("nan"), std::string::npos) << i;
  }
  // A null at 180 degrees: an empty level and a phase of 0, not -inf and -0.
  const testing::HornRun null = run({"pattern", "--radius", "74", "--slant", "184", "--freq", "10", "--theta", "180",
                                     "--format", "csv", "--quiet"});
  EXPECT_EQ(lines_of(null.out).at(1), "10,180,,0");
  // S = 0: a slant (and axial length) of inf in CSV and table, "inf" in JSON; a missing value null.
  const testing::HornRun flat = run({"design", "--gain", "20", "--freq", "10", "--s", "0", "--format", "csv"});
  EXPECT_EQ(testing::csv_fields(lines_of(flat.out).at(1))[2], "inf");
  EXPECT_EQ(testing::csv_fields(lines_of(flat.out).at(1))[5], "inf");
  const testing::HornRun flat_json = run({"design", "--gain", "20", "--freq", "10", "--s", "0,0.5", "--format", "json"});
  const nlohmann::json json = nlohmann::json::parse(flat_json.out);
  EXPECT_EQ(json["rows"][0]["slant_mm"], "inf");
  // A design to S = 1e-200 is valid: its slant is huge, shown in six digits, not 200.
  const testing::HornRun tiny_s = run({"design", "--gain", "20", "--freq", "10", "--s", "1e-200"});
  ASSERT_EQ(tiny_s.status, 0) << tiny_s.err;
  EXPECT_NE(tiny_s.out.find("5.489568e+201"), std::string::npos) << tiny_s.out;
  EXPECT_LT(lines_of(tiny_s.out).back().size(), 140u);
}

TEST(Edges, WorkIsCheckedBeforeAnythingRuns) {
  const auto start = std::chrono::steady_clock::now();
  const testing::HornRun r = run({"analyse", "--radius", "2990", "--slant", "inf", "--freq", "1:10:0.000001"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "zavolt-horn: error: the request would take about 4.0 days (9000001 rows), more than an hour: "
                   "narrow it, or give --no-limit\n");
  EXPECT_EQ(r.out, "");
  const testing::HornRun pattern =
      run({"pattern", "--radius", "2990", "--slant", "inf", "--freq", "1:10:0.01", "--theta", "0:90:0.00001"});
  EXPECT_EQ(pattern.status, 2);
  EXPECT_NE(pattern.err.find("more than an hour"), std::string::npos) << pattern.err;
  // An ordinary request runs, and --no-limit is accepted on it.
  EXPECT_EQ(run({"analyse", "--radius", "74", "--slant", "184", "--freq", "10:12:0.5", "--no-limit"}).status, 0);
}

// A design row warns of everything the analysis of the horn it gives would warn of.
TEST(Edges, DesignRowsCarryTheAnalysisFlags) {
  const testing::HornRun d = run({"design", "--gain", "20", "--freq", "10", "--s", "1", "--format", "csv"});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.err.find("warning: the pattern's maximum lies off axis at S = 1\n"), std::string::npos) << d.err;
  // The README's S = 0.3 row of its feed design: a/L = 0.845, beyond the accuracy domain.
  const testing::HornRun cone = run(
      {"design", "--edge-taper", "12", "--f-over-d", "0.4", "--freq", "12", "--s", "0.3", "--format", "csv"});
  EXPECT_NE(cone.err.find("lies beyond the accuracy domain (a/L up to 0.7)"), std::string::npos) << cone.err;
  const auto fields = testing::csv_fields(lines_of(cone.out).at(1));
  const double a = std::stod(fields[1]);
  const double l = std::stod(fields[2]);
  const testing::HornRun analysed = run({"analyse", "--radius", fields[1], "--slant", fields[2], "--freq", "12"});
  EXPECT_NE(analysed.err.find("lies beyond the accuracy domain (a/L up to 0.7)"), std::string::npos) << analysed.err;
  // The flare half-angle and the axial length of the same row.
  EXPECT_NEAR(std::stod(fields[5]), std::asin(a / l) * 180.0 / 3.141592653589793, 1e-9);
  EXPECT_NEAR(std::stod(fields[6]), std::sqrt(l * l - a * a), 1e-9);
  // A small horn: the design warns, as its analysis does, that the formula's gain is far from the
  // pattern's directivity.
  const testing::HornRun small = run({"design", "--gain", "8", "--freq", "10", "--s", "0.1", "--format", "csv"});
  EXPECT_NE(small.err.find("warning: the aperture formula's gain 8.000 dBi differs from the pattern's directivity"),
            std::string::npos)
      << small.err;
  // The 84 degree cone of a 0.1 dB taper at 89 degrees: its pattern rises 4.4 dB above boresight
  // at 50 degrees, so the edge is not inside the main beam. No solution, and why.
  const testing::HornRun wide =
      run({"design", "--edge-taper", "0.1", "--edge-angle", "89", "--freq", "10", "--s", "1", "--format", "csv"});
  ASSERT_EQ(wide.status, 0) << wide.err;
  EXPECT_EQ(lines_of(wide.out).at(1), "1,,,,,,,,");
  EXPECT_NE(wide.err.find("no horn meets the design at S = 1: the horn that meets the taper has its edge outside the "
                          "main beam"),
            std::string::npos)
      << wide.err;
}

TEST(Edges, PatternDirectivityAndItsWarnings) {
  // A 2.5 mm aperture at 10 GHz: the formula gives -7.2 dBi, the pattern 5.5 dBi.
  const testing::HornRun small = run({"analyse", "--radius", "2.5", "--slant", "100", "--freq", "10", "--format", "csv"});
  ASSERT_EQ(small.status, 0) << small.err;
  const auto fields = testing::csv_fields(lines_of(small.out).at(1));
  EXPECT_NEAR(std::stod(fields[2]), -7.215, 1e-3);
  EXPECT_GT(std::stod(fields[3]), 4.0);
  EXPECT_NE(small.err.find("warning: the aperture formula's gain -7.215 dBi differs from the pattern's directivity"),
            std::string::npos)
      << small.err;
  // A large aperture: the two agree within 0.1 dB and nothing is said.
  const testing::HornRun large = run({"analyse", "--radius", "74.349", "--slant", "184.386", "--freq", "10"});
  EXPECT_EQ(large.err.find("aperture formula"), std::string::npos) << large.err;
  // A pattern beyond 90 degrees says so once.
  const testing::HornRun rear =
      run({"pattern", "--radius", "74.349", "--slant", "184.386", "--freq", "10,12", "--theta", "0:180:10"});
  EXPECT_NE(rear.err.find("warning: angles beyond 90 deg lie outside what aperture integration describes"),
            std::string::npos)
      << rear.err;
  const testing::HornRun front =
      run({"pattern", "--radius", "74.349", "--slant", "184.386", "--freq", "10", "--theta", "0:90:10"});
  EXPECT_EQ(front.err.find("beyond 90 deg"), std::string::npos) << front.err;
}

const std::vector<std::string> kAnalysis = {"analyse", "--radius", "74.349", "--slant", "184.386", "--freq", "10"};

TEST(Edges, AFailedRunLeavesAnExistingFileAsItWas) {
  const ScratchDir dir;
  const std::string k1 = (dir / "k1.txt").string();
  write_file(k1, "precious\n");
  ::chmod(k1.c_str(), 0640);
  // The plot's folder is missing: status 1, and the table's file keeps its content.
  const testing::HornRun missing_plot = run(with(kAnalysis, {"--output", k1, "--plot", (dir / "nodir" / "x.svg").string()}));
  EXPECT_EQ(missing_plot.status, 1);
  EXPECT_EQ(read_file(k1), "precious\n");
  // A frequency outside the domain: status 2, the file untouched.
  const testing::HornRun refused = run({"analyse", "--radius", "74", "--slant", "184", "--freq", "1e308", "-o", k1});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(read_file(k1), "precious\n");
  // A run that succeeds replaces it, keeps its permissions, and leaves no temporary file behind.
  ASSERT_EQ(run(with(kAnalysis, {"-o", k1, "--format", "csv"})).status, 0);
  EXPECT_TRUE(read_file(k1).starts_with("frequency_ghz,"));
  struct stat st {};
  ASSERT_EQ(::stat(k1.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1u);
  // ".SVG" is an SVG; "--output -" is standard output; "--" ends the options.
  const std::string upper = (dir / "HORN.SVG").string();
  const testing::HornRun svg = run(with(kAnalysis, {"--plot", upper, "--output", "-", "--"}));
  EXPECT_EQ(svg.status, 0) << svg.err;
  EXPECT_TRUE(svg.out.starts_with("zavolt-horn analyse:")) << svg.out;
  EXPECT_TRUE(read_file(upper).starts_with("<?xml")) << read_file(upper).substr(0, 40);
}

// A symbolic link keeps pointing where it did, and its target is what gets replaced; a device is
// written in place, never replaced by a file.
TEST(Edges, LinksAndDevicesSurviveTheReplacement) {
  const ScratchDir dir;
  const std::filesystem::path target = dir / "table.csv";
  const std::filesystem::path link = dir / "latest.csv";
  write_file(target, "old\n");
  std::filesystem::create_symlink(target, link);
  ASSERT_EQ(run(with(kAnalysis, {"--output", link.string(), "--format", "csv"})).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(read_file(target).starts_with("frequency_ghz,"));
  ASSERT_EQ(run(with(kAnalysis, {"--output", "/dev/null"})).status, 0);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(Edges, HelpMarksRequiredOptionsAndListsOnlyItsOwn) {
  const testing::HornRun design = run({"design", "--help"});
  EXPECT_EQ(design.out.find("--plot"), std::string::npos) << design.out;
  EXPECT_NE(design.out.find("--no-limit"), std::string::npos);
  const testing::HornRun analyse = run({"analyse", "--help"});
  for (const char* required : {"Aperture radius (required)", "apex to rim (inf: a flat phase front) (required)"}) {
    EXPECT_NE(analyse.out.find(required), std::string::npos) << required << "\n" << analyse.out;
  }
  EXPECT_NE(analyse.out.find("-o,--output"), std::string::npos) << analyse.out;
}

// The bar appears on a terminal once the run has lasted its delay, never on a pipe, and is erased.
TEST(Edges, TheProgressBarDrawsOnATerminalOnly) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  {
    Progress bar(slave, 4, std::chrono::milliseconds(0));
    bar.advance();
    EXPECT_TRUE(bar.drawn());
  }
  char text[512] = {};
  const ssize_t got = ::read(master, text, sizeof text - 1);
  ASSERT_GT(got, 0);
  const std::string drawn(text, static_cast<std::size_t>(got));
  EXPECT_NE(drawn.find("[##########"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find(" 25% 1/4"), std::string::npos) << drawn;
  ::close(master);
  ::close(slave);
  // Not before the delay, even on a terminal; never on a pipe.
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  {
    Progress bar(slave, 4, std::chrono::milliseconds(10'000));
    bar.advance();
    EXPECT_FALSE(bar.drawn());
  }
  ::close(master);
  ::close(slave);
  zavolt::testing::CapturedFd pipe;
  {
    Progress bar(pipe.fd(), 4, std::chrono::milliseconds(0));
    for (int i = 0; i < 4; ++i) bar.advance();
    EXPECT_FALSE(bar.drawn());
  }
  EXPECT_EQ(pipe.contents(), "");
}

}  // namespace
}  // namespace zavolt::horn
