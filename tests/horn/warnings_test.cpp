// Warnings of each kind, under each model that raises it: one line each on standard error,
// silenced by --quiet, never changing a number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "horn_run.hpp"

namespace zavolt::horn {
namespace {

using testing::run;
using testing::with;

void expect_warning(const std::vector<std::string>& args, const std::string& warning) {
  const testing::HornRun r = run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("zavolt-horn: warning: " + warning + "\n"), std::string::npos) << r.err;
  // The same run with --quiet: silent, and the same rows.
  const testing::HornRun quiet = run(with(args, {"--quiet"}));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out, r.out);
}

TEST(ClassicWarnings, SOutsideZeroToOne) {
  expect_warning({"design", "--model", "classic", "--gain", "20", "--freq", "10", "--s", "1.2", "--format", "csv"},
                 "S = 1.2 lies outside 0 to 1");
}

TEST(ClassicWarnings, AFlareAboveFifteenDegreesUnderTheQuadraticPhase) {
  expect_warning({"analyse", "--model", "classic", "--radius", "10", "--slant", "20", "--unit", "cm", "--freq", "10",
                  "--format", "csv"},
                 "the flare half-angle 30.00 deg at 10 GHz is above 15 deg, where the quadratic phase is a poor "
                 "approximation");
}

TEST(ClassicWarnings, AnApertureBelowOneWavelength) {
  expect_warning({"analyse", "--model", "classic", "--radius", "0.5", "--slant", "100", "--unit", "in", "--freq",
                  "10", "--format", "csv"},
                 "the aperture radius 0.50000 in is below one wavelength (1.18028 in) at 10 GHz");
}

TEST(ClassicWarnings, ABeamwidthBeyondItsTable) {
  // S = a^2 / (2 L lambda) = 1.2 at 10 GHz for a = 2 in, L = 1.412 in.
  expect_warning({"analyse", "--model", "classic", "--radius", "2", "--slant", "1.412", "--unit", "in", "--freq",
                  "10", "--format", "csv"},
                 "S = 1.2001 at 10 GHz lies beyond the classic beamwidth tables (S = 0 to 1), which are "
                 "extrapolated");
}

TEST(ClassicWarnings, EachKindOnceWithTheRowsItConcerns) {
  const testing::HornRun r = run({"analyse", "--model", "classic", "--radius", "10", "--slant", "20", "--unit", "cm",
                                  "--freq", "9:11:1", "--format", "csv"});
  EXPECT_EQ(r.err,
            "zavolt-horn: warning: the flare half-angle 30.00 deg at 9 GHz is above 15 deg, where the quadratic "
            "phase is a poor approximation (and 2 more rows)\n");
}

TEST(ApertureWarnings, SOutsideZeroToOne) {
  expect_warning({"analyse", "--radius", "74.349", "--slant", "100", "--freq", "12", "--format", "csv"},
                 "S = 1.1063 at 12 GHz lies outside 0 to 1");
}

TEST(ApertureWarnings, AFlareAboveFifteenDegreesUnderTheQuadraticPhase) {
  expect_warning({"analyse", "--radius", "30", "--slant", "80", "--freq", "12", "--phase", "quadratic", "--format",
                  "csv"},
                 "the flare half-angle 22.02 deg at 12 GHz is above 15 deg, where the quadratic phase is a poor "
                 "approximation");
}

TEST(ApertureWarnings, AnApertureBelowOneWavelength) {
  expect_warning({"pattern", "--radius", "20", "--slant", "100", "--freq", "12", "--format", "csv"},
                 "the aperture radius 20.000 mm is below one wavelength (24.983 mm) at 12 GHz");
}

TEST(ApertureWarnings, ALevelNotReachedWithinNinetyDegrees) {
  expect_warning({"analyse", "--radius", "10", "--slant", "100", "--freq", "10", "--levels", "3,20", "--format",
                  "csv"},
                 "the 20 dB level is not reached within 90 deg at 10 GHz");
}

TEST(ApertureWarnings, TheMaximumOffAxis) {
  // S = 1.4 under the quadratic phase: the boresight lies in a dip of the main beam.
  expect_warning({"analyse", "--radius", "74.349", "--slant", "65.8", "--freq", "10", "--phase", "quadratic",
                  "--format", "csv"},
                 "the pattern's maximum lies off axis at 10 GHz");
}

TEST(ApertureWarnings, ADesignPointWithoutASolution) {
  expect_warning({"design", "--gain", "0", "--freq", "10", "--s", "0.5", "--format", "csv"},
                 "no horn meets the design at S = 0.5: the wanted gain lies below that of the shortest horn, its "
                 "slant at its radius");
}

}  // namespace
}  // namespace zavolt::horn
