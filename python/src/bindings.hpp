// The submodules of zavolt, each bound in its own file.
#pragma once

#include <pybind11/pybind11.h>

namespace zavolt::python {

namespace py = pybind11;

void bind_classic(py::module_& m);
void bind_aperture(py::module_& m);
void bind_profile(py::module_& m);
void bind_modes(py::module_& m);

}  // namespace zavolt::python
