// Reading the numbers Python code answers with: ints and numpy integers, never bools.
//
// Callers may rely on: both need the GIL; clampedIndex throws pybind11::error_already_set
// only when the value's own __index__ raises.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

namespace python {

// True for Python's and numpy's bools (numpy's still take __index__, with a warning).
bool isBoolean(pybind11::handle value);

// An int, or anything with __index__ but a bool; none for any other type. A value no int32
// holds is clamped to the nearest one, so that a wrong answer stays a wrong answer.
std::optional<std::int32_t> clampedIndex(pybind11::handle value);

}  // namespace python
