// wrnsim.Env on the C++ side: a stepped run of the lab's run settings, each path decision
// handed to Python as an observation and answered by an action.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

// Adds the class _Env, whose Python subclass wrnsim.Env is the public door.
void bindEnv(pybind11::module_& module);

}  // namespace python
