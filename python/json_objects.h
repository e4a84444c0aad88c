// The lab's JSON documents as plain Python values, so that Python sees the same names and
// numbers the lab prints.
#pragma once

#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

namespace python {

// Objects become dicts (keys in the document's order), arrays lists, numbers int or float
// as the document holds them, null None. Needs the GIL.
pybind11::object pythonOf(const nlohmann::json& value);

}  // namespace python
