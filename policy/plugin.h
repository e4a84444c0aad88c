// A shared library of policies: one entry point that the program looks up by name, whose
// answer says which interface version the library was built against and registers the
// policies it offers. The program checks the version before calling anything else.
//
// A plug-in's source, in full:
//
//   #include <wrnsim/plugin.h>
//   class MyPolicy : public wrnsim::PathPolicy { ... };
//   WRNSIM_PLUGIN("my-policies", "1.0", registry) {
//     registry.addPathPolicy("mine", [](const wrnsim::Settings& settings) {
//       return std::unique_ptr<wrnsim::PathPolicy>(new MyPolicy(settings));
//     });
//   }
//
// and `wrnsim-lab run ... --path-policy ./libmy.so:mine` runs it.
#pragma once

#include <memory>
#include <string_view>

#include "policy.h"

namespace wrnsim {

// Makes the policy object of one run; may throw to refuse the settings (the run then ends
// with the message). Called from several threads at once in a sweep.
using PathPolicyFactory = std::unique_ptr<PathPolicy> (*)(const Settings& settings);
using WavelengthPolicyFactory = std::unique_ptr<WavelengthPolicy> (*)(const Settings& settings);

// What a plug-in registers its policies with. Names are what users give after the file's
// name (`FILE.so:NAME`); a name may be given once per kind.
class PolicyRegistry {
 public:
  virtual void addPathPolicy(std::string_view name, PathPolicyFactory make) = 0;
  virtual void addWavelengthPolicy(std::string_view name, WavelengthPolicyFactory make) = 0;

 protected:
  ~PolicyRegistry() = default;
};

// The entry point's answer; it must stay valid while the library is loaded.
struct PluginInfo {
  // kPolicyInterfaceVersion as the plug-in was built; the first field in every version.
  int interfaceVersion;
  const char* name;
  const char* version;
  void (*registerPolicies)(PolicyRegistry& registry);
};

}  // namespace wrnsim

// The entry point's name, as the program looks it up.
#define WRNSIM_PLUGIN_ENTRY wrnsim_plugin

// Defines the entry point and starts the body of the function that registers the
// library's policies with `registry`.
#define WRNSIM_PLUGIN(name, version, registry)                                               \
  static void wrnsimRegisterPolicies(::wrnsim::PolicyRegistry& registry);                    \
  extern "C" __attribute__((visibility("default"))) const ::wrnsim::PluginInfo*              \
  WRNSIM_PLUGIN_ENTRY() {                                                                    \
    static const ::wrnsim::PluginInfo info{::wrnsim::kPolicyInterfaceVersion, name, version, \
                                           &wrnsimRegisterPolicies};                         \
    return &info;                                                                            \
  }                                                                                          \
  static void wrnsimRegisterPolicies(::wrnsim::PolicyRegistry& registry)
