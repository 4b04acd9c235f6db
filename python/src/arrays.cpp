#include "arrays.hpp"

#include <string>

namespace zavolt::python {

Broadcast::Broadcast(std::initializer_list<Argument> arguments) {
  const py::module_ numpy = py::module_::import("numpy");
  py::list given;
  for (const auto& [value, name, quantity] : arguments) {
    quantities_.push_back(quantity);
    py::array array = numpy.attr("asarray")(value);
    const char kind = array.dtype().kind();
    if (kind != 'b' && kind != 'i' && kind != 'u' && kind != 'f') {
      throw py::type_error(std::string(name) + " must be a real number or an array of real numbers, got " +
                           std::string(py::str(array.dtype())) + " values");
    }
    scalar_ = scalar_ && array.ndim() == 0;
    given.append(std::move(array));
  }
  const py::list broadcast = numpy.attr("broadcast_arrays")(*given);
  for (const py::handle array : broadcast) {
    auto contiguous = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
    if (!contiguous) throw py::error_already_set();
    data_.push_back(contiguous.data());
    arrays_.push_back(std::move(contiguous));
  }
  const py::array& first = arrays_.front();
  shape_.assign(first.shape(), first.shape() + first.ndim());
  size_ = static_cast<std::size_t>(first.size());
}

bool Broadcast::names_an_element(Quantity quantity) const noexcept {
  for (const std::optional<Quantity>& q : quantities_) {
    if (q == quantity) return true;
  }
  return false;
}

}  // namespace zavolt::python
