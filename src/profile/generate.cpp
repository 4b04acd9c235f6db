// The corrugated profile from a design: the rules of zavolt/profile.hpp, step by step.
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>

#include "zavolt/profile.hpp"

namespace zavolt::profile {

namespace {

constexpr double kDefaultLawA = 1.0;
constexpr double kDefaultLawRho = 2.0;
constexpr int kDefaultConverterSlots = 5;
constexpr int kMostConverterSlots = 1000;
constexpr double kDefaultConverterDepth = 0.42;
constexpr double kDefaultSlotRatio = 0.8;
// A profile of more sections than this is a mistyped length, not a horn.
constexpr double kMostPieces = 1e6;

std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

void require_positive_finite(Quantity quantity, double value) {
  if (!(std::isfinite(value) && value > 0.0)) throw InvalidInput(quantity, value, "must be positive and finite");
}

double positive_or(Quantity quantity, const std::optional<double>& given, double fallback) {
  if (!given) return fallback;
  require_positive_finite(quantity, *given);
  return *given;
}

double not_negative_or(Quantity quantity, const std::optional<double>& given, double fallback) {
  if (!given) return fallback;
  if (!(std::isfinite(*given) && *given >= 0.0)) throw InvalidInput(quantity, *given, "must be finite and not negative");
  return *given;
}

// (lambda / 4) exp(1 / (2.114 (k a)^1.134)): the quarter-wave slot depth with its correction for
// the wall's curvature.
double quarter_wave_depth(double lambda, double radius) {
  const double ka = 2.0 * std::numbers::pi / lambda * radius;
  return lambda / 4.0 * std::exp(1.0 / (2.114 * std::pow(ka, 1.134)));
}

}  // namespace

DesignFrequencies design_frequencies(const Band& band) {
  require_positive_finite(Quantity::band, band.f_min);
  require_positive_finite(Quantity::band, band.f_max);
  if (band.f_max < band.f_min) throw InvalidInput(Quantity::band, band.f_max, "must not be below the band's lower edge");
  if (band.f_max / band.f_min > 2.4) {
    throw InvalidInput(Quantity::band, band.f_max, "must be at most 2.4 times the band's lower edge");
  }
  if (band.f_max / band.f_min > 1.4) return {1.2 * band.f_min, 1.10 * (1.2 * band.f_min), true};
  const double f_c = std::sqrt(band.f_min * band.f_max);
  return {f_c, 1.02 * f_c, false};
}

namespace {

// The number of equal steps a smooth wall of the given length is cut into.
std::size_t pieces(double length, double step_length) {
  const double count = std::ceil(length / step_length);
  if (!(count <= kMostPieces)) throw InvalidInput(Quantity::step_length, step_length, "cuts the wall into more than a million steps");
  return count < 1.0 ? 1 : static_cast<std::size_t>(count);
}

void check(Profile& profile, const Band& band) {
  const Parameters& p = *profile.parameters;
  for (std::size_t i = 0; i < profile.slots.size(); ++i) {
    const Slot& slot = profile.slots[i];
    if (slot.slot_width < p.minimum_slot) {
      profile.warnings.push_back({WarningKind::slot_too_narrow, i + 1, slot.slot_width, p.minimum_slot});
    }
    if (slot.ridge_width < p.minimum_ridge) {
      profile.warnings.push_back({WarningKind::ridge_too_thin, i + 1, slot.ridge_width, p.minimum_ridge});
    }
  }
  const double third = kSpeedOfLight / band.f_max / 3.0;
  if (!(p.pitch < third)) profile.warnings.push_back({WarningKind::pitch_too_coarse, std::nullopt, p.pitch, third});
  const double ka_min = 2.0 * std::numbers::pi * band.f_min / kSpeedOfLight * p.input_radius;
  const double ka_max = 2.0 * std::numbers::pi * band.f_max / kSpeedOfLight * p.input_radius;
  if (!(ka_min > kTe11Cutoff)) profile.warnings.push_back({WarningKind::te11_cut_off, std::nullopt, ka_min, kTe11Cutoff});
  if (!(ka_max < kTm11Cutoff)) profile.warnings.push_back({WarningKind::tm11_propagates, std::nullopt, ka_max, kTm11Cutoff});
}

}  // namespace

std::string_view law_name(Law law) noexcept {
  switch (law) {
    case Law::linear: return "linear";
    case Law::sine: return "sine";
    case Law::tangential: return "tangential";
    case Law::power: return "power";
    case Law::exponential: return "exponential";
    case Law::hyperbolic: return "hyperbolic";
    case Law::polynomial: return "polynomial";
  }
  return "linear";
}

std::optional<Law> parse_law(std::string_view name) noexcept {
  for (const Law law : {Law::linear, Law::sine, Law::tangential, Law::power, Law::exponential, Law::hyperbolic,
                        Law::polynomial}) {
    if (name == law_name(law)) return law;
  }
  return std::nullopt;
}

bool law_uses_a(Law law) noexcept { return law == Law::sine || law == Law::tangential || law == Law::power; }

bool law_uses_rho(Law law) noexcept { return law == Law::tangential || law == Law::power || law == Law::polynomial; }

double flare_radius(Law law, double input_radius, double aperture_radius, double length, double a, double rho,
                    double z) noexcept {
  const double u = z / length;
  const double rise = aperture_radius - input_radius;
  switch (law) {
    case Law::linear: return input_radius + rise * u;
    case Law::sine: {
      const double s = std::sin(std::numbers::pi * u / 2.0);
      return input_radius + rise * ((1.0 - a) * u + a * s * s);
    }
    case Law::tangential:
      return input_radius + rise * ((1.0 - a) * u + a * std::pow(std::tan(std::numbers::pi * u / 4.0), rho));
    case Law::power: return input_radius + rise * ((1.0 - a) * u + a * std::pow(u, rho));
    case Law::exponential: return input_radius * std::exp(std::log(aperture_radius / input_radius) * u);
    case Law::hyperbolic:
      return std::sqrt(input_radius * input_radius +
                       z * z * (aperture_radius * aperture_radius - input_radius * input_radius) / (length * length));
    case Law::polynomial: return input_radius + (rho + 1.0) * rise * (1.0 - rho * u / (rho + 1.0)) * std::pow(u, rho);
  }
  return input_radius;
}

double Profile::length() const noexcept {
  double sum = 0.0;
  for (const Section& s : sections) sum += s.length;
  return sum;
}

void validate(std::span<const Section> sections) {
  if (sections.empty()) throw InvalidInput(Quantity::section_length, 0.0, "must be given for at least one section");
  for (const Section& s : sections) {
    require_positive_finite(Quantity::section_length, s.length);
    require_positive_finite(Quantity::section_radius, s.radius);
  }
}

Profile generate(const Aperture& aperture, const Band& band, const Rules& rules) {
  const DesignFrequencies design = design_frequencies(band);
  Parameters p;
  p.band = band;
  p.wide_band = design.wide;
  p.f_c = design.f_c;
  p.f_o = design.f_o;
  p.lambda_c = kSpeedOfLight / p.f_c;
  p.lambda_o = kSpeedOfLight / p.f_o;

  const double a = aperture.radius;
  require_positive_finite(Quantity::radius, a);
  p.aperture_radius = a;
  p.slant = aperture.slant;
  p.input_radius = positive_or(Quantity::input_radius, rules.input_radius, 3.0 * p.lambda_c / (2.0 * std::numbers::pi));
  if (!(a > p.input_radius)) {
    throw InvalidInput(Quantity::radius, a, "must exceed the input radius of " + shortest(p.input_radius) + " m");
  }
  p.input_length = positive_or(Quantity::input_length, rules.input_length, p.lambda_c / 2.0);

  p.law = rules.law;
  if (rules.law_a && !law_uses_a(p.law)) throw InvalidInput(Quantity::law_a, *rules.law_a, "applies to the sine, tangential and power laws only");
  if (rules.law_rho && !law_uses_rho(p.law)) {
    throw InvalidInput(Quantity::law_rho, *rules.law_rho, "applies to the tangential, power and polynomial laws only");
  }
  if (law_uses_a(p.law)) {
    p.law_a = rules.law_a.value_or(kDefaultLawA);
    if (!(p.law_a >= 0.0 && p.law_a <= 1.0)) throw InvalidInput(Quantity::law_a, p.law_a, "must lie between 0 and 1");
  }
  if (law_uses_rho(p.law)) p.law_rho = positive_or(Quantity::law_rho, rules.law_rho, kDefaultLawRho);

  // The design's cone: half-angle asin(a / L), from a_i to a.
  std::optional<double> cone_length;
  if (std::isfinite(aperture.slant) && aperture.slant > a) {
    cone_length = (a - p.input_radius) / std::tan(std::asin(a / aperture.slant));
  }
  if (rules.flare_length) {
    p.flare_length = positive_or(Quantity::flare_length, rules.flare_length, 0.0);
  } else if (cone_length) {
    p.flare_length = *cone_length;
  } else if (std::isnan(aperture.slant) || aperture.slant <= a) {
    throw InvalidInput(Quantity::slant, aperture.slant, "must exceed the aperture radius");
  } else {
    throw InvalidInput(Quantity::slant, aperture.slant, "must be finite, for the cone to give the flare its length");
  }

  p.pitch = positive_or(Quantity::pitch, rules.pitch, p.lambda_c / 8.0);
  p.slot_ratio = rules.slot_ratio.value_or(kDefaultSlotRatio);
  if (!(p.slot_ratio > 0.0 && p.slot_ratio < 1.0)) {
    throw InvalidInput(Quantity::slot_ratio, p.slot_ratio, "must lie strictly between 0 and 1");
  }
  p.slot_width = p.slot_ratio * p.pitch;
  p.ridge_width = (1.0 - p.slot_ratio) * p.pitch;
  p.converter_slots = rules.converter_slots.value_or(kDefaultConverterSlots);
  if (p.converter_slots < 0 || p.converter_slots > kMostConverterSlots) {
    throw InvalidInput(Quantity::converter_slots, p.converter_slots, "must lie between 0 and 1000");
  }
  p.converter_depth = positive_or(Quantity::converter_depth, rules.converter_depth, kDefaultConverterDepth);
  p.minimum_ridge = not_negative_or(Quantity::minimum_ridge, rules.minimum_ridge, kDefaultMinimumRidge);
  p.minimum_slot = not_negative_or(Quantity::minimum_slot, rules.minimum_slot, kDefaultMinimumSlot);
  p.step_length = positive_or(Quantity::step_length, rules.step_length, p.lambda_c / 40.0);

  // Whole pitches over the flare, the last ridge in the aperture plane; the rest is smooth.
  const double quotient = p.flare_length / p.pitch;
  if (!(quotient <= kMostPieces)) throw InvalidInput(Quantity::pitch, p.pitch, "gives more than a million slots");
  const double whole = std::floor(quotient + 1e-9);
  const std::size_t flare_slots = static_cast<std::size_t>(whole);
  p.smooth_length = p.flare_length - whole * p.pitch;
  if (p.smooth_length < 1e-9 * p.pitch) p.smooth_length = 0.0;

  const auto converters = static_cast<std::size_t>(p.converter_slots);
  p.converter_in_cylinder = flare_slots < converters;
  p.converter_cylinder_length = p.converter_in_cylinder ? p.converter_slots * p.pitch : 0.0;
  p.aperture_depth = quarter_wave_depth(p.lambda_o, a);
  p.slot_count = flare_slots + (p.converter_in_cylinder ? converters : 0);

  Profile profile;
  std::vector<Section>& sections = profile.sections;
  double z = 0.0;
  auto add = [&](double length, double radius) {
    sections.push_back({length, radius});
    z += length;
  };
  const std::size_t first_after_converter = converters + 1;  // one-based slot index
  auto depth = [&](std::size_t j, double ridge_radius) {
    if (j <= converters) {
      const double step = static_cast<double>(j - 1) / p.converter_slots;
      const double quarter = quarter_wave_depth(p.lambda_c, ridge_radius) / p.lambda_c;
      return (p.converter_depth - step * (p.converter_depth - quarter)) * p.lambda_c;
    }
    const double t = p.slot_count > first_after_converter
                         ? static_cast<double>(j - first_after_converter) / static_cast<double>(p.slot_count - first_after_converter)
                         : 1.0;
    const double d_c = quarter_wave_depth(p.lambda_c, ridge_radius);
    return d_c - t * (d_c - p.aperture_depth);
  };
  auto add_slot = [&](std::size_t j, double ridge_radius) {
    const Slot slot{z, ridge_radius, ridge_radius + depth(j, ridge_radius), p.slot_width, p.ridge_width,
                    j <= converters, sections.size()};
    profile.slots.push_back(slot);
    add(p.slot_width, slot.slot_radius);
    add(p.ridge_width, ridge_radius);
  };

  add(p.input_length, p.input_radius);
  std::size_t j = 1;
  if (p.converter_in_cylinder) {
    for (; j <= converters; ++j) add_slot(j, p.input_radius);
  }
  p.flare_start = z;
  auto radius_at = [&](double zeta) {
    return flare_radius(p.law, p.input_radius, a, p.flare_length, p.law_a, p.law_rho, zeta);
  };
  if (p.smooth_length > 0.0) {
    const std::size_t n = pieces(p.smooth_length, p.step_length);
    const double piece = p.smooth_length / static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i) add(piece, radius_at((static_cast<double>(i) + 0.5) * piece));
  }
  for (std::size_t k = 0; k < flare_slots; ++k, ++j) {
    add_slot(j, radius_at(p.smooth_length + static_cast<double>(k) * p.pitch + p.slot_width + p.ridge_width / 2.0));
  }
  p.total_length = z;

  profile.parameters = p;
  validate(sections);
  check(profile, band);
  if (p.law != Law::linear || !cone_length || p.flare_length != *cone_length) {
    profile.warnings.push_back({WarningKind::not_the_design_cone, std::nullopt, p.flare_length, cone_length.value_or(0.0)});
  }
  return profile;
}

}  // namespace zavolt::profile
