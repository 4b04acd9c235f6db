// The mode-matching solver against physics: transparency, power conservation, reciprocity, the
// open-ended guide's closed form, the balanced-hybrid limit and convergence with the mode count.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "modes/horns.hpp"
#include "zavolt/aperture.hpp"
#include "zavolt/modes.hpp"

namespace zavolt::modes {
namespace {

using testing::kC;
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

double db(std::complex<double> v) { return 20.0 * std::log10(std::abs(v)); }

Options with_modes(int n, ModeRule rule = ModeRule::radius) {
  Options o;
  o.modes = n;
  o.rule = rule;
  return o;
}

TEST(ModesSolverPhysics, UniformGuideIsTransparentAndDelaysTe11) {
  const double a = 10e-3, l = 0.137, f = 12e9;
  const Solution s = Solver(testing::uniform(a, l), with_modes(12)).solve(f);
  const double k = 2.0 * kPi * f / kC;
  const double kc = 1.8411837813406593 / a;
  const std::complex<double> expected = std::exp(std::complex<double>(0.0, -std::sqrt(k * k - kc * kc) * l));
  EXPECT_EQ(s.s11, std::complex<double>(0.0, 0.0));
  EXPECT_NEAR(std::abs(s.transmitted.at(0).amplitude - expected), 0.0, 1e-14);
  for (std::size_t i = 1; i < s.transmitted.size(); ++i) EXPECT_EQ(std::abs(s.transmitted[i].amplitude), 0.0);
  EXPECT_NEAR(s.power_check, 1.0, 1e-14);
  // Consecutive sections of one radius merge: no junction is left.
  const profile::Profile split{{{0.05, a}, {0.087, a}}};
  const Solver merged(split, with_modes(12));
  EXPECT_EQ(merged.junctions(), 0u);
  EXPECT_NEAR(std::abs(merged.solve(f).transmitted.at(0).amplitude - expected), 0.0, 1e-14);
}

// Reflected plus transmitted power is 1 for every lossless cascade, both terminations, both
// cascades and both mode rules; the two cascades agree.
TEST(ModesSolverPhysics, PowerConservedAndCascadesAgree) {
  const double lambda = kC / 30e9;
  const auto horn = testing::corrugated_horn(30e9, 2.0 * lambda, 10.0);
  const std::vector<profile::Profile> profiles = {
      testing::single_step(4e-3, 0.01, 9e-3, 0.01),
      testing::single_step(9e-3, 0.01, 4e-3, 0.01),
      testing::stepped_cone(3.0 / (2.0 * kPi / lambda), 1.5 * lambda, 5.0 * lambda, 40, lambda),
      horn.profile,
  };
  for (std::size_t p = 0; p < profiles.size(); ++p) {
    for (const auto term : {Termination::matched, Termination::diagonal}) {
      for (const auto rule : {ModeRule::radius, ModeRule::fixed}) {
        Options o = with_modes(12, rule);
        o.aperture = term;
        o.cascade = Cascade::reflection;
        const Solution a = Solver(profiles[p], o).solve(31e9);
        o.cascade = Cascade::star;
        const Solution b = Solver(profiles[p], o).solve(31e9);
        EXPECT_NEAR(a.power_check, 1.0, 1e-10) << p;
        EXPECT_NEAR(b.power_check, 1.0, 1e-10) << p;
        EXPECT_NEAR(std::abs(a.s11 - b.s11), 0.0, 1e-10) << p;
        ASSERT_EQ(a.transmitted.size(), b.transmitted.size());
        for (std::size_t i = 0; i < a.transmitted.size(); ++i) {
          EXPECT_NEAR(std::abs(a.transmitted[i].amplitude - b.transmitted[i].amplitude), 0.0, 1e-10) << p << " " << i;
        }
      }
    }
  }
}

// Reciprocity of the cascade: the TE11 -> TE11 transmission through a horn and through its mirror
// image (fed from the aperture side) are equal in the power-normalised basis.
TEST(ModesSolverPhysics, CascadeIsReciprocal) {
  const profile::Profile forward{{{0.01, 8e-3}, {0.004, 11e-3}, {0.007, 9.5e-3}, {0.006, 8e-3}}};
  profile::Profile backward{{forward.sections.rbegin(), forward.sections.rend()}};
  const Solution a = Solver(forward, with_modes(14)).solve(25e9);
  const Solution b = Solver(backward, with_modes(14)).solve(25e9);
  EXPECT_NEAR(std::abs(a.transmitted.at(0).amplitude - b.transmitted.at(0).amplitude), 0.0, 1e-12);
  EXPECT_NEAR(a.power_check, 1.0, 1e-12);
  EXPECT_NEAR(b.power_check, 1.0, 1e-12);
}

// Open-ended TE11 guide, Huygens source, no reflection: the closed form evaluated here
// independently, and the 45 degree cross-polar peaks of the notes (-30.2 ... -18.6 dB).
TEST(ModesSolverPhysics, OpenEndedGuideMatchesItsClosedForm) {
  const double chi = 1.8411837813406593;
  const double peaks[] = {-30.2, -24.4, -20.9, -19.2, -18.6};
  int index = 0;
  for (const double ka : {2.5, 3.0, 4.0, 6.0, 10.0}) {
    const double a = 0.01;
    const double f = ka / a * kC / (2.0 * kPi);
    const Solution s = Solver(testing::uniform(a, 0.03), with_modes(6)).solve(f);
    const double b = std::sqrt(1.0 - (chi / ka) * (chi / ka));
    const auto field_a = [&](double t) {
      const double v = ka * std::sin(t);
      return (1.0 + b * std::cos(t)) * (v == 0.0 ? 0.5 : std::cyl_bessel_j(1.0, v) / v) / (0.5 * (1.0 + b));
    };
    const auto field_b = [&](double t) {
      const double v = ka * std::sin(t);
      const double j1p = v == 0.0 ? 0.5 : std::cyl_bessel_j(0.0, v) - std::cyl_bessel_j(1.0, v) / v;
      return (b + std::cos(t)) * j1p / (1.0 - (v / chi) * (v / chi)) / (0.5 * (1.0 + b));
    };
    for (double deg = 0.0; deg <= 90.0; deg += 7.5) {
      const CutPoint c = s.cut_point(deg * kDeg);
      EXPECT_NEAR(c.e_plane.real(), field_a(deg * kDeg), 1e-12) << ka << " " << deg;
      EXPECT_NEAR(c.h_plane.real(), field_b(deg * kDeg), 1e-12) << ka << " " << deg;
    }
    EXPECT_NEAR(s.xpol_peak_db(kPi / 2.0), peaks[index++], 0.05) << ka;
  }
  // E and H -10 dB half-widths at ka = 4 (41.0 and 53.0 degrees in the notes, to about 0.2).
  const Solution s4 = Solver(testing::uniform(0.01, 0.03), with_modes(6)).solve(4.0 / 0.01 * kC / (2.0 * kPi));
  EXPECT_NEAR(*s4.beamwidth(Plane::e, 10.0).width / 2.0 / kDeg, 40.815, 0.01);
  EXPECT_NEAR(*s4.beamwidth(Plane::h, 10.0).width / 2.0 / kDeg, 52.893, 0.01);
  // The E-plane has a null at v = chi_1 (73 degrees); the H-plane ends at -20.3 dB at 90 degrees.
  EXPECT_TRUE(s4.beamwidth(Plane::e, 60.0).width.has_value());
  EXPECT_FALSE(s4.beamwidth(Plane::h, 30.0).width.has_value());
}

// A long corrugated horn with quarter-wave slots, small pitch and flare, at its design frequency:
// the aperture model's pattern (same a, L, spherical phase) to 0.3 dB down to -20 dB, and a peak
// cross-polar level below -30 dB.
TEST(ModesSolverPhysics, BalancedHybridLimitIsTheApertureModel) {
  const double f = 30e9;
  const double lambda = kC / f;
  const auto horn = testing::corrugated_horn(f, 4.0 * lambda, 4.0, 5, 12.0);
  const Solution s = Solver(horn.profile).solve(f);
  const aperture::Model model(aperture::Horn{horn.aperture_radius, horn.slant}, f);
  double worst = 0.0;
  for (double deg = 0.0; deg <= 60.0; deg += 0.25) {
    const double ap = model.pattern_point(deg * kDeg).level_db;
    if (ap < -20.0) break;
    worst = std::max(worst, std::abs(db(s.cut_point(deg * kDeg).co45) - ap));
  }
  EXPECT_LT(worst, 0.3);
  EXPECT_LT(s.xpol_peak_db(), -30.0);
  EXPECT_NEAR(s.directivity_dbi(), model.directivity().dbi, 0.1);
  EXPECT_NEAR(s.power_check, 1.0, 1e-10);
  // HE11 at the aperture: mostly TE11 and TM11 (84.5 % and 14.6 % for the ideal J0 field).
  EXPECT_NEAR(s.aperture_power(Kind::te, 1), 0.845, 0.03);
  EXPECT_NEAR(s.aperture_power(Kind::tm, 1), 0.146, 0.03);
}

// At the default limit, raising it by half changes S11 by less than 0.005 and the co-polar cuts by
// less than 0.1 dB to -20 dB, for a corrugated horn across its band and a smooth-wall cone.
TEST(ModesSolverConvergence, DefaultLimitIsConverged) {
  const double lambda = kC / 30e9;
  const auto horn = testing::corrugated_horn(30e9, 2.5 * lambda, 8.0);
  Options o;
  o.convergence = true;
  const Solver corrugated(horn.profile, o);
  for (const double f : {27.5e9, 30e9, 32.5e9}) {
    const Solution s = corrugated.solve(f);
    ASSERT_TRUE(s.convergence.has_value());
    EXPECT_EQ(s.modes, kDefaultModes);
    EXPECT_EQ(s.convergence->modes, kDefaultModes * 3 / 2);
    EXPECT_LT(s.convergence->delta_s11, 0.005) << f;
    EXPECT_LT(s.convergence->delta_copol_db, 0.1) << f;
    if (s.xpol_peak_db() > -45.0) {
      EXPECT_LT(s.convergence->delta_xpol_db, 2.0) << f;
    }
    EXPECT_FALSE(s.warnings.not_converged);
  }
  const auto cone = testing::stepped_cone(3.0 / (2.0 * kPi / lambda), 2.0 * lambda, 10.0 * lambda, 200, lambda);
  const Solution c = Solver(cone, o).solve(30e9);
  EXPECT_LT(c.convergence->delta_s11, 0.005);
  EXPECT_LT(c.convergence->delta_copol_db, 0.1);
  // A longer cone of 435 steps of lambda / 40 at the top of its band: the steps' errors add up, and
  // 30 modes changed its cuts by 0.117 dB.
  const double top = kC / 32.5e9;
  const auto long_cone = testing::stepped_cone(4.8e-3, 30e-3, 0.1, static_cast<int>(std::ceil(0.1 / (top / 40.0))), 0.01);
  const Solution lc = Solver(long_cone, o).solve(32.5e9);
  EXPECT_LT(lc.convergence->delta_s11, 0.005);
  EXPECT_LT(lc.convergence->delta_copol_db, 0.1);
  // Forced low, the same horn is not converged, and says so.
  Options low = with_modes(10);
  low.convergence = true;
  const Solution l = Solver(horn.profile, low).solve(30e9);
  EXPECT_TRUE(l.warnings.not_converged);
  EXPECT_EQ(l.modes, 10);
}

// A smooth-wall cone radiates close to its aperture's TE11 pattern: a high cross-polar level
// (TE11-like: -18 to -20 dB at 45 degrees) and a well-matched throat.
TEST(ModesSolverPhysics, SmoothConeRadiatesLikeTe11) {
  const double lambda = kC / 30e9;
  const auto cone = testing::stepped_cone(3.0 / (2.0 * kPi / lambda), 2.0 * lambda, 10.0 * lambda, 200, lambda);
  const Solution s = Solver(cone).solve(30e9);
  EXPECT_GT(s.return_loss_db, 40.0);
  EXPECT_GT(s.aperture_power(Kind::te, 1), 0.9);
  EXPECT_NEAR(s.xpol_peak_db(kPi / 2.0), -18.6, 1.0);  // TE11 at ka = 12.6 in the notes' table
  const Beamwidth e = s.beamwidth(Plane::e, 10.0), h = s.beamwidth(Plane::h, 10.0);
  EXPECT_LT(*e.width, *h.width);  // TE11: the E-plane narrower
}

TEST(ModesSolverResults, MetricsSweepAndErrors) {
  const double lambda = kC / 30e9;
  const auto horn = testing::corrugated_horn(30e9, 2.0 * lambda, 10.0);
  const Solver solver(horn.profile, with_modes(12));
  const std::vector<double> fs = {28e9, 30e9, 32e9};
  std::size_t calls = 0;
  const auto sweep = solver.sweep(fs, 2, [&](std::size_t done) { calls = std::max(calls, done); });
  EXPECT_EQ(calls, fs.size());
  for (std::size_t i = 0; i < fs.size(); ++i) {
    const Solution one = solver.solve(fs[i]);
    EXPECT_EQ(sweep[i].frequency, fs[i]);
    EXPECT_EQ(sweep[i].s11, one.s11);
  }
  const Solution& s = sweep[1];
  EXPECT_NEAR(s.return_loss_db, -20.0 * std::log10(std::abs(s.s11)), 1e-12);
  EXPECT_NEAR(s.vswr, (1.0 + std::abs(s.s11)) / (1.0 - std::abs(s.s11)), 1e-12);
  EXPECT_NEAR(s.gain_dbi(), s.directivity_dbi() + 10.0 * std::log10(1.0 - std::norm(s.s11)), 1e-12);
  const FeedMetrics m = s.feed_metrics(20.0 * kDeg);
  EXPECT_NEAR(m.edge_taper_db, -db(s.cut_point(20.0 * kDeg).co45), 1e-12);
  EXPECT_GT(m.spillover_efficiency, 0.5);
  EXPECT_LT(m.spillover_efficiency, 1.0);
  EXPECT_NEAR(m.feed_efficiency, m.spillover_efficiency * m.taper_efficiency, 1e-12);
  EXPECT_GT(m.polarisation_efficiency, 0.99);
  EXPECT_LE(m.polarisation_efficiency, 1.0);
  // The phase centre of the 45 degree cut lies behind the aperture, short of the apex.
  const PhaseCentre pc = s.phase_centre(Plane::d45, 20.0 * kDeg);
  ASSERT_TRUE(pc.distance.has_value());
  EXPECT_GT(*pc.distance, 0.0);
  EXPECT_LT(*pc.distance, horn.slant);
  // The cone of the cross-polar peak is the 10 dB beamwidth by default.
  double at = 0.0;
  const double peak = s.xpol_peak_db(std::nullopt, &at);
  EXPECT_LE(at, *s.beamwidth(Plane::d45, 10.0).width / 2.0 + 1e-12);
  EXPECT_GE(peak, s.xpol_peak_db(at * 0.999) - 1e-9);

  EXPECT_THROW((void)solver.solve(0.0), InvalidInput);
  EXPECT_THROW((void)solver.solve(std::nan("")), InvalidInput);
  try {
    (void)solver.solve(10e9);  // TE11 cut-off of the 4.8 mm input guide is about 18 GHz
    FAIL();
  } catch (const InvalidInput& e) {
    EXPECT_EQ(e.quantity(), Quantity::frequency);
    EXPECT_STREQ(e.what(), "frequency must put TE11 above cut-off in the input guide, got 1e+10");
  }
  EXPECT_THROW(Solver(profile::Profile{}), InvalidInput);
  EXPECT_THROW(Solver(profile::Profile{{{0.0, 0.01}}}), InvalidInput);
  EXPECT_THROW(Solver(profile::Profile{{{0.01, -1.0}}}), InvalidInput);
  EXPECT_THROW(Solver(horn.profile, with_modes(0)), InvalidInput);
  EXPECT_THROW((void)s.cut_point(2.0), InvalidInput);
  EXPECT_THROW((void)s.beamwidth(Plane::e, 0.0), InvalidInput);
  EXPECT_THROW((void)s.feed_metrics(kPi / 2.0), InvalidInput);
  // The lowest failing frequency's error comes out of a sweep.
  const std::vector<double> bad = {30e9, 5e9, -1.0};
  try {
    (void)solver.sweep(bad, 2);
    FAIL();
  } catch (const InvalidInput& e) {
    EXPECT_EQ(e.value(), 5e9);
  }
  // Warnings: an overmoded input guide, an aperture below a wavelength.
  const Solution wide = Solver(testing::single_step(8e-3, 0.01, 9e-3, 0.01), with_modes(8)).solve(30e9);
  EXPECT_TRUE(wide.warnings.input_overmoded);
  EXPECT_TRUE(wide.warnings.aperture_below_wavelength);
  EXPECT_FALSE(s.warnings.input_overmoded);
}

}  // namespace
}  // namespace zavolt::modes
