// Loads a built plug-in as the program would, and checks that its entry point answers with
// this interface version, registers exactly the policies named, and that each of them makes
// an object that answers soundly on a small view.
//   policy_plugin_check FILE.so KIND:NAME...   (KIND is path or wavelength)
#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "hand_built_view.h"
#include "policy/plugin.h"
#include "registered.h"

#define ENTRY_TEXT(x) #x
#define ENTRY_NAME(x) ENTRY_TEXT(x)

namespace {

int fail(const std::string& file, const std::string& what) {
  std::cerr << file << ": " << what << "\n";
  return 1;
}

// Two candidates, 0-1-2 and 0-2, everything free.
struct SmallView {
  SmallView() {
    builder.link(0, 1, {1, 1, 1, 1}, 1);
    builder.link(1, 2, {1, 1, 1, 1}, 1);
    builder.link(0, 2, {1, 1, 1, 1}, 1);
    builder.path({0, 1, 2});
    builder.path({0, 2});
    view = std::make_unique<wrnsim::PairView>(builder.view());
  }
  policy_tests::ViewBuilder builder;
  std::unique_ptr<wrnsim::PairView> view;
};

std::string askEach(const policy_tests::Registered& registered) {
  wrnsim::Settings settings;
  settings.wavelengths = 4;
  settings.fibres = 1;
  settings.paths = 2;
  settings.maxSharedLinks = 2;
  SmallView small;
  const wrnsim::Call call{0, 2, 0, 0, 0};
  wrnsim::Random random;
  for (const auto& [name, make] : registered.paths) {
    const std::unique_ptr<wrnsim::PathPolicy> policy = make(settings);
    if (!policy) return "path policy " + name + " made no object";
    const std::int32_t chosen = policy->choosePath({call, *small.view, random});
    if (chosen < 0 || chosen > 1)
      return "path policy " + name + " chose " + std::to_string(chosen) + " of 2 free candidates";
  }
  for (const auto& [name, make] : registered.wavelengths) {
    const std::unique_ptr<wrnsim::WavelengthPolicy> policy = make(settings);
    if (!policy) return "wavelength policy " + name + " made no object";
    for (std::size_t p = 0; p < 2; ++p) {
      std::vector<wrnsim::HopChoice> room(3);
      wrnsim::HopAnswer answer(room.data(), room.size());
      const bool assigned = policy->assign({call, *small.view, p, random}, answer);
      if (!assigned) return "wavelength policy " + name + " assigned nothing on a free path";
      const std::string fault = policy_tests::answerFault(*small.view, p, settings, true, answer);
      if (!fault.empty()) return "wavelength policy " + name + ": " + fault;
    }
  }
  return "";
}

int check(const std::string& file, std::vector<std::string> expected) {
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return fail(file, std::string("not loaded: ") + dlerror());
  void* entry = dlsym(library, ENTRY_NAME(WRNSIM_PLUGIN_ENTRY));
  if (entry == nullptr) return fail(file, "no entry point " ENTRY_NAME(WRNSIM_PLUGIN_ENTRY));
  const auto plugin = reinterpret_cast<const wrnsim::PluginInfo* (*)()>(entry);
  const wrnsim::PluginInfo* info = plugin();
  if (info == nullptr) return fail(file, "the entry point answered nothing");
  if (info->interfaceVersion != wrnsim::kPolicyInterfaceVersion) {
    return fail(file, "built against interface version " + std::to_string(info->interfaceVersion) +
                          ", not " + std::to_string(wrnsim::kPolicyInterfaceVersion));
  }
  if (info->name == nullptr || info->version == nullptr || info->registerPolicies == nullptr)
    return fail(file, "the entry point's answer lacks a name, a version or a registration");

  int status = 0;
  {
    policy_tests::Registered registered;
    try {
      info->registerPolicies(registered);
    } catch (const std::exception& error) {
      return fail(file, std::string("registration threw: ") + error.what());
    }
    for (const std::string& fault : registered.faults) status = fail(file, fault);
    std::vector<std::string> names = registered.names;
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    if (names != expected) {
      std::string given;
      for (const std::string& name : registered.names) given += " " + name;
      status = fail(file, "registered" + (given.empty() ? std::string(" nothing") : given));
    }
    try {
      const std::string fault = askEach(registered);
      if (!fault.empty()) status = fail(file, fault);
    } catch (const std::exception& error) {
      status = fail(file, std::string("a policy threw: ") + error.what());
    }
    if (status == 0) std::cout << file << ": " << info->name << " " << info->version << ", ok\n";
  }
  // Every object the plug-in made is gone before its code is.
  if (dlclose(library) != 0) return fail(file, std::string("not unloaded: ") + dlerror());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: policy_plugin_check FILE.so KIND:NAME...\n";
    return 2;
  }
  return check(argv[1], std::vector<std::string>(argv + 2, argv + argc));
}
