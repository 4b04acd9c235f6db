#include "errors.hpp"

#include <exception>
#include <string>
#include <utility>

namespace zavolt::python {

namespace {

// Every quantity of the public interface, under its C++ name.
constexpr std::pair<const char*, Quantity> kQuantities[] = {
    {"radius", Quantity::radius},
    {"slant", Quantity::slant},
    {"frequency", Quantity::frequency},
    {"level", Quantity::level},
    {"edge_angle", Quantity::edge_angle},
    {"f_over_d", Quantity::f_over_d},
    {"phase_deviation", Quantity::phase_deviation},
    {"directivity", Quantity::directivity},
    {"edge_taper", Quantity::edge_taper},
    {"theta", Quantity::theta},
    {"band", Quantity::band},
    {"section_length", Quantity::section_length},
    {"section_radius", Quantity::section_radius},
    {"input_radius", Quantity::input_radius},
    {"input_length", Quantity::input_length},
    {"flare_length", Quantity::flare_length},
    {"law_a", Quantity::law_a},
    {"law_rho", Quantity::law_rho},
    {"pitch", Quantity::pitch},
    {"slot_ratio", Quantity::slot_ratio},
    {"converter_slots", Quantity::converter_slots},
    {"converter_depth", Quantity::converter_depth},
    {"minimum_ridge", Quantity::minimum_ridge},
    {"minimum_slot", Quantity::minimum_slot},
    {"step_length", Quantity::step_length},
    {"wall", Quantity::wall},
    {"mesh_tolerance", Quantity::mesh_tolerance},
    {"mode_count", Quantity::mode_count},
};

// The exception type, created once at import and kept for the life of the process.
PyObject* invalid_input_type = nullptr;

std::string index_text(const std::vector<py::ssize_t>& index) {
  if (index.size() == 1) return std::to_string(index.front());
  std::string text = "(";
  for (std::size_t k = 0; k < index.size(); ++k) {
    if (k > 0) text += ", ";
    text += std::to_string(index[k]);
  }
  return text + ")";
}

void raise_invalid_input(const InvalidInput& error, const std::vector<py::ssize_t>* index) {
  std::string message = error.what();
  py::object index_value = py::none();
  if (index != nullptr) {
    message += " (at index " + index_text(*index) + ")";
    py::tuple t(index->size());
    for (std::size_t k = 0; k < index->size(); ++k) t[k] = py::int_((*index)[k]);
    index_value = std::move(t);
  }
  py::object exception = py::reinterpret_borrow<py::object>(invalid_input_type)(message);
  exception.attr("quantity") = py::cast(error.quantity());
  exception.attr("value") = py::float_(error.value());
  exception.attr("index") = index_value;
  PyErr_SetObject(invalid_input_type, exception.ptr());
}

}  // namespace

std::vector<py::ssize_t> unravel(std::size_t i, const std::vector<py::ssize_t>& shape) {
  std::vector<py::ssize_t> index(shape.size());
  auto rest = static_cast<py::ssize_t>(i);
  for (std::size_t k = shape.size(); k-- > 0;) {
    index[k] = shape[k] == 0 ? 0 : rest % shape[k];
    rest = shape[k] == 0 ? 0 : rest / shape[k];
  }
  return index;
}

void bind_errors(py::module_& m) {
  py::enum_<Quantity> quantity(m, "Quantity", R"(The quantity that an invalid input gave.

Members carry the C++ names (radius, slant, frequency, level, edge_angle, ...);
``description`` is the name used in messages, such as "aperture radius".)");
  for (const auto& [name, value] : kQuantities) quantity.value(name, value);
  quantity.def_property_readonly(
      "description", [](Quantity q) { return std::string(quantity_name(q)); },
      "The quantity as messages name it: \"aperture radius\", \"edge angle\", ...");
  quantity.attr("__module__") = "zavolt";

  invalid_input_type = PyErr_NewExceptionWithDoc(
      "zavolt.InvalidInput",
      "An input outside its domain: a ValueError whose message is the C++ library's\n"
      "(\"aperture radius must be positive and finite, got -0.003\"), with attributes\n"
      "quantity (a zavolt.Quantity), value (the value rejected, in the units of the call:\n"
      "metres, hertz, radians, dB; inches and GHz for zavolt.classic) and index (the index\n"
      "of the rejected element in the broadcast array, None for a scalar argument;\n"
      "the message then ends in \"(at index ...)\").",
      PyExc_ValueError, nullptr);
  if (invalid_input_type == nullptr) throw py::error_already_set();
  m.attr("InvalidInput") = py::reinterpret_borrow<py::object>(invalid_input_type);

  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const InvalidElement& e) {
      raise_invalid_input(e.error, &e.index);
    } catch (const InvalidInput& e) {
      raise_invalid_input(e, nullptr);
    }
  });
}

}  // namespace zavolt::python
