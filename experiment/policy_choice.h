// The policies a run decides with, by the names users give them: the built-in ones, or
// FILE:NAME for a policy of a shared library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "experiment/policy_library.h"
#include "run/policy_makers.h"

namespace experiment {

struct PolicyChoice {
  // As records and messages name it: a built-in name, or FILE:NAME as given.
  std::string name;
  // A built-in path policy's number (1 to 4); 0 for the built-in wavelength rule and for
  // plug-ins.
  std::int32_t builtin = 0;
  // A plug-in's library and its name there; none for a built-in.
  std::shared_ptr<const PolicyLibrary> library;
  std::string policy;
};

// The built-in path policies, 1 to 4 (the console's numbers): random, rotating,
// least-loaded-rotating, least-loaded-first. Empty for another number.
std::string builtinPathPolicyName(std::int32_t number);
// The built-in wavelength rule.
inline constexpr const char* kBuiltinWavelengthRule = "most-free";

// A built-in name (or number, for path policies) or FILE:NAME. Throws PolicyChoiceError
// naming what is known for an unknown name, and as PolicyLibrary::load does.
PolicyChoice choosePathPolicy(const std::string& text);
PolicyChoice chooseWavelengthPolicy(const std::string& text);

// What a run is given to decide with: an empty maker for each built-in.
run::PolicyMakers policyMakers(const PolicyChoice& path, const PolicyChoice& wavelength);

}  // namespace experiment
