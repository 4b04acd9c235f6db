// The aperture model of a conical corrugated horn: far-field patterns, beamwidths at any level,
// directivity, feed metrics for a reflector, phase centre, and designs to a directivity or to an
// edge taper.
//
// Model. The aperture field is the balanced hybrid mode E_a(rho) = J0(p rho / a) exp(-j k Delta(rho)),
// p = 2.404825557695773 the first zero of J0, a the aperture radius, k = 2 pi / lambda, lambda = c / f.
// Delta is the path excess of the spherical wave from the apex:
//   spherical: Delta = sqrt(h^2 + rho^2) - h, h = sqrt(L^2 - a^2), L the slant length (needs L > a);
//   quadratic: Delta = rho^2 / (2 L).
// S = a^2 / (2 lambda L) under both; L = +infinity means S = 0 and Delta = 0. The co-polar far field,
// rotationally symmetric, is E(theta) = (1 + cos theta) / 2 F(k a sin theta) with
// F(u) = integral over [0, 1] of x J0(p x) J0(u x) exp(-j k Delta(a x)) dx. Levels and phases are
// relative to boresight. Directivity D = 16 pi^2 (a / lambda)^2 |F(0)|^2 / J1(p)^2.
//
// Method. F is summed over 20-point Gauss-Legendre panels of the aperture, each spanning at most
// 14 radians of the integrand's oscillation, and sampled once per Model on [0, k a] (all of
// k a sin theta) as Chebyshev interpolants of degree 47 on panels of at most 32 in u, whose error
// is below 1e-17 of the field's scale: an angle then costs 48 terms, not a sum over the aperture.
//
// Units. Lengths in metres, frequencies in hertz, angles in radians, levels in dB.
//
// Domain. a/lambda from 0.05 to 100, S from 0 to 4, beamwidth levels above 0 and up to 100 dB,
// reflector edge angles from 0.01 degree to below 90 degrees, any finite pattern angle. Designs
// return only horns inside that domain. Everything outside it throws InvalidInput: the quadratures
// are sized for it, and within it every result is finite, one model row (directivity, two
// beamwidths, feed metrics) costs at most about 50 ms on one core and a few megabytes.
//
// Accuracy, against an independent high-precision computation, for 1 <= a/lambda <= 15,
// 0 <= S <= 1.2, a/L <= 0.7 under the spherical phase, levels from 0.5 to 30 dB and edge angles
// from 5 to 85 degrees: directivity and edge taper within 0.001 dB, beamwidths within 0.01 degree,
// efficiencies within 1e-4, phase centre within 0.001 lambda. Elsewhere in the domain the results
// are computed the same way with no promise of accuracy, and flagged (Validity).
//
// Errors. Invalid input throws zavolt::InvalidInput (a std::invalid_argument) naming the quantity
// and its value. Conditions that make a result doubtful or absent are flags in the result.
//
// Threads. No global state: every function, and every const member of Model, may be called from
// several threads at once.
#pragma once

#include <complex>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "zavolt/invalid_input.hpp"

namespace zavolt::aperture {

namespace detail {
struct ModelAccess;
}

inline constexpr double kSpeedOfLight = 299792458.0;       // m/s
inline constexpr double kFirstZeroJ0 = 2.404825557695773;  // p

// The domain's bounds.
inline constexpr double kLeastRadiusWavelengths = 0.05;  // a / lambda
inline constexpr double kMostRadiusWavelengths = 100.0;
inline constexpr double kMostPhaseDeviation = 4.0;       // S
inline constexpr double kMostLevel = 100.0;              // dB below boresight
inline constexpr double kLeastEdgeAngle = 0.01 * 3.14159265358979323846 / 180.0;  // radians
// The accuracy domain's steepest flare: a/L beyond it is flagged under either phase.
inline constexpr double kMostAccurateFlare = 0.7;  // a / L

enum class Phase {
  spherical,  // the true path excess from the apex; the default
  quadratic,  // rho^2 / (2 L), the classic routines' model
};

// A horn at its aperture: the radius a and the slant length L from the apex to the rim, in metres.
// L = +infinity (the default) is a horn without phase error.
struct Horn {
  double radius = 0.0;
  double slant = std::numeric_limits<double>::infinity();
  Phase phase = Phase::spherical;
};

// Conditions under which the model describes the horn poorly. They never change a number.
struct Validity {
  bool s_outside_0_to_1 = false;           // S < 0 or S > 1
  bool flare_above_15_degrees = false;     // quadratic phase only: asin(a / L) > 15 degrees
  bool aperture_below_wavelength = false;  // a < lambda: the balanced hybrid mode is a poor description
  bool flare_beyond_accuracy_domain = false;  // a / L > kMostAccurateFlare, either phase

