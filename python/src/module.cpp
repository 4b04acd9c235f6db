// The compiled part of the Python package zavolt: zavolt._zavolt, whose submodules the package
// presents as zavolt.classic, zavolt.aperture, zavolt.profile
// and zavolt.modes.
#include <pybind11/pybind11.h>

#include "bindings.hpp"
#include "errors.hpp"

namespace py = pybind11;

namespace {

// A submodule whose classes and functions name it as zavolt.<name> in help() and repr().
py::module_ submodule(py::module_& parent, const char* name) {
  py::module_ sub = parent.def_submodule(name);
  sub.attr("__name__") = std::string("zavolt.") + name;
  return sub;
}

}  // namespace

PYBIND11_MODULE(_zavolt, m) {
  m.doc() = "The compiled part of zavolt: import zavolt instead.";
  m.attr("__version__") = ZAVOLT_VERSION;
  zavolt::python::bind_errors(m);
  py::module_ classic = submodule(m, "classic");
  zavolt::python::bind_classic(classic);
  py::module_ aperture = submodule(m, "aperture");
  zavolt::python::bind_aperture(aperture);
  py::module_ profile = submodule(m, "profile");
  zavolt::python::bind_profile(profile);
  py::module_ modes = submodule(m, "modes");
  zavolt::python::bind_modes(modes);
}
