// Designs analysed again give their targets, take the smallest radius, and say when there is none.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "zavolt/aperture.hpp"

namespace zavolt::aperture {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kRoundTripDb = 1e-4;
constexpr double kTenGhz = 10e9;
constexpr double kLambda = kSpeedOfLight / kTenGhz;

double edge_taper(const Horn& horn, double frequency, double edge_angle) {
  return -20.0 * std::log10(std::abs(Model(horn, frequency).relative_field(edge_angle)));
}

TEST(ApertureDesign, DirectivityRoundTrips) {
  for (const Phase phase : {Phase::spherical, Phase::quadratic}) {
    for (const double s : {0.0, 0.1, 0.5, 1.0, 1.2}) {
      for (const double target : {15.0, 20.0, 25.0, 30.0}) {
        const Design d = design_for_directivity(target, kTenGhz, s, phase);
        ASSERT_FALSE(d.no_solution()) << target << " dBi, S " << s;
        EXPECT_NEAR(Model(*d.horn, kTenGhz).directivity().dbi, target, kRoundTripDb) << target << " dBi, S " << s;
        EXPECT_EQ(*d.directivity_dbi, Model(*d.horn, kTenGhz).directivity().dbi);
        EXPECT_NEAR(Model(*d.horn, kTenGhz).geometry().s, s, 1e-12);
        EXPECT_EQ(d.horn->phase, phase);
        EXPECT_FALSE(d.edge_taper_db);
      }
    }
  }
  // The case: 20 dBi at S = 0.5 under the quadratic phase is the classic design's horn
  // (a = 74.349 mm) to within the classic gain-loss polynomial's error.
  const Design quadratic = design_for_directivity(20.0, kTenGhz, 0.5, Phase::quadratic);
  EXPECT_NEAR(quadratic.horn->radius, 0.074349, 0.0001);
  // The spherical phase loses directivity at the same S, so its design is larger.
  EXPECT_GT(design_for_directivity(20.0, kTenGhz, 0.5).horn->radius, quadratic.horn->radius);
}

TEST(ApertureDesign, DirectivityWithoutASphericalHorn) {
  // At S = 1 even the shortest spherical horn, L just above a = 2 lambda S (a 90 degree flare),
  // has about -2.8 dBi: a lower target would need L <= a.
  const double cone = 2.0 * kLambda * 1.0 * (1.0 + 1e-6);
  EXPECT_GT(Model({cone, cone * cone / (2.0 * kLambda)}, kTenGhz).directivity().dbi, -5.0);
  const Design d = design_for_directivity(-5.0, kTenGhz, 1.0);
  EXPECT_TRUE(d.no_solution());
  EXPECT_FALSE(d.horn);
  EXPECT_FALSE(d.directivity_dbi);
  EXPECT_EQ(d.s, 1.0);
  // The quadratic phase has no such limit, and a higher target is met.
  EXPECT_FALSE(design_for_directivity(-5.0, kTenGhz, 1.0, Phase::quadratic).no_solution());
  EXPECT_FALSE(design_for_directivity(0.0, kTenGhz, 1.0).no_solution());
  // S above 1 is flagged, solution or not.
  EXPECT_TRUE(design_for_directivity(-20.0, kTenGhz, 1.1).validity.s_outside_0_to_1);
  EXPECT_TRUE(design_for_directivity(20.0, kTenGhz, 1.1).validity.s_outside_0_to_1);
}

TEST(ApertureDesign, EdgeTaperRoundTripsWithTheSmallestRadius) {
  for (const Phase phase : {Phase::spherical, Phase::quadratic}) {
    for (const double s : {0.0, 0.3, 0.6, 1.0}) {
      for (const double edge_deg : {20.0, 40.0, 64.0}) {
        for (const double target : {10.0, 12.0, 18.0}) {
          const Design d = design_for_edge_taper(target, edge_deg * kDegree, 12e9, s, phase);
          const std::string where = std::to_string(target) + " dB at " + std::to_string(edge_deg) + " deg, S " +
                                    std::to_string(s);
          if (d.no_solution()) {
            ADD_FAILURE() << "no solution: " << where;
            continue;
          }
          EXPECT_NEAR(edge_taper(*d.horn, 12e9, edge_deg * kDegree), target, kRoundTripDb) << where;
          EXPECT_EQ(*d.edge_taper_db, edge_taper(*d.horn, 12e9, edge_deg * kDegree)) << where;
          // No smaller radius reaches the target: the taper stays below it all the way down.
          for (const double fraction : {0.2, 0.4, 0.6, 0.8, 0.9, 0.97, 0.995}) {
            const double radius = d.horn->radius * fraction;
            const double slant = s == 0.0 ? std::numeric_limits<double>::infinity()
                                           : radius * radius / (2.0 * kSpeedOfLight / 12e9 * s);
            if (phase == Phase::spherical && slant <= radius) continue;
            EXPECT_LT(edge_taper({radius, slant, phase}, 12e9, edge_deg * kDegree), target) << where << fraction;
          }
        }
      }
    }
  }
}

TEST(ApertureDesign, EdgeTaperBeyondTheMainBeamHasNoSolution) {
  // The taper at 30 degrees of S = 0.5 horns, on a fine grid of radii, up to its first peak: there
  // the edge meets the pattern's first minimum, and the main beam ends.
  const double edge = 30.0 * kDegree;
  const auto horn = [](double radius) { return Horn{radius, radius * radius / (2.0 * kLambda * 0.5), Phase::quadratic}; };
  double peak = 0.0;
  double peak_radius = 0.0;
  for (double radius = 0.05 * kLambda;; radius += 0.01 * kLambda) {
    const double taper = edge_taper(horn(radius), kTenGhz, edge);
    if (taper < peak) break;
    peak = taper;
    peak_radius = radius;
  }
  const Design below = design_for_edge_taper(peak - 1.0, edge, kTenGhz, 0.5, Phase::quadratic);
  ASSERT_FALSE(below.no_solution());
  EXPECT_LT(below.horn->radius, peak_radius);
  EXPECT_TRUE(design_for_edge_taper(peak + 0.5, edge, kTenGhz, 0.5, Phase::quadratic).no_solution());
  // The obliquity factor alone tapers an 85 degree edge by 5.3 dB: 3 dB is out of reach.
  EXPECT_TRUE(design_for_edge_taper(3.0, 85.0 * kDegree, kTenGhz, 0.0).no_solution());
}

// Next to the cone the boresight of an S = 1 horn is a minimum and the taper falls as a grows;
// the design is where it rises through the target afterwards, with the edge in the main beam.
TEST(ApertureDesign, EdgeTaperSkipsHornsNextToTheCone) {
  const double edge = 20.0 * kDegree;
  const Design d = design_for_edge_taper(10.0, edge, kSpeedOfLight, 1.0);
  ASSERT_FALSE(d.no_solution());
  EXPECT_GT(d.horn->radius, 4.0);  // wavelengths: the taper near a = 2 lambda is above 10 dB and falling
  const Beamwidth b = Model(*d.horn, kSpeedOfLight).beamwidth(10.0);
  EXPECT_NEAR(*b.width / 2.0, edge, 1e-9);  // the edge is the first angle at the target level
}

}  // namespace
}  // namespace zavolt::aperture

