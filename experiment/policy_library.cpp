#include "experiment/policy_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "experiment/sha256.h"

namespace experiment {

class PolicyLibrary::Registry : public wrnsim::PolicyRegistry {
 public:
  explicit Registry(PolicyLibrary& library) : library_(library) {}

  void addPathPolicy(std::string_view name, wrnsim::PathPolicyFactory make) override {
    add(library_.paths_, name, make, "path");
  }
  void addWavelengthPolicy(std::string_view name, wrnsim::WavelengthPolicyFactory make) override {
    add(library_.wavelengths_, name, make, "wavelength");
  }

  // What was wrong with the registrations, if anything.
  std::string fault;

 private:
  template <typename Factory>
  void add(std::map<std::string, Factory, std::less<>>& into, std::string_view name, Factory make,
           const char* kind) {
    if (!fault.empty()) return;
    if (name.empty() || name.find(':') != std::string_view::npos || make == nullptr) {
      fault = std::string("it registers a ") + kind + " policy '" + std::string(name) +
              "' without a factory or with an empty name or a ':' in it";
    } else if (!into.emplace(std::string(name), make).second) {
      fault = std::string("it registers the ") + kind + " policy '" + std::string(name) + "' twice";
    }
  }

  PolicyLibrary& library_;
};

std::shared_ptr<const PolicyLibrary> PolicyLibrary::load(const std::string& file) {
  const std::string shown = "policy library " + file;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    throw PolicyChoiceError(shown + ": no such file");
  }
  std::shared_ptr<PolicyLibrary> library(new PolicyLibrary());
  library->file_ = file;
  {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) throw PolicyChoiceError(shown + ": cannot be read");
    library->sha256_ = sha256Hex(bytes);
  }
  // A bare name would be looked for on the library path: the user means this folder's file.
  const std::string path = file.find('/') == std::string::npos ? "./" + file : file;
  library->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library->handle_ == nullptr) {
    const char* why = dlerror();
    throw PolicyChoiceError(shown + " cannot be loaded: " + (why != nullptr ? why : "unknown"));
  }
  void* entry = dlsym(library->handle_, "wrnsim_plugin");
  if (entry == nullptr) {
    throw PolicyChoiceError(shown +
                            " has no entry point wrnsim_plugin (see WRNSIM_PLUGIN in "
                            "<wrnsim/plugin.h>)");
  }
  using Entry = const wrnsim::PluginInfo* (*)();
  const wrnsim::PluginInfo* info = reinterpret_cast<Entry>(entry)();
  if (info == nullptr) throw PolicyChoiceError(shown + ": its entry point answers nothing");
  if (info->interfaceVersion != wrnsim::kPolicyInterfaceVersion) {
    throw PolicyChoiceError(shown + " was built for policy interface version " +
                            std::to_string(info->interfaceVersion) +
                            "; this program speaks version " +
                            std::to_string(wrnsim::kPolicyInterfaceVersion));
  }
  library->name_ = info->name != nullptr ? info->name : "";
  library->version_ = info->version != nullptr ? info->version : "";
  if (info->registerPolicies == nullptr) {
    throw PolicyChoiceError(shown + ": its entry point gives no registration function");
  }
  Registry registry(*library);
  try {
    info->registerPolicies(registry);
  } catch (const std::exception& thrown) {
    throw PolicyChoiceError(shown + " threw while registering its policies: " + thrown.what());
  } catch (...) {
    throw PolicyChoiceError(shown + " threw while registering its policies");
  }
  if (!registry.fault.empty()) throw PolicyChoiceError(shown + ": " + registry.fault);
  return library;
}

PolicyLibrary::~PolicyLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

wrnsim::PathPolicyFactory PolicyLibrary::pathPolicy(const std::string& name) const {
  const auto found = paths_.find(name);
  return found == paths_.end() ? nullptr : found->second;
}

wrnsim::WavelengthPolicyFactory PolicyLibrary::wavelengthPolicy(const std::string& name) const {
  const auto found = wavelengths_.find(name);
  return found == wavelengths_.end() ? nullptr : found->second;
}

std::vector<std::string> PolicyLibrary::pathPolicyNames() const {
  std::vector<std::string> names;
  for (const auto& entry : paths_) names.push_back(entry.first);
  return names;
}

std::vector<std::string> PolicyLibrary::wavelengthPolicyNames() const {
  std::vector<std::string> names;
  for (const auto& entry : wavelengths_) names.push_back(entry.first);
  return names;
}

}  // namespace experiment
