// The model's contract: validity flags, invalid input, pattern cuts, the phase centre's sign, the
// off-axis flag and threads.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

#include "aperture/checks.hpp"
#include "zavolt/aperture.hpp"

namespace zavolt::aperture {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kTenGhz = 10e9;  // lambda = 29.979 mm

// The 20 dBi, S = 0.5 design at 10 GHz.
const Horn kDesignHorn{0.074349, 0.184386, Phase::spherical};

template <typename Call>
std::string rejection(Call call) {
  try {
    call();
  } catch (const InvalidInput& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ApertureInput, RejectionsNameTheQuantityAndValue) {
  EXPECT_EQ(rejection([] { Model({-0.003, 0.1}, kTenGhz); }), "aperture radius must be positive and finite, got -0.003");
  EXPECT_EQ(rejection([] { Model({0.05, 0.1}, 0.0); }), "frequency must be positive and finite, got 0");
  EXPECT_EQ(rejection([] { Model({0.05, 0.1}, kInf); }), "frequency must be positive and finite, got inf");
  EXPECT_EQ(rejection([] { Model({kNan, 0.1}, kTenGhz); }), "aperture radius must be positive and finite, got nan");
  EXPECT_EQ(rejection([] { Model({0.05, kNan}, kTenGhz); }), "slant length must be positive, got nan");
  EXPECT_EQ(rejection([] { Model({0.05, -1.0, Phase::quadratic}, kTenGhz); }), "slant length must be positive, got -1");
  EXPECT_EQ(rejection([] { Model({0.05, 0.04}, kTenGhz); }),
            "slant length must exceed the aperture radius under the spherical phase (radius 0.05), got 0.04");
  EXPECT_EQ(rejection([] { Model({0.05, 0.05}, kTenGhz); }).substr(0, 40), "slant length must exceed the aperture ra");
  const Model m(kDesignHorn, kTenGhz);
  EXPECT_EQ(rejection([&] { (void)m.beamwidth(0.0); }), "level must lie above 0 and at most 100 dB, got 0");
  EXPECT_EQ(rejection([&] { (void)m.beamwidth(-3.0); }), "level must lie above 0 and at most 100 dB, got -3");
  EXPECT_EQ(rejection([&] { (void)m.feed_metrics(kPi / 2.0); }),
            "edge angle must lie from 0.01 degree (0.00017453292519943296) to below pi/2 radians, got 1.5707963267948966");
  EXPECT_EQ(rejection([&] { (void)m.feed_metrics(0.0); }).substr(0, 10), "edge angle");
  EXPECT_EQ(rejection([&] { (void)m.relative_field(kNan); }), "theta must be finite, got nan");
  EXPECT_EQ(rejection([] { (void)edge_angle_from_f_over_d(0.25); }), "f/D must be finite and above 0.25, got 0.25");
  EXPECT_EQ(rejection([] { (void)design_for_directivity(20.0, kTenGhz, -0.1); }),
            "phase deviation S must be finite and not negative, got -0.1");
  EXPECT_EQ(rejection([] { (void)design_for_edge_taper(0.0, 0.5, kTenGhz, 0.3); }),
            "edge taper must be positive and finite, got 0");
  EXPECT_EQ(rejection([] { (void)design_for_directivity(kNan, kTenGhz, 0.3); }), "directivity must be finite, got nan");
  // Accepted: an infinite slant, and a slant below the radius under the quadratic phase.
  EXPECT_EQ(rejection([] { Model({0.05, kInf}, kTenGhz); }), "accepted");
  EXPECT_EQ(rejection([] { Model({0.05, 0.04, Phase::quadratic}, kTenGhz); }), "accepted");
  try {
    Model({0.05, 0.04}, kTenGhz);
  } catch (const InvalidInput& e) {
    EXPECT_EQ(e.quantity(), Quantity::slant);
    EXPECT_EQ(e.value(), 0.04);
  }
}

// The domain: a / lambda from 0.05 to 100, S up to 4, levels up to 100 dB, edges from 0.01 degree.
// Each refusal was once a result: an int conversion out of range, inf, -inf, NaN or 0.
TEST(ApertureDomain, OutsideIsRefusedNamingWhatWasPassed) {
  const double lambda = kSpeedOfLight / kTenGhz;
  // The bounds themselves are inside.
  EXPECT_EQ(rejection([&] { Model({0.05 * lambda, kInf}, kTenGhz); }), "accepted");
  EXPECT_EQ(rejection([&] { Model({100.0 * lambda, kInf}, kTenGhz); }), "accepted");
  EXPECT_EQ(rejection([&] { (void)Model(kDesignHorn, kTenGhz).beamwidth(100.0); }), "accepted");
  EXPECT_EQ(rejection([&] { (void)Model(kDesignHorn, kTenGhz).feed_metrics(0.01 * kDegree); }), "accepted");
  const auto quantity_of = [](auto call) {
    try {
      call();
    } catch (const InvalidInput& e) {
      return e.quantity();
    }
    return Quantity::mode_count;  // accepted: no quantity
  };
  // a / lambda: 1e-300 gave -inf dBi, 1e30 or 1e308 an infinite gain, 100 mm at 1e20 Hz an int
  // overflow in the panel count.
  EXPECT_EQ(rejection([] { Model({1e-300, kInf}, kTenGhz); }),
            "aperture radius must lie between 0.00149896229 and 2.99792458 (0.05 to 100 wavelengths at this "
            "frequency), got 1e-300");
  EXPECT_EQ(quantity_of([] { Model({1e308, kInf}, kTenGhz); }), Quantity::radius);
  EXPECT_EQ(quantity_of([] { Model({0.1, kInf}, 1e20); }), Quantity::radius);
  EXPECT_EQ(quantity_of([&] { Model({100.0001 * lambda, kInf}, kTenGhz); }), Quantity::radius);
  EXPECT_EQ(quantity_of([&] { Model({0.0499 * lambda, kInf}, kTenGhz); }), Quantity::radius);
  EXPECT_EQ(quantity_of([] { (void)geometry({0.1, kInf}, 1e20); }), Quantity::radius);
  // S above 4 under the quadratic phase (the spherical one keeps S below a / 2 lambda).
  EXPECT_EQ(quantity_of([&] { Model({10.0 * lambda, 10.0 * lambda * 10.0 / 8.1, Phase::quadratic}, kTenGhz); }),
            Quantity::slant);
  EXPECT_EQ(rejection([&] { Model({10.0 * lambda, 10.0 * lambda * 10.0 / 7.9, Phase::quadratic}, kTenGhz); }),
            "accepted");
  // Levels above 100 dB, edges below 0.01 degree (1e-300 rad gave a NaN taper efficiency).
  const Model m(kDesignHorn, kTenGhz);
  EXPECT_EQ(quantity_of([&] { (void)m.beamwidth(100.5); }), Quantity::level);
  EXPECT_EQ(quantity_of([&] { (void)m.beamwidth(kInf); }), Quantity::level);
  EXPECT_EQ(quantity_of([&] { (void)m.feed_metrics(1e-300); }), Quantity::edge_angle);
  EXPECT_EQ(quantity_of([&] { (void)m.feed_metrics(0.0099 * kDegree); }), Quantity::edge_angle);
  EXPECT_EQ(quantity_of([] { (void)edge_angle_from_f_over_d(1e308); }), Quantity::f_over_d);
  // Designs: S beyond 4 (1e308 overflowed), a gain whose radius leaves the domain, named as the
  // gain the caller passed (-1e308 was once a refused radius).
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(20.0, kTenGhz, 1e308); }), Quantity::phase_deviation);
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(20.0, kTenGhz, 4.5); }), Quantity::phase_deviation);
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(-1e308, kTenGhz, 0.5); }), Quantity::directivity);
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(1e308, kTenGhz, 0.5); }), Quantity::directivity);
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(400.0, 10e9, 0.1); }), Quantity::directivity);
  EXPECT_EQ(quantity_of([] { (void)design_for_directivity(80.0, 10e9, 0.1, Phase::quadratic); }),
            Quantity::directivity);
  // 80 dBi with the J0 aperture's efficiency of 0.692: a = lambda sqrt(1e8 / 0.692) / (2 pi) = 57.4 m.
  EXPECT_EQ(rejection([] { (void)design_for_directivity(80.0, 10e9, 0.0); }).substr(0, 43),
            "directivity needs an aperture radius of 57.");
  EXPECT_EQ(quantity_of([] { (void)design_for_edge_taper(120.0, 0.5, kTenGhz, 0.3); }), Quantity::edge_taper);
  // A directivity just inside the domain's largest radius is designed.
  const Design largest = design_for_directivity(Model({99.0 * lambda, kInf}, kTenGhz).directivity().dbi, kTenGhz, 0.0);
  ASSERT_FALSE(largest.no_solution());
  EXPECT_NEAR(largest.horn->radius / lambda, 99.0, 1e-6);
  // An edge-taper design needing more than 100 wavelengths has no solution and says why.
  const Design tiny_edge = design_for_edge_taper(10.0, 0.05 * kDegree, kTenGhz, 0.0);
  EXPECT_TRUE(tiny_edge.no_solution());
  EXPECT_EQ(tiny_edge.reason, "the taper needs an aperture radius beyond the model's domain (100 wavelengths)");
}

