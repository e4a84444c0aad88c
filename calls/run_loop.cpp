#include "calls/run_loop.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <optional>
#include <span>
#include <unordered_map>

#include "calls/call_timeline.h"
#include "calls/path_hops.h"
#include "calls/path_selection.h"
#include "calls/source_schedule.h"
#include "calls/view_sync.h"
#include "calls/wavelength_assignment.h"
#include "routing/path.h"

namespace calls {

namespace {

std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Ticks are counted from the run's start in 64 bits; the clock the trace shows is their
// 32-bit value.
std::int32_t clockOf(std::int64_t tick) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(tick));
}

struct SourceRun {
  CallSource* source = nullptr;
  ViewSync* sync = nullptr;
  bool exhausted = false;
  // Counted from the run's start, for a source whose file is exhausted: no call of the
  // source is due to start before nextStartAt, nor to end before nextEndAt, and
  // nextCallAt is the earlier of the two.
  std::int64_t nextStartAt = 0;
  std::int64_t nextEndAt = 0;
  std::int64_t nextCallAt = 0;
};

class RunLoop {
 public:
  RunLoop(NetworkState& network, RunResources& resources, const RunSettings& settings)
      : net_(network), res_(resources), settings_(settings), out_(resources.output) {}

  RunSummary run() {
    bool ready = false;
    try {
      prepare();
      ready = true;
    } catch (const std::bad_alloc&) {
      // Without its bookkeeping the run cannot start; the sources are consumed as usual.
      res_.reporter.reportError(1500);
    }
    if (ready && !sources_.empty()) {
      if (settings_.eventDriven) {
        runByEvents();
      } else {
        runTickByTick();
      }
    }
    summary_.ticks = tick_;
    for (int i = 0; i < kBlockingTypeCount; ++i) {
      summary_.blockingTotals[i] = std::max<std::int64_t>(blockingTotal(res_.blockingTypes[i]), 0);
    }
    printBlockingReport(res_.blockingTypes, kBlockingTypeCount, out_);
    out_.write("Pulse tecla para continuar...");
    if (res_.keys != nullptr) {
      res_.keys->discardPending();
      res_.keys->readKey();
    }
    cleanUp();
    return summary_;
  }

 private:
  void prepare() {
    changes_.reset(net_.liveTable);
    schedule_.emplace(net_.callSources.size());
    dueSources_.reserve(net_.callSources.size());
    std::unordered_map<network::LinkStateView*, std::size_t> syncOfView;
    std::vector<std::size_t> syncOfSource;
    for (CallSource& source : net_.callSources) {
      network::LinkStateView* view =
          network::findView(res_.views, source.origin, source.destination);
      assert(view != nullptr && "every call source has its pair's view");
      auto [found, added] = syncOfView.try_emplace(view, syncs_.size());
      if (added) {
        syncs_.emplace_back();
        syncs_.back().view = view;
        syncs_.back().firstSource = sources_.size();
      }
      ViewSync& sync = syncs_[found->second];
      sync.lastSource = sources_.size();
      addPositions(sync, source.paths);
      syncOfSource.push_back(found->second);
      sources_.push_back(SourceRun{&source, nullptr, false, 0, 0, 0});
    }
    for (std::size_t i = 0; i < sources_.size(); ++i) sources_[i].sync = &syncs_[syncOfSource[i]];
  }

  // The links the pair's paths use, added to the view from the loaded network when it does
  // not hold them yet (a new view holds none: it starts as the loaded network).
  void addPositions(ViewSync& sync, const routing::PathSet& paths) {
    network::LinkTable& links = sync.view->links;
    for (const routing::PathSetItem& item : paths) {
      for (std::size_t k = 0; k + 1 < item.path.size(); ++k) {
        const network::NodeId a = item.path[k];
        const network::NodeId b = item.path[k + 1];
        const std::ptrdiff_t live = net_.liveTable.positionOf(a, b);
        if (live < 0) continue;
        const std::ptrdiff_t held = links.positionOf(a, b);
        const std::size_t view = held >= 0 ? static_cast<std::size_t>(held) : addLink(links, live);
        const bool known = std::any_of(sync.positions.begin(), sync.positions.end(),
                                       [view](const auto& at) { return at.view == view; });
        if (!known) sync.positions.push_back({static_cast<std::size_t>(live), view});
      }
      rememberHops(item.path, links);
    }
  }

