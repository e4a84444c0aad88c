// The policies a run is to decide with, when they are not the built-in ones.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "policy/policy.h"

namespace run {

// Each maker gives the object of one run (a sweep calls it from several threads); an empty
// maker stands for the built-in policy: the path policy of RunSettings::pathPolicy, or
// the built-in wavelength rule. The names are what messages call the policies.
struct PolicyMakers {
  std::string pathName;
  std::function<std::unique_ptr<wrnsim::PathPolicy>(const wrnsim::Settings&)> path;
  std::string wavelengthName;
  std::function<std::unique_ptr<wrnsim::WavelengthPolicy>(const wrnsim::Settings&)> wavelength;
};

// A policy threw (or its maker refused the run's settings): the run cannot go on. The
// message names the policy and the call.
struct PolicyFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace run
