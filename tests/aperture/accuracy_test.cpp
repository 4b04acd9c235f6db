// The model against independent 20-digit computations (mpmath, checked in) at the corners of its
// accuracy domain: a/lambda 1 and 15, S 0 to 1.2, a/L up to 0.7 under the spherical phase, levels
// 0.5 to 30 dB, edge angles 5 to 85 degrees. This is what shows the fixed Gauss-Legendre panels
// adequate: the largest horns need the most panels in x and in theta, and a small S (0.01 at
// a/lambda 15) the splits at the nearly closed nulls.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "aperture/references/mpmath_references.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::aperture {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kDirectivityDb = 0.001;
constexpr double kTaperDb = 0.001;
constexpr double kWidthDeg = 0.01;
constexpr double kEfficiency = 1e-4;
constexpr double kPhaseCentreLambda = 0.001;

// With f = c the wavelength is 1 m, so lengths in metres are lengths in wavelengths.
Model model_of(double a_over_lambda, double s, bool spherical) {
  const double slant = s == 0.0 ? std::numeric_limits<double>::infinity() : a_over_lambda * a_over_lambda / (2.0 * s);
  return Model({a_over_lambda, slant, spherical ? Phase::spherical : Phase::quadratic}, kSpeedOfLight);
}

std::string label(double a_over_lambda, double s, bool spherical) {
  return "a/lambda " + std::to_string(a_over_lambda) + ", S " + std::to_string(s) +
         (spherical ? ", spherical" : ", quadratic");
}

TEST(ApertureAccuracy, Directivity) {
  for (const auto& r : references::kDirectivity) {
    EXPECT_NEAR(model_of(r.a_over_lambda, r.s, r.spherical).directivity().dbi, r.dbi, kDirectivityDb)
        << label(r.a_over_lambda, r.s, r.spherical);
  }
}

TEST(ApertureAccuracy, Beamwidths) {
  for (const auto& r : references::kBeamwidth) {
    const Beamwidth b = model_of(r.a_over_lambda, r.s, r.spherical).beamwidth(r.level_db);
    const std::string where = label(r.a_over_lambda, r.s, r.spherical) + ", " + std::to_string(r.level_db) + " dB";
    if (r.width_deg == references::kNotReached) {
      EXPECT_TRUE(b.not_reached_within_90_degrees) << where;
      EXPECT_FALSE(b.width) << where;
      continue;
    }
    ASSERT_TRUE(b.width) << where;
    EXPECT_NEAR(*b.width / kDegree, r.width_deg, kWidthDeg) << where;
  }
}

TEST(ApertureAccuracy, FeedMetrics) {
  for (const auto& r : references::kFeed) {
    const FeedMetrics m = model_of(r.a_over_lambda, r.s, r.spherical).feed_metrics(r.edge_deg * kDegree);
    const std::string where = label(r.a_over_lambda, r.s, r.spherical) + ", edge " + std::to_string(r.edge_deg);
    EXPECT_NEAR(m.edge_taper_db, r.edge_taper_db, kTaperDb) << where;
    EXPECT_NEAR(m.spillover_efficiency, r.spillover, kEfficiency) << where;
    EXPECT_NEAR(m.taper_efficiency, r.taper, kEfficiency) << where;
    EXPECT_DOUBLE_EQ(m.feed_efficiency, m.spillover_efficiency * m.taper_efficiency) << where;
    if (r.zero_inside) {
      EXPECT_TRUE(m.phase_centre_undefined) << where;
      EXPECT_FALSE(m.phase_centre) << where;
    } else if (!std::isnan(r.phase_centre_lambda)) {
      ASSERT_TRUE(m.phase_centre) << where;
      EXPECT_NEAR(*m.phase_centre, r.phase_centre_lambda, kPhaseCentreLambda) << where;
    }
  }
}

}  // namespace
}  // namespace zavolt::aperture
