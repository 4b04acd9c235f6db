// zavolt.profile: the horn as built, its sections as two NumPy arrays, the generator and the CSV
// forms.
#include "zavolt/profile.hpp"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "arrays.hpp"
#include "bindings.hpp"
#include "errors.hpp"

namespace zavolt::python {

namespace {

namespace pr = zavolt::profile;

PyObject* csv_error_type = nullptr;

py::array_t<double> section_column(const pr::Profile& p, double pr::Section::*field) {
  py::array_t<double> out(static_cast<py::ssize_t>(p.sections.size()));
  double* data = out.mutable_data();
  for (std::size_t i = 0; i < p.sections.size(); ++i) data[i] = p.sections[i].*field;
  out.attr("flags").attr("writeable") = false;
  return out;
}

// A profile of the given sections; an invalid section raises InvalidInput with its index.
pr::Profile profile_of(const py::object& lengths, const py::object& radii) {
  const Broadcast b(
      {{lengths, "lengths", Quantity::section_length}, {radii, "radii", Quantity::section_radius}});
  if (b.shape().size() != 1) throw py::value_error("lengths and radii must be one-dimensional");
  pr::Profile p;
  p.sections.resize(b.size());
  for (std::size_t i = 0; i < b.size(); ++i) p.sections[i] = {b.at(0, i), b.at(1, i)};
  try {
    pr::validate(p.sections);
  } catch (const InvalidInput& error) {
    if (!b.names_an_element(error.quantity())) throw;
    const std::size_t argument = error.quantity() == Quantity::section_length ? 0 : 1;
    for (std::size_t i = 0; i < b.size(); ++i) {
      const double x = b.at(argument, i);
      if (x == error.value() || (std::isnan(x) && std::isnan(error.value()))) {
        throw InvalidElement{error, {static_cast<py::ssize_t>(i)}};
      }
    }
    throw;
  }
  return p;
}

pr::Profile read_text(const std::string& text, double step_length) {
  std::istringstream in(text);
  return pr::read_csv(in, step_length);
}

pr::Unit unit_of(const std::string& suffix) {
  const std::optional<pr::Unit> unit = pr::parse_unit(suffix);
  if (!unit) throw py::value_error("unit must be m, mm, cm or in, got " + suffix);
  return *unit;
}

}  // namespace

void bind_profile(py::module_& m) {
  m.doc() = R"(The horn as built: an axisymmetric profile, a staircase of uniform circular guides along
the axis from the input port (z = 0) to the aperture plane, with the corrugated profile's generator
and the CSV forms. Lengths in metres, frequencies in hertz (the CSV forms carry their own unit).
Invalid input raises zavolt.InvalidInput; an unreadable CSV file raises zavolt.profile.CsvError.)";
  m.attr("SPEED_OF_LIGHT") = pr::kSpeedOfLight;

