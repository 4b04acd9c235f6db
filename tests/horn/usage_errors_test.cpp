// Every usage error: the arguments, the one line on standard error, status 2, nothing on
// standard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "horn_run.hpp"

namespace zavolt::horn {
namespace {

using testing::run;

struct UsageCase {
  std::vector<std::string> args;
  std::string line;  // after "zavolt-horn: error: "
};

// A valid analysis; an option of `extra` that it already has replaces that option's value.
std::vector<std::string> analyse(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"analyse", "--radius", "74.349", "--slant", "184.386", "--freq", "12"};
  for (std::size_t i = 0; i < extra.size(); ++i) {
    const auto known = std::find(args.begin(), args.end(), extra[i]);
    if (known != args.end() && i + 1 < extra.size()) {
      *(known + 1) = extra[++i];
      continue;
    }
    args.push_back(extra[i]);
  }
  return args;
}

std::vector<std::string> design(std::vector<std::string> extra) {
  std::vector<std::string> args = {"design", "--freq", "10", "--s", "0.5"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

const std::vector<UsageCase> kUsageCases = {
    // The command.
    {{}, "a command is required: design, analyse, pattern or profile"},
    {{"desing"}, "the command must be design, analyse, pattern or profile, got desing"},
    {{"--freq", "10"}, "a command must come first: design, analyse, pattern or profile, got --freq"},
    // Options CLI11 reads.
    {analyse({"--colour", "red"}), "unknown option --colour"},
    {analyse({"-r"}), "unknown option -r"},
    {analyse({"stray"}), "unexpected argument stray"},
    {analyse({"--quiet", "-2"}), "unexpected argument -2"},
    {{"analyse", "--radius", "1", "--radius", "2"}, "--radius must be given once, got 1 and 2"},
    {{"analyse", "--slant", "3", "--radius"}, "--radius needs a value"},
    {{"analyse", "--radius", "--slant", "3"}, "--radius needs a value"},
    {{"analyse", "--radius=", "--slant", "3"}, "--radius needs a value"},
    {analyse({"--quiet=no"}), "--quiet takes no value, got no"},
    // Units, formats, models, phases.
    {analyse({"--unit", "ft"}), "--unit must be mm, cm, in or m, got ft"},
    {analyse({"--format", "xml"}), "--format must be table, csv or json, got xml"},
    {analyse({"--model", "exact"}), "--model must be aperture or classic, got exact"},
    {analyse({"--phase", "flat"}), "--phase must be spherical or quadratic, got flat"},
    {analyse({"--plot", "horn.png"}), "--plot must name an .svg file, got horn.png"},
    // Ranges and lists.
    {analyse({"--freq", "1:2"}), "--freq must be START:STOP:STEP, got 1:2"},
    {analyse({"--freq", "10:12:0"}), "--freq must have a non-zero STEP, got 10:12:0"},
    {analyse({"--freq", "12:10:1"}), "--freq must have a STEP leading from START to STOP, got 12:10:1"},
    {analyse({"--freq", "1:1e9:1"}), "--freq must have at most 10000000 points, got 1:1e9:1"},
    {analyse({"--freq", "10,,12"}), "--freq must be a comma list of numbers, got 10,,12"},
    {analyse({"--freq", "ten"}), "--freq must be a number, a comma list or START:STOP:STEP, got ten"},
    {analyse({"--radius", "1,2"}), "--radius must be one number, got 1,2"},
    {analyse({"--radius", "big"}), "--radius must be a number, got big"},
    // Sizes and frequencies.
    {analyse({"--radius", "-3"}), "--radius must be positive, got -3"},
    {analyse({"--radius", "0"}), "--radius must be positive, got 0"},
    {analyse({"--radius", "nan"}), "--radius must be a number, got nan"},
    {analyse({"--radius", "inf"}), "--radius must be finite, got inf"},
    {analyse({"--slant", "-inf"}), "--slant must be finite, got -inf"},
    {analyse({"--slant", "0"}), "--slant must be positive, got 0"},
    {analyse({"--freq", "0,12"}), "--freq must be positive, got 0"},
    {analyse({"--freq", "-1:12:1"}), "--freq must be positive, got -1"},
    {analyse({"--freq", "12,NaN"}), "--freq must be a number, got NaN"},
    {analyse({"--freq", "1e39", "--model", "classic"}), "--freq must be finite, got 1e39"},
    {analyse({"--unit", "in", "--radius", "1e-50", "--model", "classic"}), "--radius must be positive, got 1e-50"},
    // The spherical phase needs L > a.
    {analyse({"--slant", "50"}),
     "--slant must be longer than --radius (74.349 mm) under the spherical phase, got 50 mm"},
    {analyse({"--slant", "74.349"}),
     "--slant must be longer than --radius (74.349 mm) under the spherical phase, got 74.349 mm"},
    // Levels.
    {analyse({"--levels", "3,0"}), "--levels must be positive, got 0"},
    {analyse({"--levels", "-3"}), "--levels must be positive, got -3"},
    {analyse({"--levels", "3,10,3.0"}), "--levels must not repeat a level, got 3.0 twice"},
    // The reflector's edge.
    {analyse({"--edge-angle", "90"}), "--edge-angle must lie between 0 and 90 degrees, got 90"},
    {analyse({"--edge-angle", "0"}), "--edge-angle must lie between 0 and 90 degrees, got 0"},
    {analyse({"--edge-angle", "nan"}), "--edge-angle must lie between 0 and 90 degrees, got nan"},
    {analyse({"--f-over-d", "0.25"}), "--f-over-d must be above 0.25, got 0.25"},
    {analyse({"--f-over-d", "-1"}), "--f-over-d must be above 0.25, got -1"},
    {analyse({"--f-over-d", "inf"}), "--f-over-d must be finite, got inf"},
    {analyse({"--edge-angle", "60", "--f-over-d", "0.4"}),
     "--edge-angle and --f-over-d exclude each other, got 60 and 0.4"},
    // What the classic routines cannot do.
    {analyse({"--model", "classic", "--phase", "spherical"}), "--phase does not apply to --model classic, got spherical"},
    {analyse({"--model", "classic", "--levels", "3,12.5"}), "--levels must be 3 or 10 under --model classic, got 12.5"},
    {analyse({"--model", "classic", "--f-over-d", "0.4"}), "--f-over-d does not apply to --model classic, got 0.4"},
    {analyse({"--model", "classic", "--edge-angle", "60"}), "--edge-angle does not apply to --model classic, got 60"},
    {design({"--model", "classic", "--edge-taper", "12", "--f-over-d", "0.4"}),
     "--edge-taper does not apply to --model classic, got 12"},
    // design.
    {design({"--gain", "20", "--plot", "horn.svg"}), "--plot does not apply to design, got horn.svg"},
    {{"design", "--gain", "20", "--freq", "10"}, "--s is required"},
    {{"design", "--gain", "20", "--s", "0.5"}, "--freq is required"},
    {design({}), "design needs --gain or --edge-taper"},
    {design({"--gain", "20", "--edge-taper", "12"}), "--gain and --edge-taper exclude each other, got 20 and 12"},
    {design({"--edge-taper", "12"}), "--edge-taper needs --edge-angle or --f-over-d"},
    {design({"--edge-taper", "-3", "--f-over-d", "0.4"}), "--edge-taper must be positive, got -3"},
    {design({"--gain", "20", "--edge-angle", "60"}), "--edge-angle does not apply to a design to --gain, got 60"},
    {design({"--gain", "inf"}), "--gain must be finite, got inf"},
    {{"design", "--gain", "20", "--freq", "10,12", "--s", "0.5"}, "--freq must be one number, got 10,12"},
    {{"design", "--gain", "20", "--freq", "-10", "--s", "0.5"}, "--freq must be positive, got -10"},
    {{"design", "--gain", "20", "--freq", "10", "--s", "-0.1:0.5:0.1"}, "--s must be zero or positive, got -0.1"},
    {{"design", "--gain", "20", "--freq", "10", "--s", "0.5,nan"}, "--s must be finite, got nan"},
    // pattern.
    {{"pattern", "--radius", "74", "--slant", "184", "--freq", "12", "--theta", "0:190:10"},
     "--theta must lie between 0 and 180 degrees, got 190"},
    {{"pattern", "--radius", "74", "--slant", "184", "--freq", "12", "--theta", "-1"},
     "--theta must lie between 0 and 180 degrees, got -1"},
    {{"pattern", "--radius", "74", "--slant", "184", "--freq", "12", "--model", "classic"}, "unknown option --model"},
    {{"pattern", "--radius", "74", "--slant", "184"}, "--freq is required"},
    // The alias reads as analyse.
    {{"analyze", "--radius", "74", "--slant", "184", "--freq", "12", "--unit", "yd"}, "--unit must be mm, cm, in or m, got yd"},
};

TEST(UsageErrors, OneLineNamingTheOptionAndTheValueStatusTwo) {
  for (const UsageCase& c : kUsageCases) {
    std::string args;
    for (const std::string& arg : c.args) args += " " + arg;
    const testing::HornRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.err, "zavolt-horn: error: " + c.line + "\n") << args;
    EXPECT_EQ(r.out, "") << args;
  }
}

TEST(UsageErrors, HelpAndVersionGoToStandardOutputWithStatusZero) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"-h"}, {"design", "--help"},
                                              {"analyse", "-h"}, {"pattern", "--radius", "1", "--help"}}) {
    const testing::HornRun r = run(args);
    EXPECT_EQ(r.status, 0) << args[0];
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("zavolt-horn"), std::string::npos) << r.out;
  }
  const testing::HornRun analyse_help = run({"analyse", "--help"});
  for (const char* option : {"--radius", "--slant", "--freq", "--levels", "--edge-angle", "--f-over-d", "--model",
                             "--phase", "--unit", "--format", "--output", "--plot", "--quiet"}) {
    EXPECT_NE(analyse_help.out.find(option), std::string::npos) << option;
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--version"}, {"design", "--version"}}) {
    const testing::HornRun r = run(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "zavolt-horn " ZAVOLT_VERSION "\n");
  }
}

}  // namespace
}  // namespace zavolt::horn
