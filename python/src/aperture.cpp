// zavolt.aperture: the aperture model, with NumPy arrays of frequencies, angles, levels and S.
#include "zavolt/aperture.hpp"

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <complex>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "arrays.hpp"
#include "bindings.hpp"
#include "results.hpp"

namespace zavolt::python {

namespace {

namespace ap = zavolt::aperture;

struct ValidityResult {
  py::object s_outside_0_to_1;
  py::object flare_above_15_degrees;
  py::object aperture_below_wavelength;
  py::object flare_beyond_accuracy_domain;
  py::object any;
};

struct GeometryResult {
  py::object wavelength;
  py::object s;
  py::object flare_half_angle;
  py::object validity;
};

struct DirectivityResult {
  py::object dbi;
  py::object validity;
};

struct PatternResult {
  py::object theta;
  py::object field;
  py::object level_db;
  py::object phase;
};

struct BeamwidthResult {
  py::object level_db;
  py::object width;
  py::object not_reached_within_90_degrees;
  py::object maximum_off_axis;
  py::object validity;
};

struct FeedMetricsResult {
  py::object edge_angle;
  py::object edge_taper_db;
  py::object spillover_efficiency;
  py::object taper_efficiency;
  py::object feed_efficiency;
  py::object phase_centre;
  py::object phase_centre_undefined;
  py::object validity;
};

struct DesignResult {
  py::object s;
  py::object radius;
  py::object slant;
  py::object phase;
  py::object directivity_dbi;
  py::object edge_taper_db;
  py::object no_solution;
  py::object validity;
  py::object pattern_directivity_dbi;
  py::object beamwidth_3db;
  py::object beamwidth_10db;
  py::object maximum_off_axis;
  py::object reason;
};

struct WorkResult {
  py::object model;
  py::object per_level;
  py::object per_angle;
  py::object feed_metrics;
};

struct SweepResult {
  py::object frequency;
  py::object geometry;
  py::object directivity;
  py::object pattern_directivity_dbi;
  py::object beamwidth;
  py::object feed;
};

template <class Row>
py::object validity_of(const Broadcast& b, const std::vector<Row>& rows) {
  return py::cast(
      ValidityResult{column(b, rows, [](const Row& r) { return r.validity.s_outside_0_to_1; }),
                     column(b, rows, [](const Row& r) { return r.validity.flare_above_15_degrees; }),
                     column(b, rows, [](const Row& r) { return r.validity.aperture_below_wavelength; }),
                     column(b, rows, [](const Row& r) { return r.validity.flare_beyond_accuracy_domain; }),
                     column(b, rows, [](const Row& r) { return r.validity.any(); })});
}

py::object validity_object(const ap::Validity& v) {
  return py::cast(ValidityResult{py::bool_(v.s_outside_0_to_1), py::bool_(v.flare_above_15_degrees),
                                 py::bool_(v.aperture_below_wavelength),
                                 py::bool_(v.flare_beyond_accuracy_domain), py::bool_(v.any())});
}

GeometryResult geometry_result(const Broadcast& b, const std::vector<ap::Geometry>& rows) {
  return GeometryResult{column(b, rows, [](const ap::Geometry& g) { return g.wavelength; }),
                        column(b, rows, [](const ap::Geometry& g) { return g.s; }),
                        column(b, rows, [](const ap::Geometry& g) { return g.flare_half_angle; }),
                        validity_of(b, rows)};
}

DirectivityResult directivity_result(const Broadcast& b, const std::vector<ap::Directivity>& rows) {
  return DirectivityResult{column(b, rows, [](const ap::Directivity& d) { return d.dbi; }),
                           validity_of(b, rows)};
}

PatternResult pattern_result(const Broadcast& b, const std::vector<ap::PatternPoint>& rows) {
  using P = ap::PatternPoint;
  return PatternResult{column(b, rows, [](const P& p) { return p.theta; }),
                       column(b, rows, [](const P& p) { return p.field; }),
                       column(b, rows, [](const P& p) { return p.level_db; }),
                       column(b, rows, [](const P& p) { return p.phase; })};
}

BeamwidthResult beamwidth_result(const Broadcast& b, const std::vector<ap::Beamwidth>& rows) {
  using W = ap::Beamwidth;
  return BeamwidthResult{column(b, rows, [](const W& w) { return w.level_db; }),
                         column(b, rows, [](const W& w) { return w.width; }),
                         column(b, rows, [](const W& w) { return w.not_reached_within_90_degrees; }),
                         column(b, rows, [](const W& w) { return w.maximum_off_axis; }),
                         validity_of(b, rows)};
}

FeedMetricsResult feed_metrics_result(const Broadcast& b, const std::vector<ap::FeedMetrics>& rows) {
  using F = ap::FeedMetrics;
  return FeedMetricsResult{column(b, rows, [](const F& f) { return f.edge_angle; }),
                           column(b, rows, [](const F& f) { return f.edge_taper_db; }),
                           column(b, rows, [](const F& f) { return f.spillover_efficiency; }),
                           column(b, rows, [](const F& f) { return f.taper_efficiency; }),
                           column(b, rows, [](const F& f) { return f.feed_efficiency; }),
                           column(b, rows, [](const F& f) { return f.phase_centre; }),
                           column(b, rows, [](const F& f) { return f.phase_centre_undefined; }),
                           validity_of(b, rows)};
}

// A string field as a str, or as a NumPy str array of the broadcast shape.
template <class Row, class Field>
py::object strings(const Broadcast& b, const std::vector<Row>& rows, Field field) {
  if (b.scalar()) return py::str(field(rows.front()));
  py::list texts;
  for (const Row& r : rows) texts.append(py::str(field(r)));
  return py::module_::import("numpy").attr("array")(texts, "str").attr("reshape")(py::tuple(py::cast(b.shape())));
}

// A design's beamwidth: None without a solution for scalar arguments; for arrays, a Beamwidth of
// arrays with NaN level and width and false flags where there is no solution.
py::object design_beamwidth(const Broadcast& b, const std::vector<ap::Design>& rows,
                            std::optional<ap::Beamwidth> ap::Design::*member) {
  if (b.scalar() && !(rows.front().*member)) return py::none();
  std::vector<ap::Beamwidth> widths;
  widths.reserve(rows.size());
  for (const ap::Design& d : rows) {
    if (d.*member) {
      widths.push_back(*(d.*member));
    } else {
      ap::Beamwidth missing;
      missing.level_db = std::numeric_limits<double>::quiet_NaN();
      missing.validity = d.validity;
      widths.push_back(missing);
    }
  }
  return py::cast(beamwidth_result(b, widths));
}

DesignResult design_result(const Broadcast& b, const std::vector<ap::Design>& rows, ap::Phase phase) {
  using D = ap::Design;
  const auto radius = [](const D& d) {
    return d.horn ? std::optional<double>(d.horn->radius) : std::nullopt;
  };
  const auto slant = [](const D& d) { return d.horn ? std::optional<double>(d.horn->slant) : std::nullopt; };
  return DesignResult{column(b, rows, [](const D& d) { return d.s; }),
                      column(b, rows, radius),
                      column(b, rows, slant),
                      py::cast(phase),
                      column(b, rows, [](const D& d) { return d.directivity_dbi; }),
                      column(b, rows, [](const D& d) { return d.edge_taper_db; }),
                      column(b, rows, [](const D& d) { return d.no_solution(); }),
                      validity_of(b, rows),
                      column(b, rows, [](const D& d) { return d.pattern_directivity_dbi; }),
                      design_beamwidth(b, rows, &D::beamwidth_3db),
                      design_beamwidth(b, rows, &D::beamwidth_10db),
                      column(b, rows, [](const D& d) { return d.maximum_off_axis; }),
                      strings(b, rows, [](const D& d) { return d.reason; })};
}

// A model per element of a frequency array, rebuilt only when the frequency changes from one
// element to the next (a frequency broadcast along the last axis is built once per row).
class ModelCache {
public:
  explicit ModelCache(const ap::Horn& horn) : horn_(horn) {}
  const ap::Model& at(double frequency) {
    if (!model_ || !(frequency == model_->frequency())) model_.emplace(horn_, frequency);
    return *model_;
  }

private:
  ap::Horn horn_;
  std::optional<ap::Model> model_;
};

// The element of an array that the C++ library rejected when it checks a whole span at once: the
// first one equal to the rejected value (NaN matching NaN).
[[noreturn]] void rethrow_for_element(const InvalidInput& error, const Broadcast& b, std::size_t argument) {
  if (!b.names_an_element(error.quantity())) throw error;
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double x = b.at(argument, i);
    if (x == error.value() || (std::isnan(x) && std::isnan(error.value()))) {
      throw InvalidElement{error, unravel(i, b.shape())};
    }
  }
  throw error;
}

std::string horn_repr(const ap::Horn& h) {
  return "Horn(radius=" + std::string(py::repr(py::float_(h.radius))) +
         ", slant=" + std::string(py::repr(py::float_(h.slant))) +
         ", phase=" + std::string(py::repr(py::cast(h.phase))) + ")";
}

}  // namespace

