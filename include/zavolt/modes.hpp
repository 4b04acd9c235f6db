// Mode matching of a horn as built: the return loss, mode content, cross-polar level and far field
// of an axisymmetric profile (a staircase of uniform circular guides) fed by TE11.
//
// Model. In each uniform section of radius a the azimuthal order 1 modes of one polarisation,
// TE1n (cut-off chi'_1n / a) and TM1n (chi_1n / a), power-normalised, propagating or evanescent,
// beta = sqrt(k^2 - kc^2), beta = -j sqrt(kc^2 - k^2) below cut-off. Every junction between two
// radii is the generalized scattering matrix of the step (E matched over the larger cross-section,
// H over the smaller, closed-form coupling integrals); every section is diag(exp(-j beta l)); the
// cascade is Redheffer's star product (or the equivalent backward march of one reflection matrix),
// which never forms exp(+|beta| l). Consecutive sections of equal radius are merged. TE11 is
// incident at the input port (the start of the first section). The aperture section ends in a
// matched guide of its own radius (no reflection from the aperture into the horn), or, with
// Termination::diagonal, each mode sees its own free-space reflection (eta0 Y - 1)/(eta0 Y + 1).
// The far field is the aperture integral (Huygens source: each mode's own E and H) of the forward
// modes in the aperture plane: E_theta = A(theta) cos phi, E_phi = -B(theta) sin phi. Ludwig's third
// definition: co-polar A cos^2 phi + B sin^2 phi, cross-polar (A - B) sin phi cos phi, so the E-plane
// cut is A, the H-plane B, the 45 degree plane co (A + B)/2 and cross (A - B)/2. Aperture
// integration describes the forward hemisphere only: directivity is 4 |co(0)|^2 over the power
// radiated into theta < 90 degrees, and the pattern beyond 90 degrees is not given. Perfect
// conductors: ohmic loss is not modelled, and gain is directivity times (1 - |S11|^2).
//
// Mode count. Every section keeps the modes whose cut-off wavenumber lies below one common limit
// (ModeRule::radius, the default), so the count grows with the radius. Options::modes = N sets
// the limit to hold N modes of each kind in the widest section; without it the default limit,
// chosen so that the results below are converged, is used. ModeRule::fixed keeps N modes of each
// kind in every section, as codes without relative convergence do. Every Solution reports the
// count used, and Options::convergence solves again at 1.5 times the limit and reports the change.
//
// Units. Lengths in metres, frequencies in hertz, angles in radians, levels in dB. S-parameters
// are power-normalised (TE11's reference is its own wave impedance in the input guide).
//
// Accuracy. Double precision; the power of a lossless cascade is conserved to 1e-12 and the
// scattering matrices are reciprocal to rounding. Convergence falls about as 1 / N (the fields are
// singular at every ridge's edge); at the default limit, raising the limit by half changes S11 by
// less than 0.005 and the co-polar cuts by less than 0.1 dB down to -20 dB for the corrugated and
// smooth-wall horns of the tests (measured, and checked by the tests). Near a resonance of the
// slots or the throat it may not hold (a horn at the lowest frequency of its band changed S11 by
// 0.2): Options::convergence measures it for the case at hand. An open-ended TE11 guide
// matches its closed form to rounding; a long corrugated horn with quarter-wave slots at its
// design frequency matches the aperture model's 45 degree cut within 0.3 dB to -20 dB.
//
// Errors. Invalid input throws zavolt::InvalidInput: a frequency that is not positive and finite,
// an empty profile, a section whose length or radius is not positive and finite, a mode count
// below 1, a mode limit that leaves a section without any mode, and a frequency at which TE11 is
// below cut-off in the input guide (Quantity::frequency, "must put TE11 above cut-off in the
// input guide").
//
// Threads. A Solver is immutable after construction: solve() and sweep() may be called from
// several threads at once. sweep() runs its frequencies on a pool of `jobs` threads.
#pragma once

#include <complex>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "zavolt/invalid_input.hpp"
#include "zavolt/profile.hpp"

