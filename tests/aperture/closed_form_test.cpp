// The model against closed forms: with no phase error the aperture integral is Lommel's,
// F(u) / F(0) = J0(u) / (1 - u^2/p^2); the aperture efficiency is 4/p^2; and the spherical phase
// tends to the quadratic one as a/L -> 0. The references use the C++ library's own Bessel function,
// not Boost's, and a bisection of their own.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "zavolt/aperture.hpp"

namespace zavolt::aperture {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;
constexpr double kP = kFirstZeroJ0;
constexpr double kInf = std::numeric_limits<double>::infinity();

// E(theta) / E(0) with no phase error, from Lommel's integral; at u = p its limit p J1(p) / 2.
double lommel_field(double ka, double theta) {
  const double u = ka * std::sin(theta);
  const double obliquity = (1.0 + std::cos(theta)) / 2.0;
  if (std::abs(u - kP) < 1e-9) return obliquity * kP * std::cyl_bessel_j(1.0, kP) / 2.0;
  return obliquity * std::cyl_bessel_j(0.0, u) / (1.0 - u * u / (kP * kP));
}

// theta where the Lommel field falls to 10^(-X/20), by bisection in the main beam (u < p + 1.5).
double lommel_angle(double ka, double level_db) {
  const double target = std::pow(10.0, -level_db / 20.0);
  double lo = 0.0;
  double hi = std::asin(std::min(1.0, (kP + 1.5) / ka));
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2.0;
    (lommel_field(ka, mid) > target ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

// With f = c the wavelength is 1 m: radii in metres are in wavelengths.
Model horn_without_phase_error(double a_over_lambda, Phase phase = Phase::quadratic) {
  return Model({a_over_lambda, kInf, phase}, kSpeedOfLight);
}

TEST(ApertureClosedForm, LommelPattern) {
  for (const double a : {1.0, 2.5, 6.0, 15.0}) {
    const Model m = horn_without_phase_error(a);
    const double ka = 2.0 * kPi * a;
    for (const double theta_deg : {0.0, 0.7, 3.0, 10.0, 25.0, 44.0, 60.0, 89.0, 120.0, 179.0}) {
      const double theta = theta_deg * kDegree;
      const std::complex<double> e = m.relative_field(theta);
      EXPECT_NEAR(e.real(), lommel_field(ka, theta), 1e-12) << "a/lambda " << a << ", " << theta_deg << " deg";
      EXPECT_EQ(e.imag(), 0.0);
    }
    // u = p exactly, where the closed form is 0/0.
    const double at_p = std::asin(kP / ka);
    EXPECT_NEAR(m.relative_field(at_p).real(), lommel_field(ka, at_p), 1e-12) << "a/lambda " << a;
  }
}

TEST(ApertureClosedForm, ThreeAndTenDecibelPoints) {
  for (const double a : {1.0, 2.5, 6.0, 15.0}) {
    const Model m = horn_without_phase_error(a);
    const double ka = 2.0 * kPi * a;
    for (const double level : {3.0, 10.0}) {
      const Beamwidth b = m.beamwidth(level);
      ASSERT_TRUE(b.width);
      EXPECT_NEAR(*b.width / 2.0 / kDegree, lommel_angle(ka, level) / kDegree, 1e-9)
          << "a/lambda " << a << ", " << level << " dB";
      EXPECT_FALSE(b.maximum_off_axis);
    }
  }
}

TEST(ApertureClosedForm, EdgeTaperIsTheLommelLevel) {
  const Model m = horn_without_phase_error(3.0);
  // Edges within the main beam (the first null lies at 17 degrees), with no zero of the field.
  for (const double edge_deg : {5.0, 12.0, 16.0}) {
    const FeedMetrics f = m.feed_metrics(edge_deg * kDegree);
    EXPECT_NEAR(f.edge_taper_db, -20.0 * std::log10(lommel_field(2.0 * kPi * 3.0, edge_deg * kDegree)), 1e-10);
    // A real field has a flat phase: the phase centre is the aperture itself.
    ASSERT_TRUE(f.phase_centre);
    EXPECT_NEAR(*f.phase_centre, 0.0, 1e-12);
  }
}

TEST(ApertureClosedForm, ApertureEfficiencyIsFourOverPSquared) {
  for (const double a : {1.0, 4.0, 15.0}) {
    for (const Phase phase : {Phase::quadratic, Phase::spherical}) {
      const double ka = 2.0 * kPi * a;
      const double expected_dbi = 10.0 * std::log10(ka * ka * 4.0 / (kP * kP));
      EXPECT_NEAR(horn_without_phase_error(a, phase).directivity().dbi, expected_dbi, 1e-10) << "a/lambda " << a;
    }
  }
}

// As S tends to 0 the nulls of the pattern close into zeros, and the feed metrics tend to those of
// the real Lommel field. A tiny S puts a near-kink of |E| at each null, which the efficiencies must
// integrate as well as the real field's sign changes (inside a panel they cost up to 6e-4).
TEST(ApertureClosedForm, FeedMetricsTendToTheRealFieldsAsSTendsToZero) {
  for (const double a : {3.0, 15.0}) {
    const Model real_field = horn_without_phase_error(a);
    const Model nearly_real({a, a * a / (2.0 * 1e-9), Phase::quadratic}, kSpeedOfLight);
    for (double edge_deg = 5.0; edge_deg <= 85.0; edge_deg += 2.0) {
      const FeedMetrics expected = real_field.feed_metrics(edge_deg * kDegree);
      const FeedMetrics f = nearly_real.feed_metrics(edge_deg * kDegree);
      EXPECT_NEAR(f.taper_efficiency, expected.taper_efficiency, 1e-7) << "a/lambda " << a << ", edge " << edge_deg;
      EXPECT_NEAR(f.spillover_efficiency, expected.spillover_efficiency, 1e-7) << "a/lambda " << a << ", edge " << edge_deg;
      EXPECT_EQ(f.phase_centre_undefined, expected.phase_centre_undefined) << "a/lambda " << a << ", edge " << edge_deg;
    }
  }
}

// At a fixed S the two phases differ by terms in (a/L)^2: three times shorter a/L, about nine
// times closer.
TEST(ApertureClosedForm, SphericalTendsToQuadratic) {
  double previous_gap_db = kInf;
  double previous_width_gap = kInf;
  for (const double a : {2.0, 6.0, 18.0}) {
    const double s = 0.5;
    const double slant = a * a / (2.0 * s);
    const Model spherical({a, slant, Phase::spherical}, kSpeedOfLight);
    const Model quadratic({a, slant, Phase::quadratic}, kSpeedOfLight);
    const double gap_db = std::abs(spherical.directivity().dbi - quadratic.directivity().dbi);
    // The 10 dB widths scaled by a, so that horns of every size compare alike.
    const double width_gap = std::abs(*spherical.beamwidth(10.0).width - *quadratic.beamwidth(10.0).width) * a;
    EXPECT_LT(gap_db, previous_gap_db / 6.0) << "a/lambda " << a;
    EXPECT_LT(width_gap, previous_width_gap / 6.0) << "a/lambda " << a;
    previous_gap_db = gap_db;
    previous_width_gap = width_gap;
  }
  EXPECT_LT(previous_gap_db, 0.01);
}

}  // namespace
}  // namespace zavolt::aperture