namespace zavolt::aperture {
namespace {

// A design returns its horn analysed: the beamwidths and the off-axis flag are the Model's.
TEST(ApertureDesignAnalysed, BeamwidthsAndFlagsAreTheModels) {
  for (const double s : {0.0, 0.5, 1.0}) {
    const Design d = design_for_directivity(20.0, 10e9, s);
    ASSERT_FALSE(d.no_solution());
    const Model m(*d.horn, 10e9);
    ASSERT_TRUE(d.beamwidth_3db && d.beamwidth_10db);
    EXPECT_EQ(*d.beamwidth_3db->width, *m.beamwidth(3.0).width) << s;
    EXPECT_EQ(*d.beamwidth_10db->width, *m.beamwidth(10.0).width) << s;
    EXPECT_EQ(d.maximum_off_axis, m.maximum_off_axis()) << s;
    EXPECT_TRUE(d.reason.empty());
  }
  // At S = 1 the 20 dBi horn's boresight is a dip: the design says so.
  EXPECT_TRUE(design_for_directivity(20.0, 10e9, 1.0).maximum_off_axis);
}

// The sweep helper is the Model's members at each frequency, in order.
TEST(ApertureSweep, RowsAreTheModelsAtEachFrequency) {
  const Horn horn{0.074349, 0.184386, Phase::spherical};
  const double frequencies[] = {10e9, 11e9, 12e9};
  const double levels[] = {3.0, 12.5};
  const std::vector<SweepPoint> points = sweep(horn, frequencies, levels, 1.0);
  ASSERT_EQ(points.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const Model m(horn, frequencies[i]);
    EXPECT_EQ(points[i].frequency, frequencies[i]);
    EXPECT_EQ(points[i].directivity.dbi, m.directivity().dbi);
    EXPECT_EQ(points[i].pattern_directivity_dbi, m.pattern_directivity_dbi());
    ASSERT_EQ(points[i].beamwidths.size(), 2u);
    EXPECT_EQ(*points[i].beamwidths[1].width, *m.beamwidth(12.5).width);
    ASSERT_TRUE(points[i].feed);
    EXPECT_EQ(points[i].feed->edge_taper_db, m.feed_metrics(1.0).edge_taper_db);
  }
  EXPECT_FALSE(sweep(horn, frequencies, levels).front().feed.has_value());
}

// For a large aperture the aperture formula and the integrated pattern agree; for a small one the
// formula falls below isotropic, while a pattern no stronger anywhere than at boresight has at
// least 2 / (integral of sin theta over the hemisphere) = 2, 3.01 dBi.
TEST(AperturePatternDirectivity, AgreesWithTheFormulaForLargeApertures) {
  const double lambda = kSpeedOfLight / 10e9;
  const Model large({20.0 * lambda, kSpeedOfLight}, 10e9);
  EXPECT_NEAR(large.pattern_directivity_dbi(), large.directivity().dbi, 0.02);
  const Model small({0.0025, 0.1}, 10e9);
  EXPECT_LT(small.directivity().dbi, -7.0);
  EXPECT_GT(small.pattern_directivity_dbi(), 3.0);
}

}  // namespace
}  // namespace zavolt::aperture