  [[nodiscard]] bool any() const noexcept {
    return s_outside_0_to_1 || flare_above_15_degrees || aperture_below_wavelength || flare_beyond_accuracy_domain;
  }
};

// The horn's derived quantities at one frequency.
struct Geometry {
  double wavelength = 0.0;        // metres
  double s = 0.0;                 // a^2 / (2 lambda L), 0 for L = +infinity
  double flare_half_angle = 0.0;  // asin(a / L), radians; pi/2 when L <= a (quadratic phase only)
  Validity validity;
};

// lambda = c / f. Throws InvalidInput unless the frequency is positive and finite.
[[nodiscard]] double wavelength(double frequency);

// The reflector edge half-angle 2 atan(1 / (4 f/D)). Throws InvalidInput unless f/D is finite,
// above 0.25 (the edge angle below 90 degrees) and gives an edge angle of at least kLeastEdgeAngle.
[[nodiscard]] double edge_angle_from_f_over_d(double f_over_d);

// S, flare half-angle and validity of a horn at a frequency. Validates the horn as Model does.
[[nodiscard]] Geometry geometry(const Horn& horn, double frequency);

// The work of the model on a horn at a frequency, in evaluations of J0 (about 35 ns each on a
// current core), for a caller that bounds a request before running it: building the Model, each
// beamwidth level beyond the first scan, each pattern angle, and the feed metrics or the pattern
// directivity. An upper estimate; validates the horn as Model does.
struct Work {
  double model = 0.0;         // construction and the scan shared by the beamwidths
  double per_level = 0.0;
  double per_angle = 0.0;
  double feed_metrics = 0.0;  // also the cost of pattern_directivity_dbi()
};
[[nodiscard]] Work estimated_work(const Horn& horn, double frequency);

struct Directivity {
  double dbi = 0.0;  // 10 log10 D
  Validity validity;
};

// The full width 2 theta_X at a level X dB below boresight, theta_X the first angle above 0 where
// 20 log10 |E(theta) / E(0)| = -X.
struct Beamwidth {
  double level_db = 0.0;
  std::optional<double> width;               // radians; empty when not_reached_within_90_degrees
  bool not_reached_within_90_degrees = false;
  bool maximum_off_axis = false;             // the pattern rises above boresight somewhere within 90 degrees
  Validity validity;
};

// What the horn does as the feed of a reflector whose rim is seen at the edge half-angle theta_e.
struct FeedMetrics {
  double edge_angle = 0.0;            // theta_e, radians
  // -20 log10 |E(theta_e) / E(0)|, positive when the edge is below boresight. The feed pattern
  // alone: the space loss 20 log10(1 / cos^2(theta_e / 2)) to the rim is not included.
  double edge_taper_db = 0.0;
  // Power within theta_e over all the power radiated (0 to pi).
  double spillover_efficiency = 0.0;
  // 2 cot^2(theta_e/2) (int_0^theta_e |E| tan(theta/2))^2 / int_0^theta_e |E|^2 sin theta.
  double taper_efficiency = 0.0;
  // Spillover times taper: amplitude only (no phase efficiency, no cross-polar field).
  double feed_efficiency = 0.0;
  // The axial distance d that best fits the unwrapped far-field phase psi0 - k d cos theta over
  // [0, theta_e], least squares weighted by |E|^2 sin theta. Metres, positive behind the aperture
  // plane (towards the apex). Empty when phase_centre_undefined.
  std::optional<double> phase_centre;
  // |E| has a zero in (0, theta_e): the phase is undefined there and no centre is fitted. A null
  // deeper than 60 dB below boresight counts as a zero.
  bool phase_centre_undefined = false;
  Validity validity;
};

// One angle of a pattern cut, relative to boresight.
struct PatternPoint {
  double theta = 0.0;                 // radians
  std::complex<double> field;         // E(theta) / E(0)
  double level_db = 0.0;              // 20 log10 |E(theta) / E(0)|; -infinity at an exact zero
  double phase = 0.0;                 // arg E(theta) - arg E(0), wrapped to (-pi, pi]
};

// The horn at one frequency, with its aperture sampled once, so that many angles, levels and edge
// angles cost only the far-field sums. Immutable after construction: copy it or share it freely.
class Model {
public:
  // Throws InvalidInput for a radius or frequency that is not positive and finite, a slant length
  // that is NaN or not positive, or, under the spherical phase, a slant length not above the radius;
  // for a radius outside kLeastRadiusWavelengths to kMostRadiusWavelengths at that frequency
  // (InvalidInput names the radius), and for S above kMostPhaseDeviation (it names the slant).
  Model(const Horn& horn, double frequency);

