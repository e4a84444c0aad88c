// wrnsim.run and wrnsim.sweep on the C++ side: the lab's run and sweep commands on a network
// already loaded, with their options given as the lab's words.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

// Adds _run(network, words) -> (record, notes) and _sweep(network, words) -> (points, runs,
// settings, notes), and the defaults of both as _run_defaults() and _sweep_defaults().
void bindRuns(pybind11::module_& module);

}  // namespace python
