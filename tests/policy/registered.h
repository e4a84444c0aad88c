// What a plug-in registers, recorded by kind and name as the program's loader keeps it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "policy/plugin.h"

namespace policy_tests {

class Registered final : public wrnsim::PolicyRegistry {
 public:
  void addPathPolicy(std::string_view name, wrnsim::PathPolicyFactory make) override {
    add(paths, "path:", name, make);
  }
  void addWavelengthPolicy(std::string_view name, wrnsim::WavelengthPolicyFactory make) override {
    add(wavelengths, "wavelength:", name, make);
  }

  std::map<std::string, wrnsim::PathPolicyFactory> paths;
  std::map<std::string, wrnsim::WavelengthPolicyFactory> wavelengths;
  // "path:NAME" or "wavelength:NAME", in the order given; a name given twice for a kind,
  // or given no factory, is listed in `faults`.
  std::vector<std::string> names;
  std::vector<std::string> faults;

 private:
  template <typename Factory>
  void add(std::map<std::string, Factory>& kind, const char* prefix, std::string_view name,
           Factory make) {
    const std::string named = prefix + std::string(name);
    names.push_back(named);
    if (make == nullptr) faults.push_back(named + " without a factory");
    if (!kind.emplace(std::string(name), make).second) faults.push_back(named + " given twice");
  }
};

}  // namespace policy_tests
