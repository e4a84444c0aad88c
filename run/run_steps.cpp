#include "run/run_steps.h"

#include <algorithm>
#include <new>
#include <span>

namespace run {

RunSteps::RunSteps(NetworkState& network, RunResources& resources, const RunSettings& settings)
    : net_(network),
      res_(resources),
      settings_(settings),
      trace_(resources.output),
      views_(network.loadedTable, network.liveTable, settings.updateInterval, resources.reporter,
             settings.viewsFollowLive),
      ledger_(network.liveTable, views_.changes(), trace_,
              resources.blockingTypes[calls::kUpdateError], resources.reporter,
              resources.observer) {}

bool RunSteps::prepare() {
  try {
    sources_.reserve(net_.callSources.size());
    std::size_t room = settings_.keptLines / std::max<std::size_t>(net_.callSources.size(), 1);
    // A few lines a source would save little, and cost an allocation each on networks of
    // hundreds of thousands of pairs.
    if (room < kLeastRoom) room = 0;
    for (calls::CallSource& source : net_.callSources) {
      std::unique_ptr<calls::CallLines> again =
          source.lines != nullptr ? source.lines->copy() : nullptr;
      if (again != nullptr && !again->follow(*source.lines)) again.reset();
      SourceRun& run = sources_.emplace_back();
      run.source = &source;
      canReadAhead_ = canReadAhead_ || again != nullptr;
      if (again != nullptr) {
        run.backlog = LineBacklog(*source.lines, std::move(again), room);
      } else {
        // A call file's lines wait as lines, not calls, so that the list holds only the
        // calls due or in progress.
        run.backlog = LineBacklog::keepingAll();
      }
    }
    canReadAhead_ = canReadAhead_ && !trace_.on();
    views_.prepare(net_.callSources, res_.views, res_.policies != nullptr);
    if (res_.policies != nullptr) {
      const wrnsim::Settings told{net_.liveTable.lambdaCount(), net_.liveTable.fiberCount(),
                                  settings_.pathCount, settings_.maxSharedLinks,
                                  settings_.updateInterval};
      door_.prepare(*res_.policies, told, res_.random, net_.callSources, views_);
    }
    if (!door_.choosesPaths() && (settings_.pathPolicy == 3 || settings_.pathPolicy == 4)) {
      prepareRoutes();
    }
  } catch (const std::bad_alloc&) {
    // Without its bookkeeping the run cannot start; the sources are consumed as usual.
    sources_.clear();
    res_.reporter.reportError(1500);
    return false;
  }
  // With the room taken now, no assignment of the run has to allocate (1050 reported).
  if (!workspace_.reserve(views_.longestPath(), res_.reporter)) {
    sources_.clear();
    return false;
  }
  return true;
}

// The table gains entries only when sources are added, between runs, so the pairs' lists
// stay where they are for the whole run.
void RunSteps::prepareRoutes() {
  std::size_t count = 0;
  for (const SourceRun& run : sources_) {
    const auto* pair = res_.routeTable.entriesOf(run.source->origin, run.source->destination);
    if (pair != nullptr) count += pair->size();
  }
  // Spans into the list must not move as it grows.
  routeHops_.reserve(count);
  std::int32_t farthest = -1;
  for (SourceRun& run : sources_) {
    const auto* pair = res_.routeTable.entriesOf(run.source->origin, run.source->destination);
    if (pair == nullptr) continue;
    const std::size_t first = routeHops_.size();
    for (const routing::RouteEntry* entry : *pair) {
      const calls::RouteHops hops = routeHops(*entry);
      routeHops_.push_back(hops);
      for (const std::int32_t position : hops.positions) farthest = std::max(farthest, position);
    }
    run.routes =
        calls::PairRoutes{*pair, std::span(routeHops_).subspan(first, pair->size()), &linkSums_};
  }
  linkSums_.reserve(static_cast<std::size_t>(farthest + 1));
}

// A path the view does not know, or one naming no node (which a search by nodes reads as
// a wildcard), keeps being found by its nodes.
calls::RouteHops RunSteps::routeHops(const routing::RouteEntry& entry) const {
  if (entry.path == nullptr || entry.path->empty()) return {};
  if (std::find(entry.path->begin(), entry.path->end(), network::kNoNode) != entry.path->end()) {
    return {};
  }
  const std::optional<PathHops> hops = views_.findHops(*entry.path);
  if (!hops || hops->inView.size() + 1 != entry.path->size()) return {};
  return calls::RouteHops{hops->inView, false};
}

bool RunSteps::step(std::size_t i, std::int64_t tick, const CallTimes* known) {
  ++summary_.sourceSteps;
  SourceRun& run = sources_[i];
  calls::CallSource& source = *run.source;
  ViewSync& sync = views_.syncOf(i);
  readLine(run, tick);
  views_.check(sync, tick);
  // Searches that are known to find nothing are left out.
  const CallTimes* times = run.exhausted ? known : nullptr;
  const std::int32_t now = clockOf(tick);
  if (!run.backlog.empty()) makeHeldCalls(run, now, false);
  bool started = false;
  calls::CallCursor cursor;
  if (times == nullptr || tick >= times->nextStartAt) {
    while (calls::findNextCall(source.calls, cursor, now, calls::CallSearch::kStarting)) {
      startCall(i, sync, *cursor.call, tick);
      started = true;
    }
  }
  const bool empty = source.calls.empty() && run.backlog.empty();
  if (empty) {
    trace_.endOfCalls();
  } else if (times == nullptr || started || tick >= times->nextEndAt) {
    cursor.clear();
    while (calls::findNextCall(source.calls, cursor, now, calls::CallSearch::kEnding)) {
      endCall(sync, *cursor.call, tick);
      spareHops_.keep(cursor.call->hops);
      calls::removeCall(source.calls, cursor);
    }
  }
  views_.finishStep(sync, i, tick);
  return empty;
}

void RunSteps::stepViewOnly(std::size_t i, std::int64_t tick) {
  ++summary_.sourceSteps;
  ViewSync& sync = views_.syncOf(i);
  views_.check(sync, tick);
  views_.finishStep(sync, i, tick);
}

void RunSteps::readLine(SourceRun& run, std::int64_t tick) {
  if (run.exhausted) return;
  if (run.pending) {
    run.pending = false;
    line_ = run.pendingLine;
  } else if (!calls::readCallLine(*run.source, line_)) {
    run.exhausted = true;
    return;
  }
  takeLine(run, tick);
}

void RunSteps::takeLine(SourceRun& run, std::int64_t tick) {
  trace_.lineRead(clockOf(tick));
  calls::CallList& calls = run.source->calls;
  // Gaps count from the newest call read by any source; a held line is newer than every
  // call of its source.
  if (!run.backlog.empty()) {
    lastStart_ = run.backlog.newestStart();
  } else if (const calls::Call* newest = calls.newest()) {
    lastStart_ = newest->start();
  }
  const std::int32_t start = wrappingAdd(lastStart_, line_.first);
  run.latestStart = std::max<std::int64_t>(run.latestStart, start);
  if (run.backlog.canHold(start, line_.second, clockOf(tick)) &&
      run.backlog.hold(start, line_.second)) {
    ++summary_.callsRead;
    trace_.callRead(line_.second, start);
    return;
  }
  // Calls keep the order of their lines.
  if (!run.backlog.empty()) makeHeldCalls(run, 0, true);
  if (calls::pushCall(calls, start, line_.second, res_.reporter) == nullptr) return;
  ++summary_.callsRead;
  trace_.callRead(line_.second, start);
}

std::int64_t RunSteps::readAheadHorizon(std::int64_t tick) {
  // Looked for again at most once a tick, and only when it comes close.
  constexpr std::int64_t kCloseAhead = 64;
  if (horizonFoundAt_ == tick || horizon_ >= tick + kCloseAhead) return horizon_;
  horizonFoundAt_ = tick;
  // A source runs out of calls, or reads holding nothing, only after its calls have all
  // ended, so after the latest start it read; latest starts never go back.
  std::int64_t horizon = std::numeric_limits<std::int64_t>::max();
  for (const SourceRun& run : sources_) horizon = std::min(horizon, run.latestStart);
  horizon_ = horizon == kNoStart ? kNoStart : horizon - 1;
  return horizon_;
}

std::int64_t RunSteps::readAhead(std::size_t i, std::int64_t tick, std::int64_t through) {
  SourceRun& run = sources_[i];
  // Clocks stay clear of wrapping, so that they are the ticks themselves.
  through = std::min<std::int64_t>(through, LineBacklog::kLatestHeldClock - 1);
  std::int64_t at = tick + 1;
  for (; at <= through; ++at) {
    if (!calls::readCallLine(*run.source, line_)) {
      run.exhausted = true;
      break;
    }
    // A line held is taken as its own step would take it; any other waits for that step.
    const std::int32_t start = wrappingAdd(run.backlog.newestStart(), line_.first);
    if (!run.backlog.canHold(start, line_.second, clockOf(at))) {
      run.pending = true;
      run.pendingLine = line_;
      break;
    }
    takeLine(run, at);
  }
  return at - 1;
}

void RunSteps::makeHeldCalls(SourceRun& run, std::int32_t now, bool all) {
  while (!run.backlog.empty() && (all || run.backlog.oldestStart() <= now)) {
    std::int32_t start = 0;
    std::int32_t duration = 0;
    run.backlog.take(start, duration);
    if (calls::pushCall(run.source->calls, start, duration, res_.reporter) == nullptr) {
      --summary_.callsRead;
    }
  }
}

void RunSteps::startCall(std::size_t i, ViewSync& sync, calls::Call& call, std::int64_t tick) {
  calls::CallSource& source = *sources_[i].source;
  views_.check(sync, tick);
  views_.use(sync);
  network::LinkTable& view = *sync.table;
  CallOutcome outcome;
  if (door_.choosesPaths() || door_.assignsWavelengths()) door_.begin(i, source, tick);
  if (door_.choosesPaths()) {
    outcome.policyError =
        door_.choosePath(sync, source, call.path) == PolicyDoor::Answer::kPolicyError;
  } else {
    call.path = calls::choosePath(settings_.pathPolicy, settings_.pathCount, source,
                                  sources_[i].routes, view, res_.random);
  }
  trace_.callStarts(call);
  outcome.hasPath = call.path != nullptr;
  if (outcome.hasPath && !assign(source, sync, call, outcome) && !outcome.policyError) {
    ++summary_.callsBlocked;
    outcome.blockedByAssignment = true;
  }
  calls::markStarted(source.calls, call);
  ++summary_.callsStarted;
  if (outcome.policyError) {
    // Nothing is reserved for an answer that failed the checks.
    ++summary_.policyErrors;
  } else if (!outcome.hasPath) {
    ++summary_.callsWithoutPath;
    res_.reporter.reportError(1001);
  } else {
    const PathHops& hops = views_.hopsOf(*call.path);
    outcome.refusedHops = ledger_.reserve(call, hops, view, tick);
    if (outcome.refusedHops > 0) ++summary_.callsWithUpdateError;
  }
  if (res_.observer != nullptr) res_.observer->callStarted(i, tick, outcome);
}

// False when the call is blocked, by the assignment or as a policy error.
bool RunSteps::assign(const calls::CallSource& source, ViewSync& sync, calls::Call& call,
                      CallOutcome& outcome) {
  bool carried = false;
  if (door_.assignsWavelengths()) {
    const PolicyDoor::Answer answer =
        door_.assign(sync, source, *call.path, workspace_.hops, workspace_.blocked);
    carried = answer == PolicyDoor::Answer::kGiven;
    outcome.policyError = answer == PolicyDoor::Answer::kPolicyError;
    const calls::BlockedAt& at = workspace_.blocked;
    if (answer == PolicyDoor::Answer::kNone && at.cause >= 0 && at.cause < 4)
      calls::recordBlocking(res_.blockingTypes[at.cause], at.from, at.to, res_.reporter);
  } else {
    carried = calls::assignWavelengths(workspace_, *sync.table, *call.path,
                                       std::span(net_.wavelengthOrder), res_.blockingTypes,
                                       res_.reporter, views_.hopsOf(*call.path).inView);
  }
  if (!carried) {
    trace_.blocked();
    outcome.blocked = workspace_.blocked;
  }
  if (!workspace_.hops.empty()) spareHops_.lend(call.hops);
  calls::copyHops(workspace_.hops, call.hops, res_.reporter);
  calls::freeHops(workspace_.hops);
  return carried;
}

void RunSteps::endCall(ViewSync& sync, calls::Call& call, std::int64_t tick) {
  trace_.callEnds(call);
  if (call.path == nullptr) return;
  if (anyReserved(call)) views_.use(sync);
  ledger_.release(call, views_.hopsOf(*call.path), *sync.table, tick);
}

RunSummary RunSteps::finish(std::int64_t ticks) {
  summary_.ticks = ticks;
  summary_.firstPolicyError = door_.firstPolicyError();
  door_.release();
  if (res_.observer != nullptr) res_.observer->runEnded(ticks);
  for (int i = 0; i < calls::kBlockingTypeCount; ++i) {
    summary_.blockingTotals[i] =
        std::max<std::int64_t>(calls::blockingTotal(res_.blockingTypes[i]), 0);
  }
  trace_.report(res_.blockingTypes);
  if (res_.keys != nullptr) {
    res_.keys->discardPending();
    res_.keys->readKey();
  }
  cleanUp();
  return summary_;
}

void RunSteps::cleanUp() {
  for (calls::BlockingType& type : res_.blockingTypes) calls::freeBlockingEvents(type);
  releaseCallSources(net_, res_);
  // Pairing again gives the later link of each pair the earlier one's regenerators, as
  // after loading, so every run starts from the same live state.
  network::copyLinksPaired(net_.loadedTable, net_.liveTable, res_.reporter);
}

}  // namespace run
