// What a run tells whoever shows how far it has got: the sources' routing, pair by pair,
// then the calls started. Told from the run's own thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace experiment {

// Calls started between two reports: often enough to move a display a few times a second,
// seldom enough to cost nothing next to the calls themselves.
inline constexpr std::int64_t kCallsPerReport = 4096;

class RunProgress {
 public:
  virtual ~RunProgress() = default;
  // The candidate paths of `done` of the run's `total` sources are found.
  virtual void pairsRouted(std::size_t done, std::size_t total) = 0;
  // Every source is routed; the calls start now.
  virtual void runStarts() = 0;
  // `started` calls have started since the run's beginning, warm-up included: told at
  // every kCallsPerReport-th call, not at the last.
  virtual void callsStarted(std::int64_t started) = 0;
};

}  // namespace experiment