  [[nodiscard]] const Horn& horn() const noexcept { return horn_; }
  [[nodiscard]] double frequency() const noexcept { return frequency_; }
  [[nodiscard]] const Geometry& geometry() const noexcept { return geometry_; }
  [[nodiscard]] const Validity& validity() const noexcept { return geometry_.validity; }

  // The aperture formula D = 16 pi^2 (a / lambda)^2 |F(0)|^2 / J1(p)^2: the classic model's gain,
  // which falls below isotropic for small apertures where it is a poor approximation.
  [[nodiscard]] Directivity directivity() const;
  // The directivity of the pattern this model gives, 4 pi |E(0)|^2 over the integral of |E|^2 on
  // the forward hemisphere (theta from 0 to 90 degrees), in dBi: what the aperture formula
  // approximates, and the mode-matching model's definition.
  [[nodiscard]] double pattern_directivity_dbi() const;

  // E(theta) / E(0) for any finite theta (E is even and 2 pi periodic). Throws InvalidInput for NaN
  // or infinite theta.
  [[nodiscard]] std::complex<double> relative_field(double theta) const;
  [[nodiscard]] PatternPoint pattern_point(double theta) const;
  // A cut: one point per angle, in the order given.
  [[nodiscard]] std::vector<PatternPoint> pattern(std::span<const double> thetas) const;

  // Throws InvalidInput for a level that is not above 0 and at most kMostLevel.
  [[nodiscard]] Beamwidth beamwidth(double level_db) const;
  // Several levels at once, in the order given, sharing one scan of the pattern.
  [[nodiscard]] std::vector<Beamwidth> beamwidths(std::span<const double> levels_db) const;
  // Throws InvalidInput for an edge angle outside [kLeastEdgeAngle, pi/2).
  [[nodiscard]] FeedMetrics feed_metrics(double edge_angle) const;
  // Whether |E| exceeds |E(0)| somewhere in (0, 90 degrees].
  [[nodiscard]] bool maximum_off_axis() const;

private:
  friend struct detail::ModelAccess;
  // Without `sampled`, the far field is summed over the aperture at every angle: the designs'
  // searches, which ask each trial horn for one or two angles only.
  Model(const Horn& horn, double frequency, bool sampled);

  Horn horn_;
  double frequency_ = 0.0;
  Geometry geometry_;
  double ka_ = 0.0;
  // F(u) = sum of weights_[i] J0(u nodes_[i]): the aperture field with its quadrature weights.
  std::vector<double> nodes_;
  std::vector<std::complex<double>> weights_;
  std::complex<double> boresight_;  // F(0)
  // F on [0, k a], the whole range of k a sin(theta), as Chebyshev interpolants on panels of equal
  // width: panel j holds F at u = (j + (1 - cos(pi i / n)) / 2) panel_u_, i = 0..n. Empty when
  // not sampled.
  double panel_u_ = 0.0;
  std::vector<std::complex<double>> samples_;

