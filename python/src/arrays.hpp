// Array arguments and results of the bindings: real arguments broadcast together as NumPy does,
// one C++ call per element, results of the broadcast shape (Python scalars for scalar arguments).
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <complex>
#include <cstddef>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "errors.hpp"

namespace zavolt::python {

namespace py = pybind11;

// An argument that takes a number or an array: any object, named for help() as NumPy names it.
class ArrayLike : public py::object {
public:
  PYBIND11_OBJECT_DEFAULT(ArrayLike, object, accepts_anything)

private:
  static bool accepts_anything(PyObject*) noexcept { return true; }
};

// An array argument: its value, its name for a TypeError, and the quantity the library names when
// it rejects one of its elements (none for an argument the library never sees).
struct Argument {
  py::handle value;
  const char* name;
  std::optional<Quantity> quantity;
};

// Real arguments (Python numbers, sequences, NumPy arrays of booleans, integers or floats) broadcast
// to one shape and held as C-contiguous float64. A complex, string or object argument is a
// TypeError naming the argument.
class Broadcast {
public:
  Broadcast(std::initializer_list<Argument> arguments);

  [[nodiscard]] bool scalar() const noexcept { return scalar_; }
  [[nodiscard]] std::size_t size() const noexcept { return size_; }
  [[nodiscard]] const std::vector<py::ssize_t>& shape() const noexcept { return shape_; }
  // Element i (in C order) of argument k.
  [[nodiscard]] double at(std::size_t k, std::size_t i) const noexcept { return data_[k][i]; }
  // Whether an error naming this quantity is about an element of an array argument (and not, say,
  // about the horn that every element shares).
  [[nodiscard]] bool names_an_element(Quantity quantity) const noexcept;

private:
  std::vector<py::array_t<double>> arrays_;
  std::vector<const double*> data_;
  std::vector<std::optional<Quantity>> quantities_;
  std::vector<py::ssize_t> shape_;
  std::size_t size_ = 0;
  bool scalar_ = true;
};

// Calls compute(i) for every element with the GIL released; an InvalidInput from element i about
// an array argument is raised again with its index in the broadcast shape.
template <class Compute>
auto for_each_element(const Broadcast& b, Compute compute) {
  using Row = std::invoke_result_t<Compute, std::size_t>;
  std::vector<Row> rows;
  rows.reserve(b.size());
  {
    py::gil_scoped_release unlocked;
    std::size_t i = 0;
    try {
      for (; i < b.size(); ++i) rows.push_back(compute(i));
    } catch (const InvalidInput& error) {
      if (b.scalar() || !b.names_an_element(error.quantity())) throw;
      throw InvalidElement{error, unravel(i, b.shape())};
    }
  }
  return rows;
}

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

// A scalar result as a Python object: None for an empty optional.
template <class T>
py::object scalar_object(const T& value) {
  if constexpr (IsOptional<T>::value) {
    return value ? py::cast(*value) : py::none();
  } else {
    return py::cast(value);
  }
}

// One field of the rows as a Python scalar or as an array of the broadcast shape: float64, bool or
// complex128; an empty optional is NaN in an array.
template <class Row, class Field>
py::object column(const Broadcast& b, const std::vector<Row>& rows, Field field) {
  using T = std::decay_t<std::invoke_result_t<Field, const Row&>>;
  if (b.scalar()) return scalar_object(field(rows.front()));
  using Element = std::conditional_t<IsOptional<T>::value, double, T>;
  py::array_t<Element> out(b.shape());
  Element* data = out.mutable_data();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if constexpr (IsOptional<T>::value) {
      data[i] = field(rows[i]).value_or(std::numeric_limits<double>::quiet_NaN());
    } else {
      data[i] = field(rows[i]);
    }
  }
  return out;
}

}  // namespace zavolt::python

template <>
struct pybind11::detail::handle_type_name<zavolt::python::ArrayLike> {
  static constexpr auto name = const_name("numpy.typing.ArrayLike");
};
