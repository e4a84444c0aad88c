// A library built for an interface version the program does not speak.
#include "policy/plugin.h"

namespace {
void registerNothing(wrnsim::PolicyRegistry&) {}
}  // namespace

extern "C" __attribute__((visibility("default"))) const wrnsim::PluginInfo* wrnsim_plugin() {
  static const wrnsim::PluginInfo info{wrnsim::kPolicyInterfaceVersion + 98, "future", "9",
                                       &registerNothing};
  return &info;
}