// Every count of panels or samples passes one range check before its conversion to an integer: a
// panel count of 1.5e19 (100 mm at 1e20 Hz) was undefined behaviour, which UBSan's
// float-cast-overflow check catches in the asan build.
TEST(ApertureDomain, CountsAreRangeCheckedBeforeTheirConversion) {
  EXPECT_EQ(detail::count_of(0.0), 1u);
  EXPECT_EQ(detail::count_of(2.5), 3u);
  EXPECT_EQ(detail::count_of(detail::kMostCount), static_cast<std::size_t>(detail::kMostCount));
  for (const double x : {1.5e19, 1e300, kInf, kNan, -1.0, detail::kMostCount * 1.01}) {
    EXPECT_THROW((void)detail::count_of(x), std::length_error) << x;
    EXPECT_THROW((void)detail::panels_of(x), std::length_error) << x;
  }
}

// Inside the domain every result is finite, at its corners too.
TEST(ApertureDomain, CornersGiveFiniteResults) {
  const double lambda = kSpeedOfLight / kTenGhz;
  for (const double a : {0.05, 1.0, 100.0}) {
    for (const double s : {0.0, 0.02, 4.0}) {
      const double radius = a * lambda;
      const double slant = s == 0.0 ? kInf : radius * radius / (2.0 * lambda * s);
      for (const Phase phase : {Phase::spherical, Phase::quadratic}) {
        if (phase == Phase::spherical && !(slant > radius)) continue;
        const Model m({radius, slant, phase}, kTenGhz);
        EXPECT_TRUE(std::isfinite(m.directivity().dbi)) << a << " " << s;
        EXPECT_TRUE(std::isfinite(m.pattern_directivity_dbi())) << a << " " << s;
        for (const double edge : {0.01 * kDegree, 89.99 * kDegree}) {
          const FeedMetrics f = m.feed_metrics(edge);
          EXPECT_TRUE(std::isfinite(f.edge_taper_db) && std::isfinite(f.spillover_efficiency) &&
                      std::isfinite(f.taper_efficiency))
              << a << " " << s << " " << edge;
          if (f.phase_centre) {
            EXPECT_TRUE(std::isfinite(*f.phase_centre));
          }
          if (a == 100.0) continue;
          const double levels[] = {0.001, 100.0};
          for (const Beamwidth& b : m.beamwidths(levels)) {
            if (b.width) {
              EXPECT_TRUE(std::isfinite(*b.width) && *b.width > 0.0);
            }
          }
        }
      }
    }
  }
}

