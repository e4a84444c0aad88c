#include "python/answer_values.h"

#include <limits>
#include <string_view>

namespace python {

namespace py = pybind11;

bool isBoolean(py::handle value) {
  if (PyBool_Check(value.ptr())) return true;
  const std::string_view type = Py_TYPE(value.ptr())->tp_name;
  return type == "numpy.bool_" || type == "numpy.bool";
}

std::optional<std::int32_t> clampedIndex(py::handle value) {
  if (isBoolean(value) || !PyIndex_Check(value.ptr())) return std::nullopt;
  const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!index) throw py::error_already_set();
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (number == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow > 0 || number > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (overflow < 0 || number < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(number);
}

}  // namespace python
