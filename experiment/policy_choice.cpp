#include "experiment/policy_choice.h"

#include <array>

namespace experiment {

namespace {

constexpr std::array<const char*, 4> kPathNames = {"random", "rotating", "least-loaded-rotating",
                                                   "least-loaded-first"};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text.empty() ? "none" : text;
}

// FILE and NAME of FILE:NAME, split at the last colon; none without a colon.
bool splitPlugin(const std::string& text, std::string& file, std::string& name) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  file = text.substr(0, colon);
  name = text.substr(colon + 1);
  if (file.empty() || name.empty()) {
    throw PolicyChoiceError("'" + text +
                            "': a plug-in policy is FILE:NAME, e.g. ./libmine.so:mine");
  }
  return true;
}

}  // namespace

std::string builtinPathPolicyName(std::int32_t number) {
  if (number < 1 || number > 4) return {};
  return kPathNames[static_cast<std::size_t>(number - 1)];
}

PolicyChoice choosePathPolicy(const std::string& text) {
  PolicyChoice choice;
  std::string file;
  if (!splitPlugin(text, file, choice.policy)) {
    for (std::int32_t number = 1; number <= 4; ++number) {
      if (text == builtinPathPolicyName(number) || text == std::to_string(number)) {
        choice.name = builtinPathPolicyName(number);
        choice.builtin = number;
        return choice;
      }
    }
    throw PolicyChoiceError("no path policy '" + text + "': the built-in ones are random (1), " +
                            "rotating (2), least-loaded-rotating (3) and least-loaded-first (4); " +
                            "a plug-in's is FILE:NAME");
  }
  choice.library = PolicyLibrary::load(file);
  if (choice.library->pathPolicy(choice.policy) == nullptr) {
    throw PolicyChoiceError("policy library " + file + " has no path policy '" + choice.policy +
                            "' (it has: " + joined(choice.library->pathPolicyNames()) + ")");
  }
  choice.name = text;
  return choice;
}

PolicyChoice chooseWavelengthPolicy(const std::string& text) {
  PolicyChoice choice;
  std::string file;
  if (!splitPlugin(text, file, choice.policy)) {
    if (text == kBuiltinWavelengthRule) {
      choice.name = text;
      return choice;
    }
    throw PolicyChoiceError("no wavelength policy '" + text + "': the built-in one is " +
                            kBuiltinWavelengthRule + "; a plug-in's is FILE:NAME");
  }
  choice.library = PolicyLibrary::load(file);
  if (choice.library->wavelengthPolicy(choice.policy) == nullptr) {
    throw PolicyChoiceError("policy library " + file + " has no wavelength policy '" +
                            choice.policy +
                            "' (it has: " + joined(choice.library->wavelengthPolicyNames()) + ")");
  }
  choice.name = text;
  return choice;
}

run::PolicyMakers policyMakers(const PolicyChoice& path, const PolicyChoice& wavelength) {
  run::PolicyMakers makers;
  makers.pathName = path.name;
  makers.wavelengthName = wavelength.name;
  // The makers hold the libraries, so that no object outlives its code.
  if (path.library) {
    makers.path = [library = path.library, make = path.library->pathPolicy(path.policy)](
                      const wrnsim::Settings& settings) { return make(settings); };
  }
  if (wavelength.library) {
    makers.wavelength = [library = wavelength.library,
                         make = wavelength.library->wavelengthPolicy(wavelength.policy)](
                            const wrnsim::Settings& settings) { return make(settings); };
  }
  return makers;
}

}  // namespace experiment
