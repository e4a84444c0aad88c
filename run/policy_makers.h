// The policies a run is to decide with, when they are not the built-in ones.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "network/link_table.h"
#include "policy/policy.h"

namespace run {

// Where a pair's view lies in memory: the table it reads, and the position there of each of
// the pair's links, in the order of PairView::links().
struct SourceTable {
  const network::LinkTable* table = nullptr;
  std::vector<std::int32_t> linkPositions;
};

// A policy made by this program (never a plug-in's) that maps the tables behind its views
// whole, rather than link by link, also derives from this. Before the run's first call it is
// told, for every source in list order, where its pair's view lies; the tables keep their
// links and counter arrays in place until the policy object is destroyed.
class TableReader {
 public:
  virtual ~TableReader() = default;
  virtual void tablesReady(std::span<const SourceTable> sources) = 0;
};

// Each maker gives the object of one run (a sweep calls it from several threads); an empty
// maker stands for the built-in policy: the path policy of RunSettings::pathPolicy, or
// the built-in wavelength rule. The names are what messages call the policies.
struct PolicyMakers {
  std::string pathName;
  std::function<std::unique_ptr<wrnsim::PathPolicy>(const wrnsim::Settings&)> path;
  std::string wavelengthName;
  std::function<std::unique_ptr<wrnsim::WavelengthPolicy>(const wrnsim::Settings&)> wavelength;
  // Set only where the maker's objects also derive from TableReader (never for a plug-in's,
  // which may lack the type information a cast needs).
  bool pathReadsTables = false;
  bool wavelengthReadsTables = false;
};

// A policy threw (or its maker refused the run's settings): the run cannot go on. The
// message names the policy and the call.
struct PolicyFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace run
