// zavolt.modes: mode matching of a profile, one frequency or a sweep on the library's thread pool
// with the GIL released, and the sweep as a scikit-rf Network.
#include "zavolt/modes.hpp"

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "arrays.hpp"
#include "bindings.hpp"
#include "errors.hpp"
#include "results.hpp"

namespace zavolt::python {

namespace {

namespace md = zavolt::modes;

struct CutsResult {
  py::object theta;
  py::object e_plane;
  py::object h_plane;
  py::object co45;
  py::object cross45;
};

struct FeedMetricsResult {
  py::object edge_angle;
  py::object edge_taper_db;
  py::object spillover_efficiency;
  py::object taper_efficiency;
  py::object feed_efficiency;
  py::object polarisation_efficiency;
};

struct BeamwidthResult {
  py::object level_db;
  py::object width;
};

struct XpolPeak {
  py::object level_db;
  py::object theta;
};

// A sweep's solutions, in the order of its frequencies.
struct Sweep {
  std::vector<md::Solution> solutions;
};

CutsResult cuts_result(const Broadcast& b, const std::vector<md::CutPoint>& rows) {
  using C = md::CutPoint;
  return CutsResult{column(b, rows, [](const C& c) { return c.theta; }),
                    column(b, rows, [](const C& c) { return c.e_plane; }),
                    column(b, rows, [](const C& c) { return c.h_plane; }),
                    column(b, rows, [](const C& c) { return c.co45; }),
                    column(b, rows, [](const C& c) { return c.cross45; })};
}

FeedMetricsResult feed_metrics_result(const Broadcast& b, const std::vector<md::FeedMetrics>& rows) {
  using F = md::FeedMetrics;
  return FeedMetricsResult{column(b, rows, [](const F& f) { return f.edge_angle; }),
                           column(b, rows, [](const F& f) { return f.edge_taper_db; }),
                           column(b, rows, [](const F& f) { return f.spillover_efficiency; }),
                           column(b, rows, [](const F& f) { return f.taper_efficiency; }),
                           column(b, rows, [](const F& f) { return f.feed_efficiency; }),
                           column(b, rows, [](const F& f) { return f.polarisation_efficiency; })};
}

BeamwidthResult beamwidth_result(const Broadcast& b, const std::vector<md::Beamwidth>& rows) {
  return BeamwidthResult{column(b, rows, [](const md::Beamwidth& w) { return w.level_db; }),
                         column(b, rows, [](const md::Beamwidth& w) { return w.width; })};
}

// The sweep's frequencies as the first axis before the argument's own shape.
Broadcast over_sweep(const Sweep& sweep, const py::object& argument, const char* name, Quantity quantity) {
  py::array_t<double> index(static_cast<py::ssize_t>(sweep.solutions.size()));
  double* data = index.mutable_data();
  for (std::size_t i = 0; i < sweep.solutions.size(); ++i) data[i] = static_cast<double>(i);
  const py::array given = py::module_::import("numpy").attr("asarray")(argument);
  std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(sweep.solutions.size())};
  for (py::ssize_t k = 0; k < given.ndim(); ++k) shape.push_back(1);
  return Broadcast({{index.reshape(shape), "frequency index", std::nullopt}, {argument, name, quantity}});
}

template <class Field>
py::object sweep_column(const Sweep& sweep, Field field) {
  using T = std::decay_t<std::invoke_result_t<Field, const md::Solution&>>;
  py::array_t<T> out(static_cast<py::ssize_t>(sweep.solutions.size()));
  T* data = out.mutable_data();
  for (std::size_t i = 0; i < sweep.solutions.size(); ++i) data[i] = field(sweep.solutions[i]);
  return out;
}

[[noreturn]] void rethrow_for_frequency(const InvalidInput& error, std::span<const double> frequencies) {
  if (error.quantity() != Quantity::frequency) throw error;
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    const double x = frequencies[i];
    if (x == error.value() || (std::isnan(x) && std::isnan(error.value()))) {
      throw InvalidElement{error, {static_cast<py::ssize_t>(i)}};
    }
  }
  throw error;
}

