// What an environment's agent sees of a decision: the pair and its candidate paths on the
// pair's view, as a fixed run of numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "policy/policy.h"

namespace python {

// The layout of an observation for a network of `nodes` nodes and `paths` candidate slots:
// origin one-hot (nodes entries), destination one-hot (nodes), the view's age, then per slot
// kSlotFields entries in the order of kSlotFieldNames. A slot past the pair's candidates is
// all zeros.
class Observation {
 public:
  static constexpr std::size_t kSlotFields = 6;
  static constexpr const char* kSlotFieldNames[kSlotFields] = {
      "present",           "hops",
      "free_end_to_end",   "least_free_wavelengths",
      "least_free_fibres", "least_free_regenerators"};

  // `maxHops`, `maxRegenerators`: the bounds high() gives for the hop count and the free
  // regenerators; `maxAge` that of the view's age.
  Observation(std::int32_t nodes, std::int32_t paths, std::int32_t wavelengths, std::int32_t fibres,
              std::int32_t maxHops, std::int32_t maxRegenerators, std::int64_t maxAge);

  std::size_t size() const { return 2 * nodes_ + 1 + paths_ * kSlotFields; }
  // Bounds every observation lies within, entry by entry.
  std::vector<float> low() const { return std::vector<float>(size(), 0.0f); }
  std::vector<float> high() const;
  // An entry's name, as "origin[3]", "view_age", "path[1].hops".
  std::vector<std::string> names() const;

  // Writes size() entries to `out`: all zeros without a decision (`view` null).
  void fill(const wrnsim::Call& call, const wrnsim::PairView* view, float* out);

 private:
  std::size_t nodes_;
  std::size_t paths_;
  std::int32_t wavelengths_;
  std::int32_t fibres_;
  std::int32_t maxHops_;
  std::int32_t maxRegenerators_;
  std::int64_t maxAge_;
  // Per wavelength, the hops of the path so far that have it free.
  std::vector<std::uint32_t> freeHops_;
};

}  // namespace python
