// The result classes' common parts: read-only attributes and a repr that names every field.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <utility>
#include <vector>

namespace zavolt::python {

namespace py = pybind11;

template <class T>
using Fields = std::vector<std::pair<const char*, py::object T::*>>;

// Each field a read-only attribute with its docstring, and repr "Name(field=..., ...)".
template <class T>
void add_fields(py::class_<T>& cls, const char* name,
                const std::vector<std::pair<const char*, std::pair<py::object T::*, const char*>>>& fields) {
  Fields<T> members;
  for (const auto& [field, member_doc] : fields) {
    cls.def_readonly(field, member_doc.first, member_doc.second);
    members.emplace_back(field, member_doc.first);
  }
  cls.def("__repr__", [name = std::string(name), members](const T& value) {
    std::string text = name + "(";
    for (std::size_t k = 0; k < members.size(); ++k) {
      if (k > 0) text += ", ";
      text += members[k].first;
      text += '=';
      text += std::string(py::repr(value.*(members[k].second)));
    }
    return text + ")";
  });
}

}  // namespace zavolt::python