std::string kind_name(md::Kind kind) { return kind == md::Kind::te ? "TE" : "TM"; }

}  // namespace

void bind_modes(py::module_& m) {
  m.doc() = R"(Mode matching of a horn as built: the return loss, mode content, cross-polar level and
far field of a zavolt.profile.Profile fed by TE11, by generalized scattering matrices of its steps
and sections (zavolt/modes.hpp states the model, its convergence and its domain). Lengths in
metres, frequencies in hertz, angles in radians, levels in dB; S-parameters power-normalised.
Solver.sweep runs its frequencies on the library's thread pool with the GIL released. Angle and
level arguments may be NumPy arrays; results are then arrays of their shape (a sweep's with the
frequency first).)";
  m.attr("SPEED_OF_LIGHT") = md::kSpeedOfLight;
  m.attr("FREE_SPACE_IMPEDANCE") = md::kFreeSpaceImpedance;
  m.attr("DEFAULT_MODES") = md::kDefaultModes;

  py::enum_<md::Kind>(m, "Kind", "TE or TM.").value("te", md::Kind::te).value("tm", md::Kind::tm);
  py::enum_<md::ModeRule>(m, "ModeRule", "How many modes each section keeps.")
      .value("radius", md::ModeRule::radius, "One cut-off limit for every section (the default).")
      .value("fixed", md::ModeRule::fixed, "The same count of each kind in every section.");
  py::enum_<md::Termination>(m, "Termination", "What the aperture section ends in.")
      .value("matched", md::Termination::matched, "A matched guide of the aperture radius (the default).")
      .value("diagonal", md::Termination::diagonal, "Each mode's own free-space reflection.");
  py::enum_<md::Cascade>(m, "Cascade", "How the sections are cascaded.")
      .value("reflection", md::Cascade::reflection, "Backward march of one reflection matrix: a tenth faster, one transfer matrix kept per junction.")
      .value("star", md::Cascade::star, "Star products of the full scattering matrices, only the running one kept (the default).");
  py::enum_<md::Plane>(m, "Plane", "A pattern cut.")
      .value("e", md::Plane::e, "The E-plane.")
      .value("h", md::Plane::h, "The H-plane.")
      .value("d45", md::Plane::d45, "The 45 degree plane.");

  py::class_<md::Mode>(m, "Mode", "One mode of a section: TE1n or TM1n.")
      .def_readonly("kind", &md::Mode::kind, "TE or TM.")
      .def_readonly("order", &md::Mode::order, "n, from 1.")
      .def_readonly("cutoff", &md::Mode::cutoff, "Cut-off wavenumber kc, 1/m.")
      .def_readonly("propagating", &md::Mode::propagating, "Above cut-off.")
      .def("__repr__", [](const md::Mode& mode) {
        return "Mode(" + kind_name(mode.kind) + "1" + std::to_string(mode.order) +
               ", cutoff=" + std::string(py::repr(py::float_(mode.cutoff))) +
               ", propagating=" + (mode.propagating ? "True" : "False") + ")";
      });
  py::class_<md::ModePower>(m, "ModePower", "What one mode carries of the unit incident TE11.")
      .def_readonly("mode", &md::ModePower::mode, "The mode.")
      .def_readonly("amplitude", &md::ModePower::amplitude, "Power-normalised amplitude, complex.")
      .def_readonly("power", &md::ModePower::power, "Power carried, a fraction of the incident power.")
      .def("__repr__", [](const md::ModePower& p) {
        return "ModePower(" + kind_name(p.mode.kind) + "1" + std::to_string(p.mode.order) +
               ", power=" + std::string(py::repr(py::float_(p.power))) + ")";
      });
  py::class_<md::Convergence>(m, "Convergence", "The change at 1.5 times the mode limit.")
      .def_readonly("modes", &md::Convergence::modes, "The higher count, of each kind in the widest section.")
      .def_readonly("delta_s11", &md::Convergence::delta_s11, "|S11(higher) - S11|.")
      .def_readonly("delta_copol_db", &md::Convergence::delta_copol_db,
                    "Largest co-polar level change down to -20 dB, dB.")
      .def_readonly("delta_xpol_db", &md::Convergence::delta_xpol_db,
                    "Change of the peak cross-polar level, dB.")
      .def_property_readonly("converged", &md::Convergence::converged,
                             "delta_s11 <= 0.005 and delta_copol_db <= 0.1.")
      .def("__repr__", [](const md::Convergence& c) {
        return "Convergence(modes=" + std::to_string(c.modes) +
               ", delta_s11=" + std::string(py::repr(py::float_(c.delta_s11))) +
               ", delta_copol_db=" + std::string(py::repr(py::float_(c.delta_copol_db))) +
               ", delta_xpol_db=" + std::string(py::repr(py::float_(c.delta_xpol_db))) + ")";
      });
  py::class_<md::Warnings>(m, "Warnings", "Conditions that make a solution doubtful.")
      .def_readonly("aperture_below_wavelength", &md::Warnings::aperture_below_wavelength,
                    "Aperture radius below one wavelength.")
      .def_readonly("input_overmoded", &md::Warnings::input_overmoded,
                    "The input guide passes more than TE11.")
      .def_readonly("not_converged", &md::Warnings::not_converged,
                    "The convergence check exceeded its limits.")
      .def("__repr__", [](const md::Warnings& w) {
        return std::string("Warnings(aperture_below_wavelength=") +
               (w.aperture_below_wavelength ? "True" : "False") +
               ", input_overmoded=" + (w.input_overmoded ? "True" : "False") +
               ", not_converged=" + (w.not_converged ? "True" : "False") + ")";
      });

  py::class_<CutsResult> cuts(m, "Cuts", "Far-field cuts relative to the co-polar field on axis.");
  add_fields(cuts, "Cuts",
             {{"theta", {&CutsResult::theta, "Angle from the axis, radians."}},
              {"e_plane", {&CutsResult::e_plane, "A, the E-plane field, complex."}},
              {"h_plane", {&CutsResult::h_plane, "B, the H-plane field, complex."}},
              {"co45", {&CutsResult::co45, "(A + B) / 2, the 45 degree co-polar field."}},
              {"cross45", {&CutsResult::cross45, "(A - B) / 2, the 45 degree cross-polar field."}}});
  py::class_<FeedMetricsResult> feed(m, "FeedMetrics", "The horn as a reflector feed, from (A + B) / 2.");
  add_fields(
      feed, "FeedMetrics",
      {{"edge_angle", {&FeedMetricsResult::edge_angle, "theta_e, radians."}},
       {"edge_taper_db", {&FeedMetricsResult::edge_taper_db, "-20 log10 |co(theta_e) / co(0)|, dB."}},
       {"spillover_efficiency", {&FeedMetricsResult::spillover_efficiency, "Co-polar power within theta_e."}},
       {"taper_efficiency", {&FeedMetricsResult::taper_efficiency, "Aperture taper efficiency."}},
       {"feed_efficiency", {&FeedMetricsResult::feed_efficiency, "Spillover times taper."}},
       {"polarisation_efficiency",
        {&FeedMetricsResult::polarisation_efficiency, "Co-polar over total power within theta_e."}}});
  py::class_<BeamwidthResult> beamwidth(m, "Beamwidth", "The full width at a level below boresight.");
  add_fields(
      beamwidth, "Beamwidth",
      {{"level_db", {&BeamwidthResult::level_db, "dB below boresight."}},
       {"width", {&BeamwidthResult::width, "Full width, radians; None (NaN in arrays) when not reached."}}});
  py::class_<XpolPeak> xpol(m, "XpolPeak", "The peak of the 45 degree cross-polar field.");
  add_fields(xpol, "XpolPeak",
             {{"level_db", {&XpolPeak::level_db, "20 log10 |cross45 / co(0)| at the peak, dB."}},
              {"theta", {&XpolPeak::theta, "The angle of the peak, radians."}}});

  py::class_<md::Solution>(m, "Solution", "The horn at one frequency (hertz).")
      .def_readonly("frequency", &md::Solution::frequency, "Hertz.")
      .def_readonly("s11", &md::Solution::s11, "TE11 to TE11 at the input port, power-normalised, complex.")
      .def_readonly("return_loss_db", &md::Solution::return_loss_db, "-20 log10 |S11|, dB.")
      .def_readonly("vswr", &md::Solution::vswr, "Voltage standing-wave ratio.")
      .def_readonly("modes", &md::Solution::modes, "Modes of each kind in the widest section.")
      .def_readonly("input_modes", &md::Solution::input_modes, "Modes kept in the input guide.")
      .def_readonly("aperture_modes", &md::Solution::aperture_modes, "Modes kept in the aperture guide.")
      .def_readonly("aperture", &md::Solution::aperture, "The aperture's termination.")
      .def_readonly("reflected", &md::Solution::reflected, "Every input mode's reflected ModePower (a list).")
      .def_readonly("transmitted", &md::Solution::transmitted, "Every aperture mode's ModePower (a list).")
      .def_readonly("power_check", &md::Solution::power_check,
                    "Reflected plus transmitted power: 1 when lossless.")
      .def_readonly("convergence", &md::Solution::convergence, "Convergence, or None when not asked for.")
      .def_readonly("warnings", &md::Solution::warnings, "Warnings.")
      .def("aperture_power", &md::Solution::aperture_power, py::arg("kind"), py::arg("order"),
           "The fraction of the transmitted power in TE1n or TM1n at the aperture.")
      .def(
          "cuts",
          [](const md::Solution& s, ArrayLike theta) {
            const Broadcast b({{theta, "theta", Quantity::theta}});
            return cuts_result(b,
                               for_each_element(b, [&](std::size_t i) { return s.cut_point(b.at(0, i)); }));
          },
          py::arg("theta"), "The far field at angles theta in [0, pi/2], radians.")
      .def("directivity_dbi", &md::Solution::directivity_dbi, py::call_guard<py::gil_scoped_release>(),
           "Directivity over the forward hemisphere, dBi.")
      .def("gain_dbi", &md::Solution::gain_dbi, py::call_guard<py::gil_scoped_release>(),
           "Directivity times (1 - |S11|^2), dBi.")
      .def(
          "beamwidth",
          [](const md::Solution& s, ArrayLike level_db, md::Plane plane) {
            const Broadcast b({{level_db, "level_db", Quantity::level}});
            return beamwidth_result(
                b, for_each_element(b, [&](std::size_t i) { return s.beamwidth(plane, b.at(0, i)); }));
          },
          py::arg("level_db"), py::arg("plane") = md::Plane::d45,
          "The full width (radians) at level_db below boresight in a plane.")
      .def(
          "xpol_peak",
          [](const md::Solution& s, std::optional<double> cone) {
            double at = 0.0;
            double level = 0.0;
            {
              py::gil_scoped_release unlocked;
              level = s.xpol_peak_db(cone, &at);
            }
            return XpolPeak{py::float_(level), py::float_(at)};
          },
          py::arg("cone") = py::none(),
          "The cross-polar peak within (0, cone] radians; None: the 45 degree cut's 10 dB half-width.")
      .def(
          "feed_metrics",
          [](const md::Solution& s, ArrayLike edge_angle) {
            const Broadcast b({{edge_angle, "edge_angle", Quantity::edge_angle}});
            return feed_metrics_result(
                b, for_each_element(b, [&](std::size_t i) { return s.feed_metrics(b.at(0, i)); }));
          },
          py::arg("edge_angle"), "Feed metrics for a reflector rim at edge_angle, radians in (0, pi/2).")
      .def(
          "phase_centre",
          [](const md::Solution& s, md::Plane plane, double fit) {
            py::gil_scoped_release unlocked;
            return s.phase_centre(plane, fit).distance;
          },
          py::arg("plane"), py::arg("fit"),
          "The phase centre of a cut fitted over [0, fit] radians: metres behind the aperture plane, or "
          "None.")
      .def("__repr__", [](const md::Solution& s) {
        return "Solution(frequency=" + std::string(py::repr(py::float_(s.frequency))) +
               ", s11=" + std::string(py::repr(py::cast(s.s11))) +
               ", return_loss_db=" + std::string(py::repr(py::float_(s.return_loss_db))) +
               ", modes=" + std::to_string(s.modes) + ")";
      });

  py::class_<Sweep>(m, "Sweep", R"(A sweep's solutions in the order of its frequencies, with arrays across
them: frequency (hertz), s11, return_loss_db, vswr, modes, power_check; cuts, beamwidth and
feed_metrics give arrays with the frequency as the first axis.)")
      .def(
          "__len__", [](const Sweep& s) { return s.solutions.size(); }, "The number of frequencies.")
      .def(
          "__getitem__",
          [](const Sweep& s, py::ssize_t i) {
            const auto n = static_cast<py::ssize_t>(s.solutions.size());
            if (i < 0) i += n;
            if (i < 0 || i >= n) throw py::index_error("sweep index out of range");
            return s.solutions[static_cast<std::size_t>(i)];
          },
          py::arg("index"), "The Solution at one frequency.")
      .def_readonly("solutions", &Sweep::solutions, "The solutions (a list).")
      .def_property_readonly(
          "frequency",
          [](const Sweep& s) { return sweep_column(s, [](const md::Solution& x) { return x.frequency; }); },
          "Hertz.")
      .def_property_readonly(
          "s11", [](const Sweep& s) { return sweep_column(s, [](const md::Solution& x) { return x.s11; }); },
          "S11, power-normalised, complex128.")
      .def_property_readonly(
          "return_loss_db",
          [](const Sweep& s) {
            return sweep_column(s, [](const md::Solution& x) { return x.return_loss_db; });
          },
          "-20 log10 |S11|, dB.")
      .def_property_readonly(
          "vswr",
          [](const Sweep& s) { return sweep_column(s, [](const md::Solution& x) { return x.vswr; }); },
          "Voltage standing-wave ratio.")
      .def_property_readonly(
          "modes",
          [](const Sweep& s) { return sweep_column(s, [](const md::Solution& x) { return x.modes; }); },
          "Modes of each kind in the widest section, per frequency.")
      .def_property_readonly(
          "power_check",
          [](const Sweep& s) { return sweep_column(s, [](const md::Solution& x) { return x.power_check; }); },
          "Reflected plus transmitted power, per frequency.")
      .def(
          "directivity_dbi",
          [](const Sweep& s) {
            std::vector<double> d(s.solutions.size());
            {
              py::gil_scoped_release unlocked;
              for (std::size_t i = 0; i < d.size(); ++i) d[i] = s.solutions[i].directivity_dbi();
            }
            return py::array_t<double>(static_cast<py::ssize_t>(d.size()), d.data());
          },
          "Directivity over the forward hemisphere per frequency, dBi.")
      .def(
          "gain_dbi",
          [](const Sweep& s) {
            std::vector<double> g(s.solutions.size());
            {
              py::gil_scoped_release unlocked;
              for (std::size_t i = 0; i < g.size(); ++i) g[i] = s.solutions[i].gain_dbi();
            }
            return py::array_t<double>(static_cast<py::ssize_t>(g.size()), g.data());
          },
          "Directivity times (1 - |S11|^2) per frequency, dBi.")
      .def(
          "cuts",
          [](const Sweep& s, ArrayLike theta) {
            const Broadcast b = over_sweep(s, theta, "theta", Quantity::theta);
            return cuts_result(
                b, for_each_element(b, [&](std::size_t i) {
                  return s.solutions[static_cast<std::size_t>(b.at(0, i))].cut_point(b.at(1, i));
                }));
          },
          py::arg("theta"),
          "The far field at angles theta (radians): arrays of shape (frequencies, *theta.shape).")
      .def(
          "beamwidth",
          [](const Sweep& s, ArrayLike level_db, md::Plane plane) {
            const Broadcast b = over_sweep(s, level_db, "level_db", Quantity::level);
            return beamwidth_result(b, for_each_element(b, [&](std::size_t i) {
                                      return s.solutions[static_cast<std::size_t>(b.at(0, i))].beamwidth(
                                          plane, b.at(1, i));
                                    }));
          },
          py::arg("level_db"), py::arg("plane") = md::Plane::d45,
          "Full widths (radians) at level_db, shape (frequencies, *level_db.shape).")
      .def(
          "feed_metrics",
          [](const Sweep& s, ArrayLike edge_angle) {
            const Broadcast b = over_sweep(s, edge_angle, "edge_angle", Quantity::edge_angle);
            return feed_metrics_result(
                b, for_each_element(b, [&](std::size_t i) {
                  return s.solutions[static_cast<std::size_t>(b.at(0, i))].feed_metrics(b.at(1, i));
                }));
          },
          py::arg("edge_angle"),
          "Feed metrics at edge_angle (radians), shape (frequencies, *edge_angle.shape).")
      .def(
          "phase_centre",
          [](const Sweep& s, md::Plane plane, ArrayLike fit) {
            const Broadcast b = over_sweep(s, fit, "fit", Quantity::theta);
            const auto rows = for_each_element(b, [&](std::size_t i) {
              return s.solutions[static_cast<std::size_t>(b.at(0, i))].phase_centre(plane, b.at(1, i)).distance;
            });
            return column(b, rows, [](const std::optional<double>& d) { return d; });
          },
          py::arg("plane"), py::arg("fit"),
          "Each frequency's phase centre of a cut fitted over [0, fit] radians: metres behind the aperture "
          "plane, NaN where the cut has a zero; shape (frequencies, *fit.shape).")
      .def(
          "network",
          [](const Sweep& s, const std::string& name) {
            // scikit-rf is optional: imported here and nowhere else.
            py::module_ skrf;
            try {
              skrf = py::module_::import("skrf");
            } catch (py::error_already_set& e) {
              if (!e.matches(PyExc_ImportError)) throw;
              throw py::import_error("Sweep.network() needs scikit-rf (Debian python3-scikit-rf): " +
                                     std::string(e.what()));
            }
            py::array_t<std::complex<double>> s11(
                {static_cast<py::ssize_t>(s.solutions.size()), py::ssize_t{1}, py::ssize_t{1}});
            auto view = s11.mutable_unchecked<3>();
            for (std::size_t i = 0; i < s.solutions.size(); ++i) {
              view(static_cast<py::ssize_t>(i), 0, 0) = s.solutions[i].s11;
            }
            const py::object frequency =
                skrf.attr("Frequency")
                    .attr("from_f")(sweep_column(s, [](const md::Solution& x) { return x.frequency; }),
                                    py::arg("unit") = "Hz");
            return skrf.attr("Network")(py::arg("frequency") = frequency, py::arg("s") = s11,
                                        py::arg("name") = name);
          },
          py::arg("name") = "horn",
          R"(The sweep's S11 as a one-port skrf.Network (frequencies in hertz), for scikit-rf's
own tools: plots, Touchstone files, time domain. S11 is power-normalised to TE11's own wave
impedance; the Network's nominal z0 is scikit-rf's default. Needs scikit-rf (Debian
python3-scikit-rf), imported only here.)")
      .def("__repr__", [](const Sweep& s) {
        std::string text = "Sweep(" + std::to_string(s.solutions.size()) + " frequencies";
        if (!s.solutions.empty()) {
          text += " from " + std::string(py::repr(py::float_(s.solutions.front().frequency))) + " to " +
                  std::string(py::repr(py::float_(s.solutions.back().frequency))) + " Hz";
        }
        return text + ")";
      });

  py::class_<md::Solver>(m, "Solver", R"(Mode matching of one profile. Immutable: solve() and sweep() may be
called from several threads at once, and release the GIL.)")
      .def(py::init([](const profile::Profile& p, md::ModeRule rule, std::optional<int> modes,
                       md::Termination aperture, md::Cascade cascade, bool convergence) {
             md::Options options;
             options.rule = rule;
             options.modes = modes;
             options.aperture = aperture;
             options.cascade = cascade;
             options.convergence = convergence;
             py::gil_scoped_release unlocked;
             return md::Solver(p, options);
           }),
           py::arg("profile"), py::kw_only(), py::arg("rule") = md::ModeRule::radius,
           py::arg("modes") = py::none(), py::arg("aperture") = md::Termination::matched,
           py::arg("cascade") = md::Cascade::star, py::arg("convergence") = false,
           R"(profile: a zavolt.profile.Profile (metres). modes: modes of each kind in the widest section
(None: the converged default); rule, aperture, cascade: see ModeRule, Termination, Cascade;
convergence: also solve at 1.5 times the mode limit and report the change.)")
      .def("__repr__",
           [](const md::Solver& solver) {
             return "Solver(modes=" + std::to_string(solver.modes()) +
                    ", junctions=" + std::to_string(solver.junctions()) +
                    ", input_radius=" + std::string(py::repr(py::float_(solver.input_radius()))) +
                    ", aperture_radius=" + std::string(py::repr(py::float_(solver.aperture_radius()))) + ")";
           })
      .def_property_readonly("modes", &md::Solver::modes, "Modes of each kind in the widest section.")
      .def_property_readonly("junctions", &md::Solver::junctions,
                             "Junctions between sections of unequal radius.")
      .def_property_readonly("input_radius", &md::Solver::input_radius, "Metres.")
      .def_property_readonly("aperture_radius", &md::Solver::aperture_radius, "Metres.")
      .def(
          "solve", &md::Solver::solve, py::arg("frequency"), py::call_guard<py::gil_scoped_release>(),
          "The horn at one frequency (hertz). Raises InvalidInput for a frequency not positive and finite or "
          "below TE11's cut-off in the input guide.")
      .def(
          "sweep",
          [](const md::Solver& solver, ArrayLike frequencies, unsigned jobs) {
            const Broadcast b({{frequencies, "frequencies", Quantity::frequency}});
            if (b.shape().size() > 1) throw py::value_error("frequencies must be one-dimensional");
            std::vector<double> f(b.size());
            for (std::size_t i = 0; i < b.size(); ++i) f[i] = b.at(0, i);
            Sweep sweep;
            {
              py::gil_scoped_release unlocked;
              try {
                sweep.solutions = solver.sweep(f, jobs);
              } catch (const InvalidInput& error) {
                rethrow_for_frequency(error, f);
              }
            }
            return sweep;
          },
          py::arg("frequencies"), py::arg("jobs") = 0u,
          R"(Every frequency (hertz, a one-dimensional array) on a pool of `jobs` threads (0: every
core), with the GIL released: other Python threads run meanwhile. An invalid frequency raises
InvalidInput with its index.)");
}

}  // namespace zavolt::python