void bind_aperture(py::module_& m) {
  m.doc() = R"(The aperture model of a conical corrugated horn.

The aperture field is the balanced hybrid mode J0(p rho / a) with the spherical (or quadratic)
phase of the wave from the apex; its far field gives patterns, directivity, beamwidths at any
level, feed metrics for a reflector and designs. Lengths in metres, frequencies in hertz, angles
in radians, levels in dB. Arguments named frequency, theta, level_db, edge_angle, s, f_over_d may
be NumPy arrays (or sequences) of any shape, broadcast together; the results are then arrays of
that shape (float64, complex128 or bool, NaN where a scalar result would be None), and Python
scalars for scalar arguments. An invalid element raises zavolt.InvalidInput with its index.
Accuracy (C++ header zavolt/aperture.hpp): directivity and edge taper within 0.001 dB,
beamwidths within 0.01 degree for 1 <= a/lambda <= 15 and 0 <= S <= 1.2.)";
  m.attr("SPEED_OF_LIGHT") = ap::kSpeedOfLight;
  m.attr("FIRST_ZERO_J0") = ap::kFirstZeroJ0;
  m.attr("MOST_ACCURATE_FLARE") = ap::kMostAccurateFlare;

  py::enum_<ap::Phase> phase_type(m, "Phase", "The phase of the aperture field.");
  phase_type
      .value("spherical", ap::Phase::spherical, "The true path excess from the apex (needs slant > radius).")
      .value("quadratic", ap::Phase::quadratic, "rho^2 / (2 L), the classic routines' model.");
  // Replaced, not overloaded: the repr reads as the expression that gives the value.
  phase_type.attr("__repr__") = py::cpp_function(
      [](ap::Phase p) { return p == ap::Phase::spherical ? "Phase.spherical" : "Phase.quadratic"; },
      py::is_method(phase_type));

  py::class_<ap::Horn>(m, "Horn",
                       "A horn at its aperture: radius and slant length from apex to rim, in metres.")
      .def(py::init([](double radius, double slant, ap::Phase phase) {
             return ap::Horn{radius, slant, phase};
           }),
           py::arg("radius"), py::arg("slant") = std::numeric_limits<double>::infinity(),
           py::arg("phase") = ap::Phase::spherical,
           "radius: aperture radius a, metres; slant: slant length L, metres (inf: no phase error); phase. "
           "Checked where it is used (Model, the functions).")
      .def_readonly("radius", &ap::Horn::radius, "Aperture radius a, metres.")
      .def_readonly("slant", &ap::Horn::slant,
                    "Slant length L from apex to rim, metres; inf: no phase error.")
      .def_readonly("phase", &ap::Horn::phase, "Phase model of the aperture field.")
      .def("__repr__", &horn_repr)
      .def("__eq__",
           [](const ap::Horn& x, const ap::Horn& y) {
             return x.radius == y.radius && x.slant == y.slant && x.phase == y.phase;
           })
      .def("__hash__",
           [](const ap::Horn& h) { return py::hash(py::make_tuple(h.radius, h.slant, h.phase)); });

  py::class_<ValidityResult> validity(
      m, "Validity",
      "Conditions under which the model describes the horn poorly; they never change "
      "a number. Booleans, or bool arrays for array arguments.");
  add_fields(validity, "Validity",
             {{"s_outside_0_to_1", {&ValidityResult::s_outside_0_to_1, "S < 0 or S > 1."}},
              {"flare_above_15_degrees",
               {&ValidityResult::flare_above_15_degrees, "Quadratic phase only: asin(a / L) > 15 degrees."}},
              {"aperture_below_wavelength",
               {&ValidityResult::aperture_below_wavelength,
                "a < lambda: the hybrid mode describes the horn poorly."}},
              {"flare_beyond_accuracy_domain",
               {&ValidityResult::flare_beyond_accuracy_domain,
                "a / L > MOST_ACCURATE_FLARE (0.7), either phase: outside the stated accuracy."}},
              {"any", {&ValidityResult::any, "Any of the four."}}});

  py::class_<GeometryResult> geometry(m, "Geometry", "A horn's derived quantities at a frequency.");
  add_fields(
      geometry, "Geometry",
      {{"wavelength", {&GeometryResult::wavelength, "lambda = c / f, metres."}},
       {"s", {&GeometryResult::s, "S = a^2 / (2 lambda L), wavelengths; 0 for L = inf."}},
       {"flare_half_angle",
        {&GeometryResult::flare_half_angle, "asin(a / L), radians; pi/2 when L <= a (quadratic phase)."}},
       {"validity", {&GeometryResult::validity, "Validity flags."}}});

  py::class_<DirectivityResult> directivity(m, "Directivity", "Directivity of the horn.");
  add_fields(directivity, "Directivity",
             {{"dbi", {&DirectivityResult::dbi, "10 log10 D, dBi."}},
              {"validity", {&DirectivityResult::validity, "Validity flags."}}});

  py::class_<PatternResult> pattern(m, "Pattern",
                                    "A pattern cut relative to boresight, one value per angle.");
  add_fields(
      pattern, "Pattern",
      {{"theta", {&PatternResult::theta, "Angle from the axis, radians."}},
       {"field", {&PatternResult::field, "E(theta) / E(0), complex."}},
       {"level_db", {&PatternResult::level_db, "20 log10 |E(theta) / E(0)|, dB; -inf at an exact zero."}},
       {"phase", {&PatternResult::phase, "arg E(theta) - arg E(0), radians in (-pi, pi]."}}});

  py::class_<BeamwidthResult> beamwidth(m, "Beamwidth",
                                        "The full width 2 theta_X at a level X dB below boresight.");
  add_fields(
      beamwidth, "Beamwidth",
      {{"level_db", {&BeamwidthResult::level_db, "The level X, dB below boresight."}},
       {"width", {&BeamwidthResult::width, "2 theta_X, radians; None (NaN in arrays) when not reached."}},
       {"not_reached_within_90_degrees",
        {&BeamwidthResult::not_reached_within_90_degrees, "The level is not reached within 90 degrees."}},
       {"maximum_off_axis",
        {&BeamwidthResult::maximum_off_axis, "The pattern rises above boresight within 90 degrees."}},
       {"validity", {&BeamwidthResult::validity, "Validity flags."}}});

  py::class_<FeedMetricsResult> feed(
      m, "FeedMetrics", "The horn as the feed of a reflector whose rim is seen at the edge half-angle.");
  add_fields(
      feed, "FeedMetrics",
      {{"edge_angle", {&FeedMetricsResult::edge_angle, "theta_e, radians."}},
       {"edge_taper_db",
        {&FeedMetricsResult::edge_taper_db,
         "-20 log10 |E(theta_e) / E(0)|, dB; the feed alone, no space loss."}},
       {"spillover_efficiency",
        {&FeedMetricsResult::spillover_efficiency, "Power within theta_e over all power."}},
       {"taper_efficiency", {&FeedMetricsResult::taper_efficiency, "Aperture taper efficiency of the dish."}},
       {"feed_efficiency", {&FeedMetricsResult::feed_efficiency, "Spillover times taper (amplitude only)."}},
       {"phase_centre",
        {&FeedMetricsResult::phase_centre,
         "Phase centre behind the aperture plane, metres; None (NaN in arrays) "
         "when phase_centre_undefined."}},
       {"phase_centre_undefined",
        {&FeedMetricsResult::phase_centre_undefined, "|E| has a zero within the edge: no centre is fitted."}},
       {"validity", {&FeedMetricsResult::validity, "Validity flags."}}});

  py::class_<DesignResult> design(m, "Design",
                                  "A horn designed for one S (or an array of S) and phase model.");
  add_fields(
      design, "Design",
      {{"s", {&DesignResult::s, "S, wavelengths."}},
       {"radius", {&DesignResult::radius, "Aperture radius, metres; None (NaN) when there is no solution."}},
       {"slant",
        {&DesignResult::slant,
         "Slant length a^2 / (2 lambda S), metres (inf at S = 0); None (NaN) "
         "when there is no solution."}},
       {"phase", {&DesignResult::phase, "The phase model designed with."}},
       {"directivity_dbi", {&DesignResult::directivity_dbi, "The designed horn analysed, dBi; None (NaN)."}},
       {"edge_taper_db",
        {&DesignResult::edge_taper_db, "For a design to an edge taper: the taper reached, dB; None (NaN)."}},
       {"no_solution", {&DesignResult::no_solution, "No horn meets the target."}},
       {"validity", {&DesignResult::validity, "Validity of the designed horn (of S alone without one)."}},
       {"pattern_directivity_dbi",
        {&DesignResult::pattern_directivity_dbi,
         "Model.pattern_directivity_dbi() of the designed horn, dBi; None (NaN)."}},
       {"beamwidth_3db",
        {&DesignResult::beamwidth_3db,
         "The designed horn's 3 dB Beamwidth (width in radians); None without a solution (arrays: NaN "
         "level and width)."}},
       {"beamwidth_10db",
        {&DesignResult::beamwidth_10db,
         "The designed horn's 10 dB Beamwidth (width in radians); None without a solution (arrays: NaN "
         "level and width)."}},
       {"maximum_off_axis",
        {&DesignResult::maximum_off_axis,
         "The designed horn's pattern rises above boresight within 90 degrees."}},
       {"reason",
        {&DesignResult::reason,
         "Why there is no solution; empty with one (a str, or a NumPy str array for arrays)."}}});
  design.def_property_readonly(
      "horn",
      [](const DesignResult& d) -> py::object {
        if (py::isinstance<py::array>(d.radius)) {
          throw py::type_error(
              "Design.horn: this design holds arrays; take radius and slant, or design one S");
        }
        if (d.radius.is_none()) return py::none();
        return py::cast(ap::Horn{d.radius.cast<double>(), d.slant.cast<double>(), d.phase.cast<ap::Phase>()});
      },
      "The designed Horn, None without a solution (a design of scalar arguments only).");

  py::class_<WorkResult> work(m, "Work",
                              "An upper estimate of the model's work on a horn at a frequency, in evaluations "
                              "of J0 (about 35 ns each on a current core).");
  add_fields(work, "Work",
             {{"model", {&WorkResult::model, "Building the Model and the scan shared by the beamwidths."}},
              {"per_level", {&WorkResult::per_level, "Each beamwidth level beyond the first scan."}},
              {"per_angle", {&WorkResult::per_angle, "Each pattern angle."}},
              {"feed_metrics",
               {&WorkResult::feed_metrics, "The feed metrics at one edge angle, or the pattern directivity."}}});

  py::class_<SweepResult> sweep_type(
      m, "Sweep",
      "Model rows over frequencies for one horn, each frequency's Model built once. Arrays of the "
      "frequencies' shape; beamwidth arrays of that shape followed by the levels' shape.");
  add_fields(
      sweep_type, "Sweep",
      {{"frequency", {&SweepResult::frequency, "The frequencies, hertz."}},
       {"geometry", {&SweepResult::geometry, "Wavelength (metres), S, flare half-angle (radians), validity."}},
       {"directivity", {&SweepResult::directivity, "The aperture formula's directivity, dBi."}},
       {"pattern_directivity_dbi",
        {&SweepResult::pattern_directivity_dbi, "The pattern's directivity over the forward hemisphere, dBi."}},
       {"beamwidth", {&SweepResult::beamwidth, "Beamwidths at the levels (widths in radians)."}},
       {"feed",
        {&SweepResult::feed, "FeedMetrics at the edge angle (radians); None when no edge angle is given."}}});

  m.def(
      "wavelength",
      [](ArrayLike frequency) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}});
        const auto rows = for_each_element(b, [&](std::size_t i) { return ap::wavelength(b.at(0, i)); });
        return column(b, rows, [](double x) { return x; });
      },
      py::arg("frequency"), "lambda = c / f in metres, frequency in hertz (an array: an array).");
  m.def(
      "edge_angle_from_f_over_d",
      [](ArrayLike f_over_d) {
        const Broadcast b({{f_over_d, "f_over_d", Quantity::f_over_d}});
        const auto rows =
            for_each_element(b, [&](std::size_t i) { return ap::edge_angle_from_f_over_d(b.at(0, i)); });
        return column(b, rows, [](double x) { return x; });
      },
      py::arg("f_over_d"),
      "The reflector edge half-angle 2 atan(1 / (4 f/D)) in radians; f/D must be finite and above 0.25.");
  m.def(
      "geometry",
      [](const ap::Horn& horn, ArrayLike frequency) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}});
        return geometry_result(
            b, for_each_element(b, [&](std::size_t i) { return ap::geometry(horn, b.at(0, i)); }));
      },
      py::arg("horn"), py::arg("frequency"), "S, flare half-angle and validity at a frequency in hertz.");
  m.def(
      "directivity",
      [](const ap::Horn& horn, ArrayLike frequency) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}});
        ModelCache models(horn);
        return directivity_result(
            b, for_each_element(b, [&](std::size_t i) { return models.at(b.at(0, i)).directivity(); }));
      },
      py::arg("horn"), py::arg("frequency"), "Directivity at a frequency in hertz.");
  m.def(
      "pattern",
      [](const ap::Horn& horn, ArrayLike frequency, ArrayLike theta) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}, {theta, "theta", Quantity::theta}});
        ModelCache models(horn);
        return pattern_result(b, for_each_element(b, [&](std::size_t i) {
                                return models.at(b.at(0, i)).pattern_point(b.at(1, i));
                              }));
      },
      py::arg("horn"), py::arg("frequency"), py::arg("theta"),
      "The pattern at a frequency in hertz and angles theta in radians (broadcast together).");
  m.def(
      "beamwidth",
      [](const ap::Horn& horn, ArrayLike frequency, ArrayLike level_db) {
        const Broadcast b(
            {{frequency, "frequency", Quantity::frequency}, {level_db, "level_db", Quantity::level}});
        ModelCache models(horn);
        return beamwidth_result(b, for_each_element(b, [&](std::size_t i) {
                                  return models.at(b.at(0, i)).beamwidth(b.at(1, i));
                                }));
      },
      py::arg("horn"), py::arg("frequency"), py::arg("level_db"),
      "The full width at level_db (dB below boresight) at a frequency in hertz; width in radians.");
  m.def(
      "feed_metrics",
      [](const ap::Horn& horn, ArrayLike frequency, ArrayLike edge_angle) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency},
                           {edge_angle, "edge_angle", Quantity::edge_angle}});
        ModelCache models(horn);
        return feed_metrics_result(b, for_each_element(b, [&](std::size_t i) {
                                     return models.at(b.at(0, i)).feed_metrics(b.at(1, i));
                                   }));
      },
      py::arg("horn"), py::arg("frequency"), py::arg("edge_angle"),
      "Feed metrics for a reflector rim at edge_angle (radians, in (0, pi/2)) at a frequency in hertz.");
  m.def(
      "pattern_directivity_dbi",
      [](const ap::Horn& horn, ArrayLike frequency) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}});
        ModelCache models(horn);
        const auto rows = for_each_element(
            b, [&](std::size_t i) { return models.at(b.at(0, i)).pattern_directivity_dbi(); });
        return column(b, rows, [](double x) { return x; });
      },
      py::arg("horn"), py::arg("frequency"),
      "The directivity of the model's pattern over the forward hemisphere, dBi, at a frequency in hertz "
      "(Model.pattern_directivity_dbi).");
  m.def(
      "estimated_work",
      [](const ap::Horn& horn, ArrayLike frequency) {
        const Broadcast b({{frequency, "frequency", Quantity::frequency}});
        const auto rows = for_each_element(b, [&](std::size_t i) { return ap::estimated_work(horn, b.at(0, i)); });
        using W = ap::Work;
        return WorkResult{column(b, rows, [](const W& w) { return w.model; }),
                          column(b, rows, [](const W& w) { return w.per_level; }),
                          column(b, rows, [](const W& w) { return w.per_angle; }),
                          column(b, rows, [](const W& w) { return w.feed_metrics; })};
      },
      py::arg("horn"), py::arg("frequency"),
      "An upper estimate of the model's work on the horn at a frequency in hertz, in evaluations of J0, "
      "for bounding a request before running it. Validates the horn as Model does.");
  m.def(
      "sweep",
      [](const ap::Horn& horn, ArrayLike frequencies, ArrayLike levels_db, std::optional<double> edge_angle) {
        const Broadcast bf({{frequencies, "frequencies", Quantity::frequency}});
        const Broadcast bl({{levels_db, "levels_db", Quantity::level}});
        // The beamwidths' shape: the frequencies' followed by the levels'.
        std::vector<py::ssize_t> f_shape = bf.shape();
        f_shape.resize(bf.shape().size() + bl.shape().size(), 1);
        py::array_t<double> f_array(f_shape), l_array(bl.shape());
        for (std::size_t i = 0; i < bf.size(); ++i) f_array.mutable_data()[i] = bf.at(0, i);
        for (std::size_t i = 0; i < bl.size(); ++i) l_array.mutable_data()[i] = bl.at(0, i);
        const Broadcast bw({{f_array, "frequencies", Quantity::frequency}, {l_array, "levels_db", Quantity::level}});
        std::vector<double> fs(bf.size()), levels(bl.size());
        for (std::size_t i = 0; i < fs.size(); ++i) fs[i] = bf.at(0, i);
        for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = bl.at(0, i);
        std::vector<ap::SweepPoint> points;
        {
          py::gil_scoped_release unlocked;
          try {
            points = ap::sweep(horn, fs, levels, edge_angle);
          } catch (const InvalidInput& error) {
            if (error.quantity() == Quantity::frequency && !bf.scalar()) rethrow_for_element(error, bf, 0);
            if (error.quantity() == Quantity::level && !bl.scalar()) rethrow_for_element(error, bl, 0);
            throw;
          }
        }
        using P = ap::SweepPoint;
        std::vector<ap::Geometry> geometries;
        std::vector<ap::Directivity> directivities;
        std::vector<ap::Beamwidth> widths;
        std::vector<ap::FeedMetrics> feeds;
        for (const P& p : points) {
          geometries.push_back(p.geometry);
          directivities.push_back(p.directivity);
          widths.insert(widths.end(), p.beamwidths.begin(), p.beamwidths.end());
          if (p.feed) feeds.push_back(*p.feed);
        }
        SweepResult out{column(bf, points, [](const P& p) { return p.frequency; }),
                        py::cast(geometry_result(bf, geometries)),
                        py::cast(directivity_result(bf, directivities)),
                        column(bf, points, [](const P& p) { return p.pattern_directivity_dbi; }),
                        py::none(),
                        py::none()};
        out.beamwidth = py::cast(beamwidth_result(bw, widths));
        if (edge_angle) out.feed = py::cast(feed_metrics_result(bf, feeds));
        return out;
      },
      py::arg("horn"), py::arg("frequencies"), py::arg("levels_db") = py::make_tuple(3.0, 10.0),
      py::arg("edge_angle") = py::none(),
      R"(Model rows over frequencies (hertz) for one horn: geometry, directivity, pattern directivity,
beamwidths at levels_db (dB below boresight; widths in radians) and, with an edge angle in radians,
feed metrics. Each frequency's Model is built once. Raises InvalidInput as Model and its members do.)");
  m.def(
      "design_for_directivity",
      [](ArrayLike directivity_dbi, ArrayLike frequency, ArrayLike s, ap::Phase phase) {
        const Broadcast b({{directivity_dbi, "directivity_dbi", Quantity::directivity},
                           {frequency, "frequency", Quantity::frequency},
                           {s, "s", Quantity::phase_deviation}});
        return design_result(b,
                             for_each_element(b,
                                              [&](std::size_t i) {
                                                return ap::design_for_directivity(b.at(0, i), b.at(1, i),
                                                                                  b.at(2, i), phase);
                                              }),
                             phase);
      },
      py::arg("directivity_dbi"), py::arg("frequency"), py::arg("s"), py::arg("phase") = ap::Phase::spherical,
      R"(The horn whose model directivity (dBi) is the wanted one at a frequency (hertz) and S.

Radius in metres from the model itself, then L = a^2 / (2 lambda S). Analysed again it gives
the target within 1e-4 dB. Arguments broadcast together.)");
  m.def(
      "design_for_edge_taper",
      [](ArrayLike edge_taper_db, ArrayLike edge_angle, ArrayLike frequency, ArrayLike s, ap::Phase phase) {
        const Broadcast b({{edge_taper_db, "edge_taper_db", Quantity::edge_taper},
                           {edge_angle, "edge_angle", Quantity::edge_angle},
                           {frequency, "frequency", Quantity::frequency},
                           {s, "s", Quantity::phase_deviation}});
        return design_result(b,
                             for_each_element(b,
                                              [&](std::size_t i) {
                                                return ap::design_for_edge_taper(
                                                    b.at(0, i), b.at(1, i), b.at(2, i), b.at(3, i), phase);
                                              }),
                             phase);
      },
      py::arg("edge_taper_db"), py::arg("edge_angle"), py::arg("frequency"), py::arg("s"),
      py::arg("phase") = ap::Phase::spherical,
      R"(The smallest horn whose edge taper (dB) at edge_angle (radians) is the wanted one, with the
edge inside the main beam, at a frequency (hertz) and S. Arguments broadcast together.)");

  py::class_<ap::Model>(m, "Model", R"(The horn at one frequency, its aperture sampled once, so that many
angles, levels and edge angles cost only the far-field sums. Immutable; its methods release the
GIL and may be called from several threads.)")
      .def(py::init<const ap::Horn&, double>(), py::arg("horn"), py::arg("frequency"),
           "horn: a Horn (metres); frequency: hertz. Raises InvalidInput for a radius or frequency not "
           "positive "
           "and finite, a slant NaN or not positive, or (spherical phase) a slant not above the radius.")
      .def_property_readonly("horn", &ap::Model::horn, "The Horn.")
      .def_property_readonly("frequency", &ap::Model::frequency, "Frequency, hertz.")
      .def_property_readonly(
          "geometry",
          [](const ap::Model& model) {
            const ap::Geometry& g = model.geometry();
            return GeometryResult{py::float_(g.wavelength), py::float_(g.s), py::float_(g.flare_half_angle),
                                  validity_object(g.validity)};
          },
          "Wavelength, S, flare half-angle and validity.")
      .def_property_readonly(
          "validity", [](const ap::Model& model) { return validity_object(model.validity()); },
          "Validity flags.")
      .def(
          "directivity",
          [](const ap::Model& model) {
            const ap::Directivity d = model.directivity();
            return DirectivityResult{py::float_(d.dbi), validity_object(d.validity)};
          },
          "Directivity, dBi.")
      .def("pattern_directivity_dbi", &ap::Model::pattern_directivity_dbi,
           py::call_guard<py::gil_scoped_release>(),
           "The directivity of this model's pattern, 4 pi |E(0)|^2 over the integral of |E|^2 on the "
           "forward hemisphere, dBi: what the aperture formula approximates.")
      .def(
          "relative_field",
          [](const ap::Model& model, ArrayLike theta) {
            const Broadcast b({{theta, "theta", Quantity::theta}});
            const auto rows =
                for_each_element(b, [&](std::size_t i) { return model.relative_field(b.at(0, i)); });
            return column(b, rows, [](std::complex<double> z) { return z; });
          },
          py::arg("theta"), "E(theta) / E(0), complex, for angles theta in radians (finite).")
      .def(
          "pattern",
          [](const ap::Model& model, ArrayLike theta) {
            const Broadcast b({{theta, "theta", Quantity::theta}});
            return pattern_result(
                b, for_each_element(b, [&](std::size_t i) { return model.pattern_point(b.at(0, i)); }));
          },
          py::arg("theta"), "The pattern at angles theta in radians: Pattern(theta, field, level_db, phase).")
      .def(
          "beamwidth",
          [](const ap::Model& model, ArrayLike level_db) {
            const Broadcast b({{level_db, "level_db", Quantity::level}});
            std::vector<ap::Beamwidth> rows;
            {
              std::vector<double> levels(b.size());
              for (std::size_t i = 0; i < b.size(); ++i) levels[i] = b.at(0, i);
              py::gil_scoped_release unlocked;
              try {
                // One scan of the pattern serves every level.
                rows = model.beamwidths(levels);
              } catch (const InvalidInput& error) {
                if (b.scalar()) throw;
                rethrow_for_element(error, b, 0);
              }
            }
            return beamwidth_result(b, rows);
          },
          py::arg("level_db"), "The full width at level_db (dB below boresight, positive); width in radians.")
      .def(
          "feed_metrics",
          [](const ap::Model& model, ArrayLike edge_angle) {
            const Broadcast b({{edge_angle, "edge_angle", Quantity::edge_angle}});
            return feed_metrics_result(
                b, for_each_element(b, [&](std::size_t i) { return model.feed_metrics(b.at(0, i)); }));
          },
          py::arg("edge_angle"), "Feed metrics for a reflector rim at edge_angle, radians in (0, pi/2).")
      .def("maximum_off_axis", &ap::Model::maximum_off_axis, py::call_guard<py::gil_scoped_release>(),
           "Whether |E| exceeds |E(0)| somewhere in (0, 90 degrees].")
      .def("__repr__", [](const ap::Model& model) {
        return "Model(" + horn_repr(model.horn()) +
               ", frequency=" + std::string(py::repr(py::float_(model.frequency()))) + ")";
      });
}

}  // namespace zavolt::python
