// A shared library of policies, loaded for as long as the object lives: its entry point
// checked, its interface version compared with the program's, its policies registered.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "policy/plugin.h"

namespace experiment {

// A policy that cannot be used as named: nothing was run.
struct PolicyChoiceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class PolicyLibrary {
 public:
  // Loads the file (a name without a slash is taken in the current folder, never searched
  // for). Throws PolicyChoiceError for a missing file, a file that is not a loadable
  // library, a library without the entry point, or one of another interface version.
  static std::shared_ptr<const PolicyLibrary> load(const std::string& file);

  PolicyLibrary(const PolicyLibrary&) = delete;
  PolicyLibrary& operator=(const PolicyLibrary&) = delete;
  ~PolicyLibrary();

  const std::string& file() const { return file_; }
  // The SHA-256 of the file's bytes as loaded.
  const std::string& sha256() const { return sha256_; }
  // As the library names itself.
  const std::string& name() const { return name_; }
  const std::string& version() const { return version_; }

  // The factory registered under `name`, or none.
  wrnsim::PathPolicyFactory pathPolicy(const std::string& name) const;
  wrnsim::WavelengthPolicyFactory wavelengthPolicy(const std::string& name) const;
  std::vector<std::string> pathPolicyNames() const;
  std::vector<std::string> wavelengthPolicyNames() const;

 private:
  PolicyLibrary() = default;
  class Registry;

  void* handle_ = nullptr;
  std::string file_;
  std::string sha256_;
  std::string name_;
  std::string version_;
  std::map<std::string, wrnsim::PathPolicyFactory, std::less<>> paths_;
  std::map<std::string, wrnsim::WavelengthPolicyFactory, std::less<>> wavelengths_;
};

}  // namespace experiment