namespace zavolt::modes {

inline constexpr double kSpeedOfLight = 299792458.0;          // m/s
inline constexpr double kFreeSpaceImpedance = 376.730313668;  // eta0, ohm

enum class Kind { te, tm };

enum class ModeRule {
  radius,  // one cut-off limit for every section: counts grow with the radius (the default)
  fixed,   // the same count of each kind in every section
};

enum class Termination {
  matched,   // a matched guide of the aperture radius: no reflection at the aperture (the default)
  diagonal,  // each mode's own free-space reflection, no coupling between modes
};

// Both give the same numbers to rounding. The star product keeps only its running scattering
// matrix (memory of one junction's size); the reflection march is about a tenth faster but keeps
// one forward transfer matrix per junction (about 100 kB each at the default limit).
enum class Cascade {
  reflection,  // backward march of one reflection matrix, then one forward pass of vectors
  star,        // the full running scattering matrix by star products, input to aperture (the default)
};

struct Options {
  ModeRule rule = ModeRule::radius;
  // Modes of each kind in the widest section (ModeRule::fixed: in every section). Empty: the
  // default limit (ModeRule::radius) or kDefaultModes (ModeRule::fixed).
  std::optional<int> modes;
  Termination aperture = Termination::matched;
  Cascade cascade = Cascade::star;
  // Also solve at 1.5 times the mode limit and report the change (Solution::convergence).
  bool convergence = false;
};

// The default count of each kind in the widest section: the converged limit of the tests.
inline constexpr int kDefaultModes = 40;

// One mode of a section: TE1n or TM1n.
struct Mode {
  Kind kind = Kind::te;
  int order = 1;          // n, from 1
  double cutoff = 0.0;    // cut-off wavenumber kc, 1/m
  bool propagating = false;
};

// What one mode carries: power fractions of the unit incident TE11 and power-normalised amplitudes.
struct ModePower {
  Mode mode;
  std::complex<double> amplitude;  // power-normalised forward amplitude (at the aperture) or reflected one (at the input)
  double power = 0.0;              // power carried, a fraction of the incident power
};

// One angle of the far field; fields relative to the co-polar field on axis.
struct CutPoint {
  double theta = 0.0;
  std::complex<double> e_plane;  // A
  std::complex<double> h_plane;  // B
  std::complex<double> co45;     // (A + B) / 2
  std::complex<double> cross45;  // (A - B) / 2; the cross-polar field is zero in the E and H planes
};

enum class Plane { e, h, d45 };

struct Beamwidth {
  double level_db = 0.0;
  std::optional<double> width;  // full width 2 theta_X, radians; empty when not reached within 90 degrees
};

// The horn as the feed of a reflector seen at the edge half-angle theta_e, from the co-polar field
// averaged over phi, (A + B)/2, over the forward hemisphere.
struct FeedMetrics {
  double edge_angle = 0.0;
  double edge_taper_db = 0.0;          // -20 log10 |co(theta_e) / co(0)|
  double spillover_efficiency = 0.0;   // co-polar power within theta_e over that within 90 degrees
  double taper_efficiency = 0.0;       // 2 cot^2(theta_e/2) (int |E| tan(theta/2))^2 / int |E|^2 sin theta
  double feed_efficiency = 0.0;        // spillover times taper
  double polarisation_efficiency = 0.0;  // co-polar over total power within theta_e
};

// A phase centre: the axial distance d of the best fit psi0 - k d cos theta to the unwrapped phase
// of a cut, weighted by |E|^2 sin theta; metres, positive behind the aperture plane.
struct PhaseCentre {
  Plane plane = Plane::e;
  std::optional<double> distance;  // empty where the cut has a zero within the fitted range
};

// The change at 1.5 times the mode limit.
struct Convergence {
  int modes = 0;                 // the higher count, of each kind in the widest section
  double delta_s11 = 0.0;        // |S11(higher) - S11|, power-normalised
  double delta_copol_db = 0.0;   // largest level change of the E, H and 45 degree co-polar cuts down to -20 dB
  double delta_xpol_db = 0.0;    // change of the peak cross-polar level within the default cone
  [[nodiscard]] bool converged() const noexcept { return delta_s11 <= 0.005 && delta_copol_db <= 0.1; }
};

struct Warnings {
  bool aperture_below_wavelength = false;  // aperture radius below one wavelength: its reflection grows
  bool input_overmoded = false;            // the input guide passes more than TE11 among the m = 1 modes
  bool not_converged = false;              // the convergence check exceeded 0.005 or 0.1 dB
};

// The horn at one frequency.
class Solution {
public:
  double frequency = 0.0;
  std::complex<double> s11;       // TE11 to TE11 at the input port, power-normalised
  double return_loss_db = 0.0;    // -20 log10 |S11|
  double vswr = 0.0;
  int modes = 0;                  // modes of each kind in the widest section
  int input_modes = 0;            // modes (both kinds) kept in the input guide
  int aperture_modes = 0;         // modes (both kinds) kept in the aperture guide
  Termination aperture = Termination::matched;
  std::vector<ModePower> reflected;    // every input mode, in order TE11, TE12, ..., TM11, ...
  std::vector<ModePower> transmitted;  // every aperture mode: the power into the aperture load
  double power_check = 0.0;            // reflected plus transmitted power: 1 for a lossless cascade
  std::optional<Convergence> convergence;
  Warnings warnings;