TEST(ApertureGeometry, SFlareAndValidity) {
  const Geometry g = geometry(kDesignHorn, kTenGhz);
  EXPECT_NEAR(g.wavelength, 0.0299792458, 1e-15);
  EXPECT_NEAR(g.s, 0.5, 1e-5);
  EXPECT_NEAR(g.flare_half_angle, std::asin(0.074349 / 0.184386), 1e-15);
  EXPECT_FALSE(g.validity.any());
  // S above 1.
  EXPECT_TRUE(geometry({0.1, 0.15}, kTenGhz).validity.s_outside_0_to_1);
  // A 30 degree flare flags the quadratic phase only.
  EXPECT_TRUE(geometry({0.05, 0.1, Phase::quadratic}, kTenGhz).validity.flare_above_15_degrees);
  EXPECT_FALSE(geometry({0.05, 0.1, Phase::spherical}, kTenGhz).validity.flare_above_15_degrees);
  EXPECT_FALSE(geometry({0.05, 0.2, Phase::quadratic}, kTenGhz).validity.flare_above_15_degrees);  // 14.5 deg
  // The aperture below one wavelength, and a quadratic horn with L < a (flare taken as 90 degrees).
  EXPECT_TRUE(geometry({0.02, kInf}, kTenGhz).validity.aperture_below_wavelength);
  EXPECT_EQ(geometry({0.05, 0.04, Phase::quadratic}, kTenGhz).flare_half_angle, kPi / 2.0);
  EXPECT_EQ(geometry({0.05, kInf}, kTenGhz).s, 0.0);
  // Results carry the flags of their horn.
  const Model small({0.02, kInf}, kTenGhz);
  EXPECT_TRUE(small.directivity().validity.aperture_below_wavelength);
  EXPECT_TRUE(small.beamwidth(3.0).validity.aperture_below_wavelength);
  EXPECT_TRUE(small.feed_metrics(0.5).validity.aperture_below_wavelength);
}

