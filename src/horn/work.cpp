#include "horn/work.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <variant>

#include "zavolt/aperture.hpp"

namespace zavolt::horn {

namespace {

// What a J0 evaluation of the model costs on a current core, with a margin.
constexpr double kSecondsPerEvaluation = 40e-9;
// Formatting and writing one row, and one classic row whole.
constexpr double kSecondsPerRow = 1e-6;
constexpr double kSecondsPerClassicRow = 2e-6;

aperture::Phase phase_of(Phase phase) {
  return phase == Phase::Quadratic ? aperture::Phase::quadratic : aperture::Phase::spherical;
}

double hertz(double gigahertz) { return gigahertz * 1e9; }

// The model's work at the costlier end of a frequency range: every count grows with frequency.
aperture::Work costliest(const aperture::Horn& horn, const ValueSequence& frequencies) {
  const aperture::Work first = aperture::estimated_work(horn, hertz(frequencies.at(0)));
  const aperture::Work last = aperture::estimated_work(horn, hertz(frequencies.at(frequencies.size() - 1)));
  return first.model >= last.model ? first : last;
}

aperture::Horn horn_of(const Length& radius, const Length& slant, Phase phase) {
  return {radius.metres, slant.metres, phase_of(phase)};
}

WorkEstimate of(const AnalyseRequest& r) {
  const auto rows = r.frequency_ghz.size();
  if (r.model == Model::Classic) return {static_cast<double>(rows) * kSecondsPerClassicRow, rows};
  const aperture::Work w = costliest(horn_of(r.radius, r.slant, r.phase), r.frequency_ghz);
  // The pattern directivity costs as much as the feed metrics.
  const double per_row = w.model + static_cast<double>(r.levels_db.size()) * w.per_level + w.feed_metrics +
                         (r.edge ? w.feed_metrics : 0.0);
  return {static_cast<double>(rows) * (per_row * kSecondsPerEvaluation + kSecondsPerRow), rows};
}

WorkEstimate of(const PatternRequest& r) {
  const aperture::Work w = costliest(horn_of(r.radius, r.slant, r.phase), r.frequency_ghz);
  const auto frequencies = static_cast<double>(r.frequency_ghz.size());
  const auto angles = static_cast<double>(r.theta_deg.size());
  const double evaluations = frequencies * (w.model + angles * w.per_angle);
  return {evaluations * kSecondsPerEvaluation + frequencies * angles * kSecondsPerRow,
          r.frequency_ghz.size() * r.theta_deg.size()};
}

// A design searches over a few dozen trial horns of about the size it returns, each summed over its
// aperture nodes (about the square root of the sampled Model's work), then analyses that one.
WorkEstimate of(const DesignRequest& r) {
  const auto rows = r.s.size();
  if (r.model == Model::Classic) return {static_cast<double>(rows) * kSecondsPerClassicRow, rows};
  constexpr double kTrials = 60.0;
  constexpr double kApertureEfficiency = 0.69;  // the J0 aperture's, at S = 0
  const double frequency = r.frequency_hz;
  const double wavelength = aperture::kSpeedOfLight / frequency;
  double a_over_lambda = aperture::kMostRadiusWavelengths;
  if (r.gain_dbi) {
    a_over_lambda = std::sqrt(std::pow(10.0, r.gain_dbi->value / 10.0) / kApertureEfficiency) / (2.0 * 3.141592653589793);
  } else if (r.edge) {
    a_over_lambda = 2.0 / std::sin(r.edge->half_angle_rad());
  }
  a_over_lambda = std::clamp(a_over_lambda, 1.0, aperture::kMostRadiusWavelengths);
  const aperture::Work w = aperture::estimated_work({a_over_lambda * wavelength, aperture::kSpeedOfLight * 1e6,
                                                     phase_of(r.phase)}, frequency);
  const double per_row = kTrials * std::sqrt(w.model) + w.model + 2.0 * w.per_level;
  return {static_cast<double>(rows) * (per_row * kSecondsPerEvaluation + kSecondsPerRow), rows};
}

}  // namespace

// A command without an estimate of its own (--help, or one added later) is not bounded here.
WorkEstimate estimated_work(const Request& request) {
  return std::visit(
      [](const auto& r) -> WorkEstimate {
        if constexpr (requires { of(r); }) {
          return of(r);
        } else {
          return {};
        }
      },
      request);
}

std::string duration_text(double seconds) {
  if (seconds >= 2.0 * 86400.0) return fmt::format("{:.1f} days", seconds / 86400.0);
  if (seconds >= 3600.0) return fmt::format("{:.1f} hours", seconds / 3600.0);
  if (seconds >= 60.0) return fmt::format("{:.0f} minutes", seconds / 60.0);
  return fmt::format("{:.0f} seconds", seconds);
}

}  // namespace zavolt::horn
