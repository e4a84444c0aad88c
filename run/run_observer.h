// What a run tells, besides its trace and report, to whoever keeps accounts of it: each
// call's outcome, each hop refused by the live network, each change of a link's load.
#pragma once

#include <cstddef>
#include <cstdint>

#include "calls/wavelength_assignment.h"

namespace run {

// How a started call fared.
struct CallOutcome {
  bool hasPath = false;
  // Blocked by the assignment; `blocked` then says where and why, as the report keys it (or
  // with cause 5 when a wavelength policy found no assignment and did not say why).
  bool blockedByAssignment = false;
  calls::BlockedAt blocked;
  // A policy's answer failed the run's checks: nothing was reserved. `blocked` gives the
  // ends of the hop at fault, when the fault was at a hop.
  bool policyError = false;
  // Hops the live network refused (each counted in the report's type 4).
  std::int32_t refusedHops = 0;
};

// Calls come in the order of the trace. Ticks count from the run's start; sources and live
// links are given by their positions in the run's source list and live table.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A call of the source started at `tick`, once its hops were reserved.
  virtual void callStarted(std::size_t source, std::int64_t tick, const CallOutcome& outcome) = 0;
  // A hop of a call starting at `tick` was refused at the live link: its fibre was busy
  // (kind 0) or it found no regenerator (kind 1).
  virtual void hopRefused(std::size_t liveLink, std::int64_t tick, int kind) = 0;
  // The live link's counters took (+1) or gave back (-1) one wavelength-fibre at `tick`.
  virtual void fibresChanged(std::size_t liveLink, int taken, std::int64_t tick) = 0;
  // The run ended after `ticks` ticks.
  virtual void runEnded(std::int64_t ticks) = 0;
};

}  // namespace run