TEST(AperturePattern, CutMatchesPointsAndIsRelativeToBoresight) {
  const Model m(kDesignHorn, kTenGhz);
  std::vector<double> thetas;
  for (int i = 0; i <= 180; ++i) thetas.push_back(i * 0.5 * kDegree);
  const std::vector<PatternPoint> cut = m.pattern(thetas);
  ASSERT_EQ(cut.size(), thetas.size());
  EXPECT_EQ(cut[0].level_db, 0.0);
  EXPECT_EQ(cut[0].phase, 0.0);
  for (std::size_t i = 0; i < cut.size(); ++i) {
    const PatternPoint p = m.pattern_point(thetas[i]);
    EXPECT_EQ(cut[i].field, p.field);
    EXPECT_NEAR(cut[i].level_db, 20.0 * std::log10(std::abs(p.field)), 1e-12);
    EXPECT_GT(cut[i].phase, -kPi);
    EXPECT_LE(cut[i].phase, kPi);
    // E is even in theta.
    EXPECT_NEAR(std::abs(m.relative_field(-thetas[i]) - p.field), 0.0, 1e-15);
  }
  // The level at the 10 dB beamwidth's edge is -10 dB.
  const double edge = *m.beamwidth(10.0).width / 2.0;
  EXPECT_NEAR(m.pattern_point(edge).level_db, -10.0, 1e-9);
  // Backwards the obliquity factor vanishes.
  EXPECT_EQ(m.pattern_point(kPi).level_db, -kInf);
  // On the axis the field is 1 exactly, phase 0 included, for any horn.
  for (const Horn horn : {Horn{0.074, 0.184}, Horn{0.0154, 0.0476}, Horn{0.05, 0.1, Phase::quadratic}}) {
    const PatternPoint axis = Model(horn, kTenGhz).pattern_point(0.0);
    EXPECT_EQ(axis.field, std::complex<double>(1.0, 0.0));
    EXPECT_EQ(axis.phase, 0.0);
  }
}

TEST(ApertureBeamwidth, LevelsKeepTheirOrderAndFlags) {
  const Model m(kDesignHorn, kTenGhz);
  const std::array<double, 3> levels = {10.0, 3.0, 12.5};
  const std::vector<Beamwidth> widths = m.beamwidths(levels);
  ASSERT_EQ(widths.size(), 3u);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    EXPECT_EQ(widths[i].level_db, levels[i]);
    EXPECT_EQ(*widths[i].width, *m.beamwidth(levels[i]).width);
  }
  EXPECT_LT(*widths[1].width, *widths[0].width);
  EXPECT_LT(*widths[0].width, *widths[2].width);
  // A horn of half a wavelength never falls 30 dB within 90 degrees.
  const Beamwidth wide = Model({0.015, kInf}, kTenGhz).beamwidth(30.0);
  EXPECT_TRUE(wide.not_reached_within_90_degrees);
  EXPECT_FALSE(wide.width);
}

