// The entry point of the example plug-in compiled into a test, and the policies it makes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "policy/plugin.h"
#include "registered.h"

extern "C" const wrnsim::PluginInfo* WRNSIM_PLUGIN_ENTRY();

namespace policy_tests {

inline Registered registeredByExample() {
  Registered registered;
  const wrnsim::PluginInfo* info = WRNSIM_PLUGIN_ENTRY();
  EXPECT_EQ(info->interfaceVersion, wrnsim::kPolicyInterfaceVersion);
  info->registerPolicies(registered);
  EXPECT_TRUE(registered.faults.empty());
  return registered;
}

inline std::unique_ptr<wrnsim::PathPolicy> examplePathPolicy(const std::string& name,
                                                             const wrnsim::Settings& settings) {
  const Registered registered = registeredByExample();
  const auto found = registered.paths.find(name);
  if (found == registered.paths.end()) {
    ADD_FAILURE() << "no path policy " << name;
    return nullptr;
  }
  return found->second(settings);
}

inline std::unique_ptr<wrnsim::WavelengthPolicy> exampleWavelengthPolicy(
    const std::string& name, const wrnsim::Settings& settings) {
  const Registered registered = registeredByExample();
  const auto found = registered.wavelengths.find(name);
  if (found == registered.wavelengths.end()) {
    ADD_FAILURE() << "no wavelength policy " << name;
    return nullptr;
  }
  return found->second(settings);
}

}  // namespace policy_tests
