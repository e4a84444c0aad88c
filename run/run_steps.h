// The steps one run is made of, for a loop to drive: a source's step at a tick reads its
// next call line, starts the calls due, ends the calls due; the run ends with the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "calls/call_source.h"
#include "calls/path_selection.h"
#include "calls/wavelength_assignment.h"
#include "run/hop_ledger.h"
#include "run/hop_storage.h"
#include "run/line_backlog.h"
#include "run/pair_views.h"
#include "run/policy_door.h"
#include "run/run_setup.h"
#include "run/run_trace.h"

namespace run {

// What a loop knows of a source whose call file is exhausted (ticks from the run's start):
// no call of it is due to start before nextStartAt nor to end before nextEndAt, and
// nextCallAt is the earlier of the two.
struct CallTimes {
  std::int64_t nextStartAt = 0;
  std::int64_t nextEndAt = 0;
  std::int64_t nextCallAt = 0;
};

class RunSteps {
 public:
  // Everything must outlive the run; the network's sources must each have their pair's
  // view.
  RunSteps(NetworkState& network, RunResources& resources, const RunSettings& settings);
  RunSteps(const RunSteps&) = delete;
  RunSteps& operator=(const RunSteps&) = delete;

  // Makes the run's bookkeeping, the room its assignments need and its policies' objects.
  // False after reporting 1500 (bookkeeping) or 1050 (room) when it cannot be made; the
  // run then steps nothing and goes straight to finish(). Throws PolicyFailure when a
  // policy cannot be made; step() throws it when a policy throws.
  bool prepare();

  std::size_t sourceCount() const { return sources_.size(); }
  const RunSettings& settings() const { return settings_; }
  // Where a loop reports the failures of its own bookkeeping.
  base::ErrorReporter& reporter() { return res_.reporter; }
  const calls::CallSource& source(std::size_t i) const { return *sources_[i].source; }
  ViewSync& syncOf(std::size_t i) { return views_.syncOf(i); }
  // True once the source's step has met the end of its call file.
  bool exhausted(std::size_t i) const { return sources_[i].exhausted; }
  // Whether the source holds a call, or a line read that is not a call yet.
  bool holdsCalls(std::size_t i) const {
    return !sources_[i].source->calls.empty() || !sources_[i].backlog.empty();
  }
  // The start of the earliest line read that is not a call yet; false when there is none.
  // Such a line becomes a call at the source's first step at or after its start.
  bool heldStart(std::size_t i, std::int32_t& start) const {
    if (sources_[i].backlog.empty()) return false;
    start = sources_[i].backlog.oldestStart();
    return true;
  }

  // Source i's step at `tick`: reads its next call line, applies the view's refresh
  // checks, starts every call due (choosing its path, assigning and reserving its hops),
  // then ends every call due, or traces the end of its calls when it holds none. Ticks
  // never go back, and the sources of one tick are stepped in ascending order. `known`,
  // when given, lets the step leave out searches known to find nothing once the file is
  // exhausted. Returns true when the source holds no call after its start pass.
  bool step(std::size_t i, std::int64_t tick, const CallTimes* known = nullptr);

  // Source i's step at `tick` when its file is exhausted and no call of it is due: only
  // its view's refresh checks.
  void stepViewOnly(std::size_t i, std::int64_t tick);

  // Reading ahead. While a source holds lines read, its steps before its next call is due
  // only read a line and hold it; they may be left out, their lines read at once by
  // readAhead. Whether source i's coming steps may be left out so.
  bool readsAhead(std::size_t i) const {
    if (!canReadAhead_) return false;
    const SourceRun& run = sources_[i];
    return !run.exhausted && !run.backlog.empty() && !run.pending && run.backlog.readsAgain();
  }
  // The last tick through which lines may be read ahead as of `tick`: until then no source
  // can run out of calls nor read a line holding nothing (which would make the run depend
  // on the order of reads of other sources). Below `tick` when none may be.
  std::int64_t readAheadHorizon(std::int64_t tick);
  // Reads, at source i's step of `tick` (readsAhead true), the lines its steps of ticks
  // tick + 1 to `through` would read, as long as each would be held and the file lasts.
  // `through` must be before any tick at which a call of the source is due, and within
  // readAheadHorizon(tick). Returns the last tick whose line was read (`tick` for none);
  // the source's next step must come right after it.
  std::int64_t readAhead(std::size_t i, std::int64_t tick, std::int64_t through);

  // Prints the report, waits for a key (when there is someone to ask), then releases the
  // sources, views and route entries and gives the live network its loaded state back.
  // `ticks` is the number of ticks simulated.
  RunSummary finish(std::int64_t ticks);

 private:
  struct SourceRun {
    calls::CallSource* source = nullptr;
    bool exhausted = false;
    // A line read ahead that its own step must take instead of reading one.
    bool pending = false;
    calls::CallLine pendingLine;
    // The latest start of the lines read; none before the first.
    std::int64_t latestStart = kNoStart;
    LineBacklog backlog;
    // The pair's route entries, for the policies that read them.
    calls::PairRoutes routes;
  };
  static constexpr std::int64_t kNoStart = std::numeric_limits<std::int64_t>::min();
  // The fewest lines read ahead a source keeps as read; with less room it keeps none.
  static constexpr std::size_t kLeastRoom = 16;

  // Each source's pair entries with their hops in its view, so that a call finds neither.
  void prepareRoutes();
  calls::RouteHops routeHops(const routing::RouteEntry& entry) const;
  void readLine(SourceRun& run, std::int64_t tick);
  // Makes a call, or a held line, of the line just read into line_ at `tick`.
  void takeLine(SourceRun& run, std::int64_t tick);
  // Makes calls of the held lines that start at or before `now`; of all of them when `all`.
  // False when memory ran out (310 reported): the lines are lost, as a read whose call
  // could not be made.
  // Out of line: the console's runs never hold a line.
  [[gnu::noinline]] void makeHeldCalls(SourceRun& run, std::int32_t now, bool all);
  void startCall(std::size_t i, ViewSync& sync, calls::Call& call, std::int64_t tick);
  bool assign(const calls::CallSource& source, ViewSync& sync, calls::Call& call,
              CallOutcome& outcome);
  void endCall(ViewSync& sync, calls::Call& call, std::int64_t tick);
  void cleanUp();

  NetworkState& net_;
  RunResources& res_;
  const RunSettings& settings_;
  RunTrace trace_;
  PairViews views_;
  PolicyDoor door_;
  HopLedger ledger_;
  std::vector<SourceRun> sources_;
  std::vector<calls::RouteHops> routeHops_;
  routing::LinkChannelSums linkSums_;
  std::int32_t lastStart_ = 0;
  // Some source's lines can be read again, and no trace shows when lines are read.
  bool canReadAhead_ = false;
  // The last readAheadHorizon found, and the tick it was found at.
  std::int64_t horizon_ = kNoStart;
  std::int64_t horizonFoundAt_ = -1;
  calls::CallLine line_;
  calls::AssignmentWorkspace workspace_;
  HopStorage spareHops_;
  RunSummary summary_;
};

}  // namespace run