// Near S = 1.2 the aperture's phase error empties boresight more than the ring around it.
TEST(ApertureBeamwidth, MaximumOffAxisNearSOfOnePointTwo) {
  const auto horn = [](double s, Phase phase) { return Horn{5.0, 25.0 / (2.0 * s), phase}; };  // a = 5 lambda
  for (const Phase phase : {Phase::spherical, Phase::quadratic}) {
    for (const double s : {0.5, 0.9}) EXPECT_FALSE(Model(horn(s, phase), kSpeedOfLight).maximum_off_axis()) << s;
    const Model m(horn(1.2, phase), kSpeedOfLight);
    EXPECT_TRUE(m.maximum_off_axis());
    EXPECT_TRUE(m.beamwidth(3.0).maximum_off_axis);
    EXPECT_TRUE(m.feed_metrics(0.2).validity.s_outside_0_to_1);
  }
}

// The phase centre lies at the aperture without phase error and moves towards the apex as S grows
// from 0.
TEST(ApertureFeed, PhaseCentreGrowsFromZeroWithS) {
  double previous = -1.0;
  for (const double s : {0.0, 0.1, 0.2, 0.3, 0.4}) {
    const double slant = s == 0.0 ? kInf : 0.1 * 0.1 / (2.0 * 0.0299792458 * s);
    const FeedMetrics f = Model({0.1, slant}, kTenGhz).feed_metrics(15.0 * kDegree);
    ASSERT_TRUE(f.phase_centre) << s;
    EXPECT_GT(*f.phase_centre, previous) << s;
    EXPECT_LT(*f.phase_centre, slant) << s;
    previous = *f.phase_centre;
  }
}

TEST(ApertureFeed, EfficienciesAndAZeroInsideTheEdge) {
  // f/D 0.4 sees the rim at 64 degrees.
  EXPECT_NEAR(edge_angle_from_f_over_d(0.4) / kDegree, 64.01076641, 1e-8);
  const Model m(kDesignHorn, kTenGhz);
  const FeedMetrics f = m.feed_metrics(edge_angle_from_f_over_d(0.4));
  EXPECT_GT(f.spillover_efficiency, 0.99);
  EXPECT_LT(f.spillover_efficiency, 1.0);
  EXPECT_GT(f.taper_efficiency, 0.0);
  EXPECT_LT(f.taper_efficiency, 1.0);
  // No phase error: the real field changes sign at its first null, and no centre is fitted across it.
  const Model plain({0.1, kInf}, kTenGhz);
  const FeedMetrics beyond = plain.feed_metrics(30.0 * kDegree);
  EXPECT_TRUE(beyond.phase_centre_undefined);
  EXPECT_FALSE(beyond.phase_centre);
  EXPECT_FALSE(plain.feed_metrics(10.0 * kDegree).phase_centre_undefined);
}

TEST(ApertureThreads, OneModelFromTwoThreads) {
  const Model m(kDesignHorn, kTenGhz);
  const FeedMetrics alone = m.feed_metrics(0.6);
  FeedMetrics first;
  FeedMetrics second;
  std::thread a([&] { first = m.feed_metrics(0.6); });
  std::thread b([&] { second = feed_metrics(kDesignHorn, kTenGhz, 0.6); });
  a.join();
  b.join();
  for (const FeedMetrics* f : {&first, &second}) {
    EXPECT_EQ(f->edge_taper_db, alone.edge_taper_db);
    EXPECT_EQ(f->spillover_efficiency, alone.spillover_efficiency);
    EXPECT_EQ(f->phase_centre, alone.phase_centre);
  }
}

}  // namespace
}  // namespace zavolt::aperture
