// wrnsim.Network, wrnsim.Node and wrnsim.Link: a loaded network and what it holds.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

void bindNetwork(pybind11::module_& module);

}  // namespace python