  // The fraction of the transmitted power in TE1n or TM1n at the aperture (0 where not kept).
  [[nodiscard]] double aperture_power(Kind kind, int order) const noexcept;

  // Far field for any angles in [0, pi/2], relative to co(0). Throws InvalidInput outside.
  [[nodiscard]] CutPoint cut_point(double theta) const;
  [[nodiscard]] std::vector<CutPoint> cuts(std::span<const double> thetas) const;
  [[nodiscard]] double directivity_dbi() const;
  [[nodiscard]] double gain_dbi() const;  // directivity (1 - |S11|^2)
  // Throws InvalidInput for a level that is not positive and finite.
  [[nodiscard]] Beamwidth beamwidth(Plane plane, double level_db) const;
  // The peak of |cross45 / co(0)| in dB within (0, cone]; cone empty: the 45 degree cut's 10 dB
  // half-width (90 degrees if not reached). The angle of the peak goes into *at when given.
  [[nodiscard]] double xpol_peak_db(std::optional<double> cone = std::nullopt, double* at = nullptr) const;
  // Throws InvalidInput for an edge angle outside (0, pi/2).
  [[nodiscard]] FeedMetrics feed_metrics(double edge_angle) const;
  // Fitted over [0, fit], fit in (0, pi/2]: the edge angle, or the 10 dB half-width.
  [[nodiscard]] PhaseCentre phase_centre(Plane plane, double fit) const;

  struct FarField;  // the aperture's modes and weights, for the far-field sums
  std::shared_ptr<const FarField> far_field;
};

class Solver {
public:
  // Validates the profile and the options (InvalidInput), merges equal radii and fixes the mode
  // sets of every section.
  explicit Solver(const profile::Profile& profile, Options options = {});

  [[nodiscard]] const Options& options() const noexcept;
  [[nodiscard]] int modes() const noexcept;       // of each kind in the widest section
  [[nodiscard]] std::size_t junctions() const noexcept;
  [[nodiscard]] double input_radius() const noexcept;
  [[nodiscard]] double aperture_radius() const noexcept;

  // Throws InvalidInput for a frequency that is not positive and finite or leaves TE11 below
  // cut-off in the input guide.
  [[nodiscard]] Solution solve(double frequency) const;

  // Every frequency on a pool of `jobs` threads (0: every core), results in the given order.
  // `progress`, when given, is called after each frequency with the count done (from the workers,
  // one call at a time). The first exception of any frequency is rethrown after the pool stops.
  [[nodiscard]] std::vector<Solution> sweep(std::span<const double> frequencies, unsigned jobs = 0,
                                            const std::function<void(std::size_t done)>& progress = {}) const;

  struct Plan;

private:
  std::shared_ptr<const Plan> plan_;
  std::shared_ptr<const Plan> check_plan_;  // at 1.5 times the limit, when convergence is asked
  Options options_;
};

}  // namespace zavolt::modes
