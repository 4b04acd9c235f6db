// The C++ library's answers for the Python tests: one request a line on standard input, one answer
// a line on standard output, every number as a hexadecimal float so that nothing is rounded on the
// way. A request is a function name and its arguments (decimal or hexadecimal; a phase is 0 for
// spherical, 1 for quadratic; the classic routines' arguments are rounded to binary32 as the module
// rounds them). An answer is the result's fields in the order of the C++ struct, "-" for an empty
// optional, 0/1 for flags, a string as its length and character codes; "invalid <quantity> <value>
// <message>" for an InvalidInput. A profile is its section count, then each section's length and
// radius.
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "zavolt/aperture.hpp"
#include "zavolt/classic.hpp"
#include "zavolt/modes.hpp"
#include "zavolt/profile.hpp"

namespace {

namespace ap = zavolt::aperture;
namespace classic = zavolt::classic;

std::string hex(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

std::string hex(const std::optional<double>& value) { return value ? hex(*value) : "-"; }
std::string hex(const std::optional<float>& value) { return value ? hex(static_cast<double>(*value)) : "-"; }
std::string flag(bool value) { return value ? "1" : "0"; }
// A string as its length, then the code of each character.
std::string text(const std::string& value) {
  std::string out = hex(static_cast<double>(value.size()));
  for (const char c : value) out += " " + hex(static_cast<double>(static_cast<unsigned char>(c)));
  return out;
}

// A profile as its section count, then the length and radius of each section.
std::string sections(const zavolt::profile::Profile& p) {
  std::string out = hex(static_cast<double>(p.sections.size()));
  for (const zavolt::profile::Section& s : p.sections) out += " " + hex(s.length) + " " + hex(s.radius);
  return out;
}

std::string flags(const ap::Validity& v) {
  return flag(v.s_outside_0_to_1) + " " + flag(v.flare_above_15_degrees) + " " +
         flag(v.aperture_below_wavelength) + " " + flag(v.flare_beyond_accuracy_domain);
}

std::string widths(const ap::Beamwidth& w) {
  return hex(w.level_db) + " " + hex(w.width) + " " + flag(w.not_reached_within_90_degrees) + " " +
         flag(w.maximum_off_axis) + " " + flags(w.validity);
}

std::string metrics(const ap::FeedMetrics& m) {
  return hex(m.edge_angle) + " " + hex(m.edge_taper_db) + " " + hex(m.spillover_efficiency) + " " +
         hex(m.taper_efficiency) + " " + hex(m.feed_efficiency) + " " + hex(m.phase_centre) + " " +
         flag(m.phase_centre_undefined) + " " + flags(m.validity);
}

class Arguments {
public:
  explicit Arguments(std::istringstream& in) : in_(in) {}
  double real() {
    std::string token;
    in_ >> token;
    return std::strtod(token.c_str(), nullptr);
  }
  float binary32() { return static_cast<float>(real()); }
  std::string word() {
    std::string token;
    in_ >> token;
    return token;
  }
  ap::Phase phase() { return real() == 0.0 ? ap::Phase::spherical : ap::Phase::quadratic; }
  ap::Horn horn() {
    const double radius = real();
    const double slant = real();
    return ap::Horn{radius, slant, phase()};
  }

private:
  std::istringstream& in_;
};

std::string answer(const std::string& name, Arguments& a) {
  if (name == "classic.design") {
    const float f = a.binary32(), g = a.binary32(), s = a.binary32();
    const classic::Design d = classic::design(f, g, s);
    return hex(static_cast<double>(d.radius)) + " " + hex(static_cast<double>(d.slant));
  }
  if (name == "classic.gain_ratio" || name == "classic.gain_db" || name == "classic.phase_deviation" ||
      name == "classic.beamwidths") {
    const float f = a.binary32(), r = a.binary32(), l = a.binary32();
    if (name == "classic.gain_ratio") return hex(static_cast<double>(classic::gain_ratio(f, r, l)));
    if (name == "classic.gain_db") return hex(static_cast<double>(classic::gain_db(f, r, l)));
    if (name == "classic.phase_deviation") return hex(static_cast<double>(classic::phase_deviation(f, r, l)));
    const classic::Beamwidths b = classic::beamwidths(f, r, l);
    return hex(b.bw3) + " " + hex(b.bw10);
  }
  if (name == "classic.inches_from_centimetres") {
    return hex(static_cast<double>(classic::inches_from_centimetres(a.binary32())));
  }
  if (name == "classic.centimetres_from_inches") {
    return hex(static_cast<double>(classic::centimetres_from_inches(a.binary32())));
  }
  if (name == "classic.sweep_point") {
    const auto index = static_cast<std::int64_t>(a.real());
    const float start = a.binary32(), step = a.binary32();
    return hex(static_cast<double>(classic::sweep_point(index, start, step)));
  }
  if (name == "wavelength") return hex(ap::wavelength(a.real()));
  if (name == "edge_angle_from_f_over_d") return hex(ap::edge_angle_from_f_over_d(a.real()));
  if (name == "geometry") {
    const ap::Horn horn = a.horn();
    const ap::Geometry g = ap::geometry(horn, a.real());
    return hex(g.wavelength) + " " + hex(g.s) + " " + hex(g.flare_half_angle) + " " + flags(g.validity);
  }
  if (name == "directivity") {
    const ap::Horn horn = a.horn();
    const ap::Directivity d = ap::directivity(horn, a.real());
    return hex(d.dbi) + " " + flags(d.validity);
  }
  if (name == "pattern") {
    const ap::Horn horn = a.horn();
    const double f = a.real();
    const double theta[] = {a.real()};
    const ap::PatternPoint p = ap::pattern(horn, f, theta).front();
    return hex(p.theta) + " " + hex(p.field.real()) + " " + hex(p.field.imag()) + " " + hex(p.level_db) +
           " " + hex(p.phase);
  }
  if (name == "beamwidth") {
    const ap::Horn horn = a.horn();
    const double f = a.real();
    return widths(ap::beamwidth(horn, f, a.real()));
  }
  if (name == "feed_metrics") {
    const ap::Horn horn = a.horn();
    const double f = a.real();
    return metrics(ap::feed_metrics(horn, f, a.real()));
  }
  if (name == "design_for_directivity" || name == "design_for_edge_taper") {
    ap::Design d;
    if (name == "design_for_directivity") {
      const double target = a.real(), f = a.real(), s = a.real();
      d = ap::design_for_directivity(target, f, s, a.phase());
    } else {
      const double target = a.real(), edge = a.real(), f = a.real(), s = a.real();
      d = ap::design_for_edge_taper(target, edge, f, s, a.phase());
    }
    const auto radius = d.horn ? std::optional<double>(d.horn->radius) : std::nullopt;
    const auto slant = d.horn ? std::optional<double>(d.horn->slant) : std::nullopt;
    return hex(d.s) + " " + hex(radius) + " " + hex(slant) + " " + hex(d.directivity_dbi) + " " +
           hex(d.edge_taper_db) + " " + flag(d.no_solution()) + " " + flags(d.validity) + " " +
           hex(d.pattern_directivity_dbi) + " " + flag(d.maximum_off_axis) + " " +
           (d.beamwidth_3db ? widths(*d.beamwidth_3db) : "-") + " " +
           (d.beamwidth_10db ? widths(*d.beamwidth_10db) : "-") + " " + text(d.reason);
  }
  if (name == "pattern_directivity_dbi") {
    const ap::Horn horn = a.horn();
    return hex(ap::Model(horn, a.real()).pattern_directivity_dbi());
  }
  if (name == "estimated_work") {
    const ap::Horn horn = a.horn();
    const ap::Work w = ap::estimated_work(horn, a.real());
    return hex(w.model) + " " + hex(w.per_level) + " " + hex(w.per_angle) + " " + hex(w.feed_metrics);
  }
  if (name == "sweep") {
    // horn, edge angle (NaN: none), count and frequencies, count and levels; one row per frequency:
    // frequency, geometry, directivity, pattern directivity, each level's beamwidth, feed metrics.
    const ap::Horn horn = a.horn();
    const double edge = a.real();
    std::vector<double> frequencies(static_cast<std::size_t>(a.real()));
    for (double& f : frequencies) f = a.real();
    std::vector<double> levels(static_cast<std::size_t>(a.real()));
    for (double& x : levels) x = a.real();
    const auto points =
        ap::sweep(horn, frequencies, levels, std::isnan(edge) ? std::nullopt : std::optional<double>(edge));
    std::string out;
    for (const ap::SweepPoint& p : points) {
      if (!out.empty()) out += " ";
      out += hex(p.frequency) + " " + hex(p.geometry.wavelength) + " " + hex(p.geometry.s) + " " +
             hex(p.geometry.flare_half_angle) + " " + flags(p.geometry.validity) + " " + hex(p.directivity.dbi) +
             " " + flags(p.directivity.validity) + " " + hex(p.pattern_directivity_dbi);
      for (const ap::Beamwidth& w : p.beamwidths) out += " " + widths(w);
      if (p.feed) out += " " + metrics(*p.feed);
    }
    return out;
  }
  if (name == "profile.generate") {
    const double radius = a.real(), slant = a.real(), f_min = a.real(), f_max = a.real();
    return sections(zavolt::profile::generate({radius, slant}, {f_min, f_max}));
  }
  if (name == "profile.read_csv") {
    std::ifstream in(a.word());
    return sections(zavolt::profile::read_csv(in));
  }
  if (name == "modes.solve") {
    // frequency, theta, edge angle, then the sections: count, then length and radius of each.
    const double f = a.real(), theta = a.real(), edge = a.real();
    zavolt::profile::Profile p;
    p.sections.resize(static_cast<std::size_t>(a.real()));
    for (auto& s : p.sections) {
      s.length = a.real();
      s.radius = a.real();
    }
    const zavolt::modes::Solution s = zavolt::modes::Solver(p).solve(f);
    const zavolt::modes::CutPoint c = s.cut_point(theta);
    const zavolt::modes::FeedMetrics m = s.feed_metrics(edge);
    std::string out = hex(s.s11.real()) + " " + hex(s.s11.imag()) + " " + hex(s.return_loss_db) + " " + hex(s.vswr);
    out += " " + hex(static_cast<double>(s.modes)) + " " + hex(s.power_check) + " " + hex(s.directivity_dbi()) + " " +
           hex(s.gain_dbi());
    for (const std::complex<double> z : {c.e_plane, c.h_plane, c.co45, c.cross45}) {
      out += " " + hex(z.real()) + " " + hex(z.imag());
    }
    out += " " + hex(m.edge_taper_db) + " " + hex(m.spillover_efficiency) + " " + hex(m.taper_efficiency) + " " +
           hex(m.feed_efficiency) + " " + hex(m.polarisation_efficiency);
    return out;
  }
  if (name == "modes.details") {
    // frequency, phase-centre fit, modes (0: the default), convergence flag, then the sections.
    // Answer: input and aperture modes, warnings, convergence (or "-" each), the E, H and 45 degree
    // phase centres, the cross-polar peak and its angle, the 10 dB width of each plane, then the
    // reflected and the transmitted modes: count, then kind, order, cut-off, propagating, amplitude
    // and power of each.
    const double f = a.real(), fit = a.real(), count = a.real(), check = a.real();
    zavolt::profile::Profile p;
    p.sections.resize(static_cast<std::size_t>(a.real()));
    for (auto& s : p.sections) {
      s.length = a.real();
      s.radius = a.real();
    }
    zavolt::modes::Options options;
    if (count > 0) options.modes = static_cast<int>(count);
    options.convergence = check != 0.0;
    const zavolt::modes::Solution s = zavolt::modes::Solver(p, options).solve(f);
    std::string out = hex(static_cast<double>(s.input_modes)) + " " + hex(static_cast<double>(s.aperture_modes));
    out += " " + flag(s.warnings.aperture_below_wavelength) + " " + flag(s.warnings.input_overmoded) + " " +
           flag(s.warnings.not_converged);
    if (s.convergence) {
      const zavolt::modes::Convergence& c = *s.convergence;
      out += " " + hex(static_cast<double>(c.modes)) + " " + hex(c.delta_s11) + " " + hex(c.delta_copol_db) + " " +
             hex(c.delta_xpol_db) + " " + flag(c.converged());
    } else {
      out += " - - - - -";
    }
    using zavolt::modes::Plane;
    for (const Plane plane : {Plane::e, Plane::h, Plane::d45}) out += " " + hex(s.phase_centre(plane, fit).distance);
    double at = 0.0;
    const double peak = s.xpol_peak_db(std::nullopt, &at);
    out += " " + hex(peak) + " " + hex(at);
    for (const Plane plane : {Plane::e, Plane::h, Plane::d45}) out += " " + hex(s.beamwidth(plane, 10.0).width);
    for (const auto* list : {&s.reflected, &s.transmitted}) {
      out += " " + hex(static_cast<double>(list->size()));
      for (const zavolt::modes::ModePower& m : *list) {
        out += " " + flag(m.mode.kind == zavolt::modes::Kind::tm) + " " + hex(static_cast<double>(m.mode.order)) +
               " " + hex(m.mode.cutoff) + " " + flag(m.mode.propagating) + " " + hex(m.amplitude.real()) + " " +
               hex(m.amplitude.imag()) + " " + hex(m.power);
      }
    }
    return out;
  }
  return "unknown " + name;
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string name;
    in >> name;
    Arguments arguments(in);
    try {
      std::cout << answer(name, arguments) << '\n';
    } catch (const zavolt::InvalidInput& e) {
      std::cout << "invalid " << static_cast<int>(e.quantity()) << ' ' << hex(e.value()) << ' ' << e.what()
                << '\n';
    }
  }
  return 0;
}
