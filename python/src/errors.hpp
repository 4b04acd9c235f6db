// zavolt.InvalidInput, the Python form of zavolt::InvalidInput: a ValueError with the C++ message
// and the quantity, the value and, for an element of an array, its index.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <vector>

#include "zavolt/invalid_input.hpp"

namespace zavolt::python {

namespace py = pybind11;

// An InvalidInput thrown for one element of an array argument.
struct InvalidElement {
  InvalidInput error;
  std::vector<py::ssize_t> index;
};

// The multi-index of flat element i (C order) of an array of this shape.
[[nodiscard]] std::vector<py::ssize_t> unravel(std::size_t i, const std::vector<py::ssize_t>& shape);

// Defines zavolt.Quantity and zavolt.InvalidInput in the module and translates both exceptions.
void bind_errors(py::module_& m);

}  // namespace zavolt::python
