#include "python/json_objects.h"

namespace python {

namespace py = pybind11;

py::object pythonOf(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::object: {
      py::dict dict;
      for (const auto& [key, item] : value.items()) dict[py::str(key)] = pythonOf(item);
      return dict;
    }
    case nlohmann::json::value_t::array: {
      py::list list;
      for (const nlohmann::json& item : value) list.append(pythonOf(item));
      return list;
    }
    case nlohmann::json::value_t::string:
      return py::str(value.get_ref<const std::string&>());
    case nlohmann::json::value_t::boolean:
      return py::bool_(value.get<bool>());
    case nlohmann::json::value_t::number_integer:
      return py::int_(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
      return py::int_(value.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float:
      return py::float_(value.get<double>());
    default:
      return py::none();
  }
}

}  // namespace python