  // Appends the link at a live position to a view, as loaded; returns its view position.
  std::size_t addLink(network::LinkTable& links, std::ptrdiff_t live) {
    const network::LinkTable& loaded = net_.loadedTable;
    const network::Link& from = loaded[static_cast<std::size_t>(live)];
    if (network::createLink(links, from.from, from.to, res_.reporter) == nullptr) {
      throw std::bad_alloc();
    }
    network::Link& added = links[links.size() - 1];
    std::copy_n(loaded.freeFibers(from), static_cast<std::size_t>(loaded.lambdaCount()),
                links.freeFibers(added));
    added.regenerators = from.regenerators;
    return links.size() - 1;
  }

  // A hop's links are looked up once per path for the whole run.
  void rememberHops(const routing::Path& path, const network::LinkTable& view) {
    auto [entry, added] = hopPositions_.add(&path);
    if (!added) return;
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
      const std::ptrdiff_t inView = view.positionOf(path[k], path[k + 1]);
      entry.links.push_back({net_.liveTable.positionOf(path[k], path[k + 1]), inView});
      entry.inView.push_back(inView);
    }
  }

  // The positions of each hop's link in the live table and the view; -1 where missing.
  std::span<const HopLinks> hopLinksOf(const routing::Path& path, const network::LinkTable& view) {
    if (const PathHops* known = hopPositions_.find(&path)) return known->links;
    // Every path a policy can give is remembered beforehand; looking up is only a safety net.
    unknownPathHops_.clear();
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
      unknownPathHops_.push_back(
          {net_.liveTable.positionOf(path[k], path[k + 1]), view.positionOf(path[k], path[k + 1])});
    }
    return unknownPathHops_;
  }

  void runTickByTick() {
    bool endMark = false;
    for (tick_ = 0; !endMark; ++tick_) {
      for (std::size_t i = 0; i < sources_.size(); ++i) endMark = sourceStep(i) || endMark;
    }
  }

  void runByEvents() {
    for (std::size_t i = 0; i < sources_.size(); ++i) schedule_->schedule(0, i);
    bool endMark = false;
    // The tick runs to its end after the end mark.
    while (!endMark && schedule_->takeNextTick(tick_, dueSources_)) {
      for (std::size_t k = 0; k < dueSources_.size(); ++k) {
        const std::size_t i = dueSources_[k];
        if (k + 1 < dueSources_.size()) sources_[dueSources_[k + 1]].source->calls.prefetch();
        if (sourceStep(i)) {
          endMark = true;
        } else {
          schedule_->schedule(nextEventOf(i), i);
        }
      }
    }
    ++tick_;
  }

  // The next tick at which the source has something to do: a line to read, a call to start
  // or end, or (for the first source of its pair) a refresh of its view that must be copied.
  std::int64_t nextEventOf(std::size_t i) {
    SourceRun& run = sources_[i];
    // A source whose calls have all ended finds its list empty at its next step.
    if (!run.exhausted || run.source->calls.empty()) {
      run.nextStartAt = run.nextEndAt = run.nextCallAt = tick_ + 1;
      return tick_ + 1;
    }
    // After a step for the view alone the calls are as they were.
    if (tick_ < run.nextCallAt) return withRefresh(i, run.nextCallAt);
    const std::int32_t now = clockOf(tick_);
    auto tickOf = [&](bool found, std::int32_t at) {
      if (!found) return std::numeric_limits<std::int64_t>::max();
      return tick_ + std::max<std::int64_t>(std::int64_t{at} - now, 1);
    };
    std::int32_t start = 0;
    std::int32_t end = 0;
    const bool starts = run.source->calls.earliestWaitingStart(start);
    const bool ends = run.source->calls.earliestEnd(end);
    run.nextStartAt = tickOf(starts, start);
    run.nextEndAt = tickOf(ends, end);
    run.nextCallAt = std::min(run.nextStartAt, run.nextEndAt);
    return withRefresh(i, run.nextCallAt);
  }

  // The earlier of `callAt` and the refresh the source must wake for.
  std::int64_t withRefresh(std::size_t i, std::int64_t callAt) const {
    const ViewSync& sync = *sources_[i].sync;
    if (i != sync.firstSource || settings_.updateInterval == 0) return callAt;
    return std::min(callAt, refreshToCopy(sync, i, callAt));
  }

  // The tick of the next refresh of the view that must be copied when it falls due; the
  // largest tick when none must be before the pair's next step at `callAt`.
  std::int64_t refreshToCopy(const ViewSync& sync, std::size_t i, std::int64_t callAt) const {
    const std::int32_t lastRefresh = sync.view->lastRefresh;
    const std::uint32_t due = static_cast<std::uint32_t>(lastRefresh) +
                              static_cast<std::uint32_t>(settings_.updateInterval);
    const auto clock = static_cast<std::uint32_t>(clockOf(tick_));
    // Not later than the first refresh: early only when the clock wraps at 32 bits.
    const std::int64_t firstDue = tick_ + (due > clock ? std::int64_t{due - clock} : 1);
    // Another source of the pair may read the view before `callAt`.
    if (i != sync.lastSource || firstDue >= callAt) return firstDue;
    // Alone on its view, the source reads it only from `callAt` on: of the refreshes before,
    // only the last needs its copy, and none if the check at `callAt` refreshes again.
    const std::int64_t from = tick_ + 1;
    const CheckResult until =
        applyRefreshChecks(lastRefresh, settings_.updateInterval, clockOf(from),
                           static_cast<std::uint64_t>(callAt - from));
    if (!until.refreshed) return firstDue;
    if (refreshDue(clockOf(callAt), until.lastRefresh, settings_.updateInterval)) {
      return std::numeric_limits<std::int64_t>::max();
    }
    return from + static_cast<std::uint32_t>(static_cast<std::uint32_t>(until.lastRefresh) -
                                             static_cast<std::uint32_t>(clockOf(from)));
  }

  // True when the source holds no call after its start pass.
  bool sourceStep(std::size_t i) {
    SourceRun& run = sources_[i];
    CallSource& source = *run.source;
    ViewSync& sync = *run.sync;
    if (settings_.eventDriven && run.exhausted && tick_ < run.nextCallAt) {
      // Woken for its view only: no line to read, no call due, the list not empty.
      checkRefresh(sync);
      finishStep(sync, i);
      return false;
    }
    readLine(run);
    checkRefresh(sync);
    // Searches that are known to find nothing are left out.
    const bool known = settings_.eventDriven && run.exhausted;
    bool started = false;
    CallCursor cursor;
    if (!known || tick_ >= run.nextStartAt) {
      while (findNextCall(source.calls, cursor, clockOf(tick_), CallSearch::kStarting)) {
        startCall(source, sync, *cursor.call);
        started = true;
      }
    }
    const bool empty = source.calls.empty();
    if (empty) {
      out_.write("\nFin Lista de CALLS ");
    } else if (!known || started || tick_ >= run.nextEndAt) {
      cursor.clear();
      while (findNextCall(source.calls, cursor, clockOf(tick_), CallSearch::kEnding)) {
        endCall(sync, *cursor.call);
        keepHopStorage(cursor.call->hops);
        removeCall(source.calls, cursor);
      }
    }
    finishStep(sync, i);
    return empty;
  }

  void readLine(SourceRun& run) {
    if (run.exhausted) return;
    if (!readCallLine(*run.source, line_)) {
      run.exhausted = true;
      return;
    }
    out_.write("\nTIME=");
    out_.writeInt(clockOf(tick_));
    out_.write(" ");
    CallList& calls = run.source->calls;
    if (const Call* newest = calls.newest()) lastStart_ = newest->start();
    const Call* call =
        pushCall(calls, wrappingAdd(lastStart_, line_.first), line_.second, res_.reporter);
    if (call == nullptr) return;
    ++summary_.callsRead;
    out_.write("\n");
    out_.writeInt(call->duration());
    out_.write(" - ");
    out_.writeInt(call->start());
    out_.write(" ");
  }

  // The refresh checks since the pair's last step, then this one. A refresh is recorded;
  // the copy waits until the view is used (or is made at once when running eagerly).
  void checkRefresh(ViewSync& sync) {
    network::LinkStateView& view = *sync.view;
    if (sync.checkedThrough < tick_ - 1) {
      const CheckResult skipped = applyRefreshChecks(
          view.lastRefresh, settings_.updateInterval, clockOf(sync.checkedThrough + 1),
          static_cast<std::uint64_t>(tick_ - 1 - sync.checkedThrough));
      view.lastRefresh = skipped.lastRefresh;
      sync.pending = sync.pending || skipped.refreshed;
    }
    sync.checkedThrough = tick_;
    const std::int32_t now = clockOf(tick_);
    if (!refreshDue(now, view.lastRefresh, settings_.updateInterval)) return;
    view.lastRefresh = now;
    sync.pending = true;
    if (!settings_.eventDriven) catchUpView(sync, net_.liveTable, changes_, true);
  }

  void useView(ViewSync& sync) { catchUpView(sync, net_.liveTable, changes_, false); }

  // A recorded refresh that the pair's next check will not replace must be copied now,
  // before other pairs change the live network.
  void finishStep(ViewSync& sync, std::size_t i) {
    if (!sync.pending) return;
    const std::int32_t now = clockOf(tick_);
    const std::int32_t nextCheck = i < sync.lastSource ? now : wrappingAdd(now, 1);
    if (!refreshDue(nextCheck, now, settings_.updateInterval)) useView(sync);
  }

  void printTimes(const Call& call, std::string_view mark) {
    out_.write("\n\t");
    out_.writeInt(call.duration());
    out_.write("-");
    out_.writeInt(call.start());
    out_.write(mark);
  }

  void startCall(CallSource& source, ViewSync& sync, Call& call) {
    checkRefresh(sync);
    useView(sync);
    network::LinkStateView& view = *sync.view;
    call.path = choosePath(settings_.pathPolicy, settings_.pathCount, source, res_.routeTable,
                           view.links, res_.random, res_.reporter);
    out_.write("\n\t");
    if (call.path != nullptr) routing::printPath(*call.path, out_);
    printTimes(call, " H ");
    if (call.path != nullptr && !assign(view, call)) ++summary_.callsBlocked;
    markStarted(source.calls, call);
    ++summary_.callsStarted;
    if (call.path == nullptr) {
      ++summary_.callsWithoutPath;
      res_.reporter.reportError(1001);
      return;
    }
    reserve(view, call);
  }

  // False when the call is blocked.
  bool assign(network::LinkStateView& view, Call& call) {
    const PathHops* known = hopPositions_.find(call.path);
    const std::span<const std::ptrdiff_t> inView =
        known != nullptr ? std::span<const std::ptrdiff_t>(known->inView)
                         : std::span<const std::ptrdiff_t>();
    const bool carried =
        assignWavelengths(workspace_, view.links, *call.path, std::span(net_.wavelengthOrder),
                          res_.blockingTypes, res_.reporter, inView);
    if (!carried) out_.write(" BLOKEO 0 ");
    if (!spareHops_.empty() && !workspace_.hops.empty()) {
      call.hops.swap(spareHops_.back());
      spareHops_.pop_back();
    }
    copyHops(workspace_.hops, call.hops, res_.reporter);
    freeHops(workspace_.hops);
    return carried;
  }

  void reserve(network::LinkStateView& view, Call& call) {
    out_.write("      ");
    const std::span<const HopLinks> links = hopLinksOf(*call.path, view.links);
    bool failed = false;
    for (std::size_t k = 0; k < call.hops.size() && k < links.size(); ++k) {
      HopAssignment& hop = call.hops[k];
      const HopLinks at = links[k];
      if (at.live < 0 || at.view < 0) continue;
      network::Link* viewLink = &view.links[static_cast<std::size_t>(at.view)];
      network::Link* liveLink = &net_.liveTable[static_cast<std::size_t>(at.live)];
      std::int32_t& liveFree = net_.liveTable.freeFibers(*liveLink)[hop.wavelength];
      if (liveFree <= 0) {
        failed = true;
        out_.write(" BLOK NO ACTUAL0 ");
        recordBlocking(res_.blockingTypes[kUpdateError], clockOf(tick_), 0, res_.reporter);
        continue;
      }
      if (hop.regenerate && liveLink->regenerators <= 0) {
        failed = true;
        out_.write(" BLOK NO ACTUAL1 ");
        recordBlocking(res_.blockingTypes[kUpdateError], clockOf(tick_), 1, res_.reporter);
      } else {
        take(view, *viewLink, *liveLink, hop, -1);
        hop.reserved = true;
      }
      out_.writeInt(hop.wavelength);
      out_.write("-");
    }
    if (failed) ++summary_.callsWithUpdateError;
  }

  void endCall(ViewSync& sync, const Call& call) {
    printTimes(call, " F ");
    if (call.path == nullptr) return;
    out_.write("      ");
    if (call.hops.empty()) out_.write("Llamada con Bloqueo...");
    network::LinkStateView& view = *sync.view;
    const std::span<const HopLinks> links = hopLinksOf(*call.path, view.links);
    for (std::size_t k = 0; k < call.hops.size() && k < links.size(); ++k) {
      const HopAssignment& hop = call.hops[k];
      // Only what the reservation took is given back; it took only on links that exist.
      if (hop.reserved) {
        const HopLinks at = links[k];
        useView(sync);
        take(view, view.links[static_cast<std::size_t>(at.view)],
             net_.liveTable[static_cast<std::size_t>(at.live)], hop, +1);
      }
      out_.writeInt(hop.wavelength);
      out_.write("-");
    }
  }

  // An ended call's hop list keeps its storage for the next call, saving an allocation
  // per call; when it cannot be kept it is simply released with the call.
  void keepHopStorage(HopList& hops) {
    if (hops.capacity() == 0) return;
    try {
      spareHops_.emplace_back();
    } catch (const std::bad_alloc&) {
      return;
    }
    hops.clear();
    spareHops_.back().swap(hops);
  }

  // Moves one fibre of the hop's wavelength (and a regenerator when the hop converts) out
  // of (-1) or back into (+1) the view and the live network.
  void take(network::LinkStateView& view, network::Link& viewLink, network::Link& liveLink,
            const HopAssignment& hop, int delta) {
    if (hop.regenerate) {
      viewLink.regenerators += delta;
      liveLink.regenerators += delta;
      changes_.regeneratorsChanged(static_cast<std::size_t>(&liveLink - &net_.liveTable[0]));
    }
    view.links.freeFibers(viewLink)[hop.wavelength] += delta;
    net_.liveTable.freeFibers(liveLink)[hop.wavelength] += delta;
    changes_.countersChanged(liveLink);
  }

  void cleanUp() {
    for (BlockingType& type : res_.blockingTypes) freeBlockingEvents(type);
    releaseCallSources(net_, res_);
    // Pairing again gives the later link of each pair the earlier one's regenerators, as
    // after loading, so every run starts from the same live state.
    network::copyLinksPaired(net_.loadedTable, net_.liveTable, res_.reporter);
  }

  NetworkState& net_;
  RunResources& res_;
  const RunSettings& settings_;
  base::Output& out_;
  LiveChanges changes_;
  std::optional<SourceSchedule> schedule_;
  std::vector<std::size_t> dueSources_;
  std::vector<SourceRun> sources_;
  std::vector<ViewSync> syncs_;
  PathHopsIndex hopPositions_;
  std::vector<HopLinks> unknownPathHops_;
  std::int64_t tick_ = 0;
  std::int32_t lastStart_ = 0;
  CallLine line_;
  AssignmentWorkspace workspace_;
  std::vector<HopList> spareHops_;
  RunSummary summary_;
};

}  // namespace

RunSummary runSimulation(NetworkState& network, RunResources& resources,
                         const RunSettings& settings) {
  return RunLoop(network, resources, settings).run();
}

void releaseCallSources(NetworkState& network, RunResources& resources) {
  network::freeViews(resources.views);
  freeCallSources(network.callSources);
  routing::freeRouteTable(resources.routeTable);
}

}  // namespace calls
