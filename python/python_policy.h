// Python objects as a run's policies: an object with choose_path(call, view, random) decides
// paths, one with assign(call, view, path, random) wavelengths, through the same door and
// checks as a plug-in.
//
// Callers may rely on: a PythonPolicies is made, used and destroyed with the GIL held, and
// must outlive every run it was installed in (a run's objects hold it and take the GIL for
// each call, so the run itself may go on without it). The runs must go one at a time: a
// sweep's parallel runs are not for Python objects. When a run stops with run::PolicyFailure,
// raisePending() raises what the Python side raised (the policy's own exception, a TypeError
// for an answer of the wrong type, a RuntimeError for memory the policy kept, a
// KeyboardInterrupt), so that callers see it as it was.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "lab/run_steps.h"

namespace python {

class PythonPolicies : public std::enable_shared_from_this<PythonPolicies> {
 public:
  // Either may be None (not a Python policy).
  PythonPolicies(pybind11::object path, pybind11::object wavelength);
  ~PythonPolicies();
  PythonPolicies(const PythonPolicies&) = delete;
  PythonPolicies& operator=(const PythonPolicies&) = delete;

  bool empty() const { return path_.is_none() && wavelength_.is_none(); }

  // Puts the objects into the planned run in place of its path and wavelength policies,
  // under the names "python:CLASS", the run's record and messages included. Touches no
  // Python object: may be called without the GIL.
  void install(lab::PlannedRun& run);

  // Whether the Python side raised what stopped the last run.
  bool pending() const { return pending_.ptr() != nullptr; }
  // Raises it (py::error_already_set), clearing it.
  [[noreturn]] void raisePending();

  // For the objects of a run, with the GIL held: keeps the exception set in Python as the
  // one to raise, and returns its text for the run's own message.
  std::string keepRaised();

  const pybind11::object& pathObject() const { return path_; }
  const pybind11::object& wavelengthObject() const { return wavelength_; }
  const std::string& pathName() const { return pathName_; }
  const std::string& wavelengthName() const { return wavelengthName_; }

 private:
  pybind11::object path_;
  pybind11::object wavelength_;
  std::string pathName_;
  std::string wavelengthName_;
  pybind11::object pending_;
};

}  // namespace python
