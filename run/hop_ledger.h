// The reservation of a started call's hops on its pair's view and on the live network,
// and their release when the call ends.
#pragma once

#include <cstdint>
#include <span>

#include "base/error_reporter.h"
#include "calls/blocking_stats.h"
#include "calls/call_timeline.h"
#include "network/link_table.h"
#include "run/path_hops.h"
#include "run/run_observer.h"
#include "run/run_trace.h"
#include "run/view_sync.h"

namespace run {

class HopLedger {
 public:
  // All must outlive the ledger; every change to the live table is recorded in `changes`.
  HopLedger(network::LinkTable& live, LiveChanges& changes, RunTrace& trace,
            calls::BlockingType& updateErrors, base::ErrorReporter& reporter,
            RunObserver* observer = nullptr)
      : live_(live),
        changes_(changes),
        trace_(trace),
        updateErrors_(updateErrors),
        reporter_(reporter),
        observer_(observer) {}

  // Takes, hop by hop in path order, one fibre of the hop's wavelength (and a regenerator
  // where the hop converts) from `view` and the live table (once when `view` is the live
  // table), on every hop whose link both
  // hold (`hops` gives their positions, one entry per hop of the call's path). A hop the
  // live table cannot carry takes nothing: it is traced and recorded as an update error
  // keyed (clock, 0) for a busy fibre or (clock, 1) for a missing regenerator, the clock
  // being the trace's value of `tick`. Each hop taken is marked reserved. Returns the
  // number of hops that failed.
  std::int32_t reserve(calls::Call& call, const PathHops& hops, network::LinkTable& view,
                       std::int64_t tick);

  // Gives back exactly what reserve() took, tracing every hop's wavelength. `view` must be
  // the one the call reserved on, brought up to date before.
  void release(const calls::Call& call, const PathHops& hops, network::LinkTable& view,
               std::int64_t tick);

 private:
  // Inlined: taken once a hop at every start and end of a call.
  [[gnu::always_inline]] inline void take(network::LinkTable& view, network::Link& viewLink,
                                          network::Link& liveLink, const calls::HopAssignment& hop,
                                          int delta, std::int64_t tick);

  network::LinkTable& live_;
  LiveChanges& changes_;
  RunTrace& trace_;
  calls::BlockingType& updateErrors_;
  base::ErrorReporter& reporter_;
  RunObserver* observer_;
};

// True when reserve() took something for the call.
bool anyReserved(const calls::Call& call);

}  // namespace run