  [[nodiscard]] std::complex<double> aperture_integral(double u) const;  // F(u), summed
  [[nodiscard]] std::complex<double> far_field(double u) const;          // F(u), interpolated if sampled
};

// One-call forms of Model's members, for a single result.
[[nodiscard]] Directivity directivity(const Horn& horn, double frequency);
[[nodiscard]] Beamwidth beamwidth(const Horn& horn, double frequency, double level_db);
[[nodiscard]] FeedMetrics feed_metrics(const Horn& horn, double frequency, double edge_angle);
[[nodiscard]] std::vector<PatternPoint> pattern(const Horn& horn, double frequency,
                                                std::span<const double> thetas);

// A horn designed for one S and phase model.
struct Design {
  double s = 0.0;
  // Radius a and slant L = a^2 / (2 lambda S) (+infinity at S = 0); empty when there is no solution.
  std::optional<Horn> horn;
  std::optional<double> directivity_dbi;  // the designed horn analysed
  std::optional<double> pattern_directivity_dbi;  // Model::pattern_directivity_dbi() of it
  std::optional<double> edge_taper_db;    // for a design to an edge taper: the taper reached
  Validity validity;                      // of the designed horn; S alone when there is no solution
  // The designed horn analysed as Model would: its 3 dB and 10 dB beamwidths (each carrying the
  // off-axis flag), empty without a solution.
  std::optional<Beamwidth> beamwidth_3db;
  std::optional<Beamwidth> beamwidth_10db;
  bool maximum_off_axis = false;
  // Why there is no solution: "the main beam never reaches the taper", ...; empty with one.
  std::string reason;

  [[nodiscard]] bool no_solution() const noexcept { return !horn.has_value(); }
};

// The radius whose model directivity (not a gain-loss polynomial) is the wanted one, then
// L = a^2 / (2 lambda S). Analysed again it gives the target within 1e-4 dB. Under the spherical
// phase it has no solution when the radius would leave L <= a. Throws InvalidInput for a
// non-finite directivity or one whose radius would lie outside the domain (0.05 to 100
// wavelengths; InvalidInput names the directivity), a frequency that is not positive and finite,
// or S negative, above kMostPhaseDeviation or not finite.
[[nodiscard]] Design design_for_directivity(double directivity_dbi, double frequency, double s,
                                            Phase phase = Phase::spherical);

// The smallest radius whose edge taper at theta_e is the wanted one with the edge inside the main
// beam, then L = a^2 / (2 lambda S): the first radius at which the taper, growing with a as the
// beam narrows, rises through the target before it peaks (the edge at the pattern's first minimum).
// Larger radii that meet the target again beyond that minimum are not taken, nor radii next to the
// cone (L just above a, spherical phase) where boresight is a minimum and the taper falls with a.
// The designed horn is checked: the pattern must stay at or below boresight up to the edge and
// first reach the taper there; a horn that does not has no solution. No solution, with the
// reason, when the main beam never reaches the taper, when only radii beyond the domain would,
// or, under the spherical phase, when only radii with L <= a would. Throws InvalidInput for a
// taper that is not positive and finite, an edge angle outside [kLeastEdgeAngle, pi/2), a
// frequency that is not positive and finite, or S negative, above kMostPhaseDeviation or not finite.
[[nodiscard]] Design design_for_edge_taper(double edge_taper_db, double edge_angle, double frequency,
                                           double s, Phase phase = Phase::spherical);

// Model rows over frequencies for one horn: what a frequency sweep of an analysis needs, each
// frequency's Model built once. Throws InvalidInput as Model and its members do.
struct SweepPoint {
  double frequency = 0.0;
  Geometry geometry;
  Directivity directivity;
  double pattern_directivity_dbi = 0.0;
  std::vector<Beamwidth> beamwidths;   // at levels_db, in order
  std::optional<FeedMetrics> feed;     // when an edge angle is given
};
[[nodiscard]] std::vector<SweepPoint> sweep(const Horn& horn, std::span<const double> frequencies,
                                            std::span<const double> levels_db,
                                            std::optional<double> edge_angle = std::nullopt);

}  // namespace zavolt::aperture
