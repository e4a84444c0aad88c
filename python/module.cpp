// wrnsim._core: the C++ half of the Python module wrnsim; the package's __init__ is the
// public door.
#include <pybind11/pybind11.h>

#include "lab/version.h"
#include "python/env_binding.h"
#include "python/errors.h"
#include "python/network_binding.h"
#include "python/policy_view.h"
#include "python/run_binding.h"

PYBIND11_MODULE(_core, module) {
  module.doc() = "The C++ half of wrnsim; use the package wrnsim.";
  module.attr("__version__") = lab::kVersion;
  module.attr("_commit") = lab::kCommit;
  python::registerErrors(module);
  python::bindNetwork(module);
  python::bindPolicyObjects(module);
  python::bindRuns(module);
  python::bindEnv(module);
}
