// How the module's C++ failures reach Python: every exception becomes a Python one, so that
// no input can end the interpreter.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

// A missing input file raises FileNotFoundError, any other refusal of the lab's ValueError,
// a policy that threw RuntimeError, all with the lab's message. pybind11's own translation
// takes the rest (MemoryError for allocation, RuntimeError otherwise).
void registerErrors(pybind11::module_& module);

}  // namespace python