  csv_error_type = PyErr_NewExceptionWithDoc("zavolt.profile.CsvError",
                                             "A CSV profile that cannot be read: a ValueError \"line N: "
                                             "reason\" with attributes line (int) and reason "
                                             "(str).",
                                             PyExc_ValueError, nullptr);
  if (csv_error_type == nullptr) throw py::error_already_set();
  m.attr("CsvError") = py::reinterpret_borrow<py::object>(csv_error_type);
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const pr::CsvError& e) {
      py::object exception = py::reinterpret_borrow<py::object>(csv_error_type)(e.what());
      exception.attr("line") = py::int_(e.line());
      exception.attr("reason") = py::str(e.reason());
      PyErr_SetObject(csv_error_type, exception.ptr());
    }
  });

  py::enum_<pr::Law> law_type(m, "Law", "A flare law a(z) from the input radius to the aperture radius.");
  for (pr::Law l : {pr::Law::linear, pr::Law::sine, pr::Law::tangential, pr::Law::power, pr::Law::exponential,
                    pr::Law::hyperbolic, pr::Law::polynomial}) {
    law_type.value(std::string(pr::law_name(l)).c_str(), l);
  }
  py::enum_<pr::WarningKind>(m, "WarningKind", "What a warning of a generated profile is about.")
      .value("slot_too_narrow", pr::WarningKind::slot_too_narrow)
      .value("ridge_too_thin", pr::WarningKind::ridge_too_thin)
      .value("pitch_too_coarse", pr::WarningKind::pitch_too_coarse)
      .value("te11_cut_off", pr::WarningKind::te11_cut_off)
      .value("tm11_propagates", pr::WarningKind::tm11_propagates)
      .value("not_the_design_cone", pr::WarningKind::not_the_design_cone);

  py::class_<pr::Slot>(m, "Slot", "One corrugation: a slot cut into the wall, then its ridge. Metres.")
      .def_readonly("z", &pr::Slot::z, "The slot's start (throat side), metres.")
      .def_readonly("ridge_radius", &pr::Slot::ridge_radius, "The ridge's inner radius, metres.")
      .def_readonly("slot_radius", &pr::Slot::slot_radius, "The slot's bottom (outer) radius, metres.")
      .def_readonly("slot_width", &pr::Slot::slot_width, "Metres.")
      .def_readonly("ridge_width", &pr::Slot::ridge_width, "Metres.")
      .def_readonly("converter", &pr::Slot::converter, "One of the mode converter's slots.")
      .def_readonly("section", &pr::Slot::section, "The slot's index in the sections; its ridge is the next.")
      .def_property_readonly("depth", &pr::Slot::depth, "slot_radius - ridge_radius, metres.")
      .def("__repr__", [](const pr::Slot& s) {
        return "Slot(z=" + std::string(py::repr(py::float_(s.z))) +
               ", depth=" + std::string(py::repr(py::float_(s.depth()))) +
               ", converter=" + (s.converter ? "True" : "False") + ")";
      });

  py::class_<pr::Warning>(
      m, "ProfileWarning",
      "A condition that leaves a generated profile doubtful (C++ profile::Warning; named so as not "
      "to hide Python's Warning).")
      .def_readonly("kind", &pr::Warning::kind, "What it is about.")
      .def_readonly("slot", &pr::Warning::slot, "The slot meant, one-based from the throat, or None.")
      .def_readonly("value", &pr::Warning::value, "The value found (metres, or k a for the cut-offs).")
      .def_readonly("limit", &pr::Warning::limit, "The limit it breaks.")
      .def("__repr__", [](const pr::Warning& w) {
        return "ProfileWarning(kind=" + std::string(py::str(py::cast(w.kind))) +
               ", slot=" + std::string(py::repr(py::cast(w.slot))) +
               ", value=" + std::string(py::repr(py::float_(w.value))) +
               ", limit=" + std::string(py::repr(py::float_(w.limit))) + ")";
      });

  py::class_<pr::Parameters> parameters(m, "Parameters",
                                        "What a generated profile was built from, every default resolved. "
                                        "Metres and hertz.");
  parameters.def_readonly("wide_band", &pr::Parameters::wide_band, "f_max / f_min above 1.4.");
  parameters.def_readonly("f_c", &pr::Parameters::f_c, "Hertz: sets the throat and the converter.");
  parameters.def_readonly("f_o", &pr::Parameters::f_o, "Hertz: sets the slot depth at the aperture.");
  parameters.def_readonly("lambda_c", &pr::Parameters::lambda_c, "Metres.");
  parameters.def_readonly("lambda_o", &pr::Parameters::lambda_o, "Metres.");
  parameters.def_readonly("aperture_radius", &pr::Parameters::aperture_radius, "Metres.");
  parameters.def_readonly("slant", &pr::Parameters::slant, "Metres.");
  parameters.def_readonly("input_radius", &pr::Parameters::input_radius, "Metres.");
  parameters.def_readonly("input_length", &pr::Parameters::input_length, "Metres.");
  parameters.def_readonly("law", &pr::Parameters::law, "The flare law.");
  parameters.def_readonly("law_a", &pr::Parameters::law_a, "A as used; 0 for a law without it.");
  parameters.def_readonly("law_rho", &pr::Parameters::law_rho, "rho as used; 0 for a law without it.");
  parameters.def_readonly("flare_start", &pr::Parameters::flare_start,
                          "z where the flare leaves the input radius, metres.");
  parameters.def_readonly("flare_length", &pr::Parameters::flare_length, "Axial, metres.");
  parameters.def_readonly("smooth_length", &pr::Parameters::smooth_length,
                          "The flare's stretch before its first slot, metres.");
  parameters.def_readonly("pitch", &pr::Parameters::pitch, "Metres.");
  parameters.def_readonly("slot_ratio", &pr::Parameters::slot_ratio, "Slot width over pitch.");
  parameters.def_readonly("slot_width", &pr::Parameters::slot_width, "Metres.");
  parameters.def_readonly("ridge_width", &pr::Parameters::ridge_width, "Metres.");
  parameters.def_readonly("converter_slots", &pr::Parameters::converter_slots,
                          "Slots of the mode converter.");
  parameters.def_readonly("converter_depth", &pr::Parameters::converter_depth,
                          "sigma, the first converter slot's depth in lambda_c.");
  parameters.def_readonly("converter_in_cylinder", &pr::Parameters::converter_in_cylinder,
                          "The converter runs in a cylinder at the input radius.");
  parameters.def_readonly("converter_cylinder_length", &pr::Parameters::converter_cylinder_length,
                          "Metres; 0 unless converter_in_cylinder.");
  parameters.def_readonly("aperture_depth", &pr::Parameters::aperture_depth, "D_o, metres.");
  parameters.def_readonly("slot_count", &pr::Parameters::slot_count, "Slots in all.");
  parameters.def_readonly("minimum_ridge", &pr::Parameters::minimum_ridge, "Metres.");
  parameters.def_readonly("minimum_slot", &pr::Parameters::minimum_slot, "Metres.");
  parameters.def_readonly("step_length", &pr::Parameters::step_length, "Metres.");
  parameters.def_readonly("total_length", &pr::Parameters::total_length, "Metres.");
  parameters.def_property_readonly(
      "band", [](const pr::Parameters& p) { return py::make_tuple(p.band.f_min, p.band.f_max); },
      "(f_min, f_max), hertz.");
  parameters.def("__repr__", [](const pr::Parameters& p) {
    return "Parameters(band=(" + std::string(py::repr(py::float_(p.band.f_min))) + ", " +
           std::string(py::repr(py::float_(p.band.f_max))) +
           "), law=" + std::string(py::str(py::cast(p.law))) +
           ", pitch=" + std::string(py::repr(py::float_(p.pitch))) +
           ", slot_count=" + std::to_string(p.slot_count) +
           ", total_length=" + std::string(py::repr(py::float_(p.total_length))) + ")";
  });

  py::class_<pr::Profile>(m, "Profile", R"(A staircase of uniform circular guides: the input guide first, the
last section ending in the aperture plane. Immutable. Profile(lengths, radii) makes one from two
one-dimensional arrays in metres; sections gives them back.)")
      .def(py::init(&profile_of), py::arg("lengths"), py::arg("radii"),
           "lengths, radii: one-dimensional arrays of the sections' lengths and radii, metres, positive and "
           "finite. An invalid section raises InvalidInput with its index.")
      .def_property_readonly(
          "sections",
          [](const pr::Profile& p) {
            return py::make_tuple(section_column(p, &pr::Section::length),
                                  section_column(p, &pr::Section::radius));
          },
          "(lengths, radii): two read-only float64 arrays, metres.")
      .def_property_readonly(
          "lengths", [](const pr::Profile& p) { return section_column(p, &pr::Section::length); },
          "The sections' lengths along the axis, metres.")
      .def_property_readonly(
          "radii", [](const pr::Profile& p) { return section_column(p, &pr::Section::radius); },
          "The sections' radii, metres.")
      .def_property_readonly("length", &pr::Profile::length, "The sum of the section lengths, metres.")
      .def_readonly("slots", &pr::Profile::slots,
                    "A generated profile's corrugations from the throat (a list).")
      .def_readonly("parameters", &pr::Profile::parameters,
                    "What a generated profile was built from; None for one read or made from arrays.")
      .def_readonly("warnings", &pr::Profile::warnings, "A generated profile's warnings (a list).")
      .def(
          "__len__", [](const pr::Profile& p) { return p.sections.size(); }, "The number of sections.")
      .def(
          "write_csv",
          [](const pr::Profile& p, const std::string& unit) {
            std::ostringstream out;
            pr::write_csv(out, p, unit_of(unit));
            return out.str();
          },
          py::arg("unit") = "mm",
          "The sections as CSV text, length_<unit>,radius_<unit>; unit m, mm, cm or in. read_csv reads it "
          "back.")
      .def("__repr__", [](const pr::Profile& p) {
        return "Profile(sections=" + std::to_string(p.sections.size()) +
               ", length=" + std::string(py::repr(py::float_(p.length()))) +
               ", slots=" + std::to_string(p.slots.size()) + ")";
      });

  m.def(
      "generate",
      [](double radius, double slant, double f_min, std::optional<double> f_max, pr::Law law,
         std::optional<double> input_radius, std::optional<double> input_length,
         std::optional<double> flare_length, std::optional<double> law_a, std::optional<double> law_rho,
         std::optional<double> pitch, std::optional<double> slot_ratio, std::optional<int> converter_slots,
         std::optional<double> converter_depth, std::optional<double> minimum_ridge,
         std::optional<double> minimum_slot, std::optional<double> step_length) {
        pr::Rules rules;
        rules.input_radius = input_radius;
        rules.input_length = input_length;
        rules.law = law;
        rules.flare_length = flare_length;
        rules.law_a = law_a;
        rules.law_rho = law_rho;
        rules.pitch = pitch;
        rules.slot_ratio = slot_ratio;
        rules.converter_slots = converter_slots;
        rules.converter_depth = converter_depth;
        rules.minimum_ridge = minimum_ridge;
        rules.minimum_slot = minimum_slot;
        rules.step_length = step_length;
        py::gil_scoped_release unlocked;
        return pr::generate(pr::Aperture{radius, slant}, pr::Band{f_min, f_max.value_or(f_min)}, rules);
      },
      py::arg("radius"), py::arg("slant"), py::arg("f_min"), py::arg("f_max") = py::none(), py::kw_only(),
      py::arg("law") = pr::Law::linear, py::arg("input_radius") = py::none(),
      py::arg("input_length") = py::none(), py::arg("flare_length") = py::none(),
      py::arg("law_a") = py::none(), py::arg("law_rho") = py::none(), py::arg("pitch") = py::none(),
      py::arg("slot_ratio") = py::none(), py::arg("converter_slots") = py::none(),
      py::arg("converter_depth") = py::none(), py::arg("minimum_ridge") = py::none(),
      py::arg("minimum_slot") = py::none(), py::arg("step_length") = py::none(),
      R"(The corrugated profile of a horn of aperture radius and slant length (metres) for the band
f_min to f_max (hertz; f_max None: one frequency), by the design rules of zavolt/profile.hpp.
Keyword overrides (metres unless said; None takes the rule's default): law (a Law), input_radius,
input_length, flare_length (axial), law_a, law_rho, pitch, slot_ratio (slot width over pitch),
converter_slots (int), converter_depth (in lambda_c), minimum_ridge, minimum_slot, step_length.
Raises InvalidInput for a value outside its domain.)");

  m.def(
      "read_csv",
      [](py::object source, double step_length) {
        std::string text;
        if (py::hasattr(source, "read")) {
          text = py::str(source.attr("read")());
        } else {
          const py::object open = py::module_::import("io").attr("open");
          py::object file = open(source, "r", py::arg("encoding") = "utf-8", py::arg("newline") = "");
          text = py::str(file.attr("read")());
          file.attr("close")();
        }
        py::gil_scoped_release unlocked;
        return read_text(text, step_length);
      },
      py::arg("source"), py::arg("step_length") = pr::kDefaultReadStep,
      R"(A profile read from a CSV file: source is a path or a text file object. Either form,
z_<unit>,radius_<unit> (wall points) or length_<unit>,radius_<unit> (sections), each column in m,
mm, cm or in; a sloping wall is cut into steps no longer than step_length (metres). Raises
zavolt.profile.CsvError naming the line.)");
  m.def(
      "read_csv_text",
      [](const std::string& text, double step_length) {
        py::gil_scoped_release unlocked;
        return read_text(text, step_length);
      },
      py::arg("text"), py::arg("step_length") = pr::kDefaultReadStep,
      "As read_csv, from the CSV text itself (step_length in metres).");
}

}  // namespace zavolt::python
