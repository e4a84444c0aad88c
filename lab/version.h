// The version of the program that made a result: the project's number, bumped by hand when
// results may change, and the commit it was built from where the build had a checkout.
#pragma once

#include <string>
#include <string_view>

namespace lab {

// "0.5.0".
extern const char* const kVersion;
// "3f2a1c9", with "-dirty" when the checkout had uncommitted changes; empty when the build
// had no checkout (a release archive).
extern const char* const kCommit;

// "0.5.0 (commit 3f2a1c9)", or "0.5.0" without a commit.
inline std::string versionText(std::string_view version = kVersion,
                               std::string_view commit = kCommit) {
  std::string text(version);
  if (!commit.empty()) text += " (commit " + std::string(commit) + ")";
  return text;
}

}  // namespace lab
