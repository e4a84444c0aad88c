#include "run/event_loop.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "run/source_schedule.h"
#include "run/view_sync.h"

namespace run {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kClockTicks = std::int64_t{1} << 32;

// The last tick of from..to at which a view refreshes, checking every tick as the sources
// do; none when it does not refresh.
std::int64_t lastRefreshIn(std::int32_t lastRefresh, std::int32_t interval, std::int64_t from,
                           std::int64_t to) {
  if (to - from < kClockTicks) {
    const CheckResult checks = applyRefreshChecks(lastRefresh, interval, clockOf(from),
                                                  static_cast<std::uint64_t>(to - from + 1));
    if (!checks.refreshed) return kNever;
    return from + static_cast<std::uint32_t>(static_cast<std::uint32_t>(checks.lastRefresh) -
                                             static_cast<std::uint32_t>(clockOf(from)));
  }
  // Clock values repeat every 2^32 ticks: look for it window by window from the end.
  for (std::int64_t end = to; end >= from;) {
    const std::int64_t start = std::max(from, end - kClockTicks + 1);
    const CheckResult before = applyRefreshChecks(lastRefresh, interval, clockOf(from),
                                                  static_cast<std::uint64_t>(start - from));
    const CheckResult window = applyRefreshChecks(before.lastRefresh, interval, clockOf(start),
                                                  static_cast<std::uint64_t>(end - start + 1));
    if (window.refreshed) {
      return start + static_cast<std::uint32_t>(static_cast<std::uint32_t>(window.lastRefresh) -
                                                static_cast<std::uint32_t>(clockOf(start)));
    }
    if (!before.refreshed) return kNever;
    end = start - 1;
  }
  return kNever;
}

// In the schedule every source has two entries: its view's wake-up (first sources of their
// pair only), which comes right before the source's own step within a tick.
std::size_t viewEntry(std::size_t source) {
  return 2 * source;
}
std::size_t stepEntry(std::size_t source) {
  return 2 * source + 1;
}

class EventLoop {
 public:
  explicit EventLoop(RunSteps& run) : run_(run), interval_(run.settings().updateInterval) {}

  std::int64_t run() {
    if (!prepare()) {
      run_.reporter().reportError(1500);
      return 0;
    }
    for (std::size_t i = 0; i < stepAt_.size(); ++i) scheduleStep(i, 0);
    bool endMark = false;
    // The tick runs to its end after the end mark.
    while (!endMark && schedule_->takeNextTick(tick_, due_)) {
      for (std::size_t k = 0; k < due_.size(); ++k) {
        const std::size_t entry = due_[k];
        const std::size_t i = entry / 2;
        if (k + 2 < due_.size()) run_.source(due_[k + 2] / 2).calls.prefetchHead();
        if (k + 1 < due_.size()) run_.source(due_[k + 1] / 2).calls.prefetch();
        if (entry == viewEntry(i)) {
          wakeView(i);
        } else if (stepSource(i)) {
          endMark = true;
        }
      }
    }
    return tick_ + 1;
  }

 private:
  bool prepare() {
    const std::size_t count = run_.sourceCount();
    try {
      schedule_.emplace(2 * count);
      due_.reserve(2 * count);
      times_.resize(count);
      stepAt_.assign(count, kNever);
      viewAt_.assign(count, kNever);
      plannedUse_.assign(count, kNever);
      // The sources of each pair, listed under the first of them.
      pairStart_.assign(count + 1, 0);
      for (std::size_t i = 0; i < count; ++i) ++pairStart_[run_.syncOf(i).firstSource + 1];
      for (std::size_t i = 0; i < count; ++i) pairStart_[i + 1] += pairStart_[i];
      pairSources_.resize(count);
      std::vector<std::size_t> filled(pairStart_.begin(), pairStart_.end() - 1);
      for (std::size_t i = 0; i < count; ++i) {
        pairSources_[filled[run_.syncOf(i).firstSource]++] = i;
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  void scheduleStep(std::size_t i, std::int64_t tick) {
    stepAt_[i] = tick;
    schedule_->schedule(tick, stepEntry(i));
  }

  // True when the source holds no call after its start pass.
  bool stepSource(std::size_t i) {
    stepAt_[i] = kNever;
    if (run_.step(i, tick_, &times_[i])) return true;
    scheduleStep(i, nextEventOf(i));
    planViewWake(run_.syncOf(i).firstSource);
    return false;
  }

  // The next tick at which the source has something to do: a line to read, a call to
  // start or end.
  std::int64_t nextEventOf(std::size_t i) {
    CallTimes& times = times_[i];
    const calls::CallList& calls = run_.source(i).calls;
    // A source whose calls have all ended finds its list empty at its next step.
    const bool readsAhead = !run_.exhausted(i) && run_.readsAhead(i);
    if ((!run_.exhausted(i) && !readsAhead) || !run_.holdsCalls(i)) {
      times.nextStartAt = times.nextEndAt = times.nextCallAt = tick_ + 1;
      return tick_ + 1;
    }
    const std::int32_t now = clockOf(tick_);
    auto tickOf = [&](bool found, std::int32_t at) {
      if (!found) return kNever;
      return tick_ + std::max<std::int64_t>(std::int64_t{at} - now, 1);
    };
    calls::CallList::Earliest earliest = calls.earliest();
    std::int32_t held = 0;
    if (run_.heldStart(i, held)) {
      earliest.start = earliest.starts ? std::min(earliest.start, held) : held;
      earliest.starts = true;
    }
    times.nextStartAt = tickOf(earliest.starts, earliest.start);
    times.nextEndAt = tickOf(earliest.ends, earliest.end);
    times.nextCallAt = std::min(times.nextStartAt, times.nextEndAt);
    if (!readsAhead) return times.nextCallAt;
    const std::int64_t through = std::min(times.nextCallAt - 1, run_.readAheadHorizon(tick_));
    return (through > tick_ ? run_.readAhead(i, tick_, through) : tick_) + 1;
  }

  // The pair's next step.
  std::int64_t pairUse(std::size_t first) const {
    std::int64_t use = kNever;
    for (std::size_t k = pairStart_[first]; k < pairStart_[first + 1]; ++k) {
      use = std::min(use, stepAt_[pairSources_[k]]);
    }
    return use;
  }

  // A view's copy of the live network must be taken at its last refresh before the pair
  // next reads it (at `use`), at the place of the pair's first source in that tick: other
  // pairs may change the live network from then on. The tick of that wake-up; none when the
  // first source's own step makes it or no refresh falls before.
  std::int64_t viewWakeBefore(std::size_t first, std::int64_t use) {
    if (use == kNever) return kNever;
    const ViewSync& sync = run_.syncOf(first);
    const std::int64_t from = sync.checkedThrough + 1;
    // Most steps see no refresh at all before the pair's next one.
    const std::uint32_t due =
        static_cast<std::uint32_t>(sync.view->lastRefresh) + static_cast<std::uint32_t>(interval_);
    const auto clock = static_cast<std::uint32_t>(clockOf(from));
    const std::int64_t firstDue = from + (clock >= due ? 0 : std::int64_t{due - clock});
    if (firstDue > use) return kNever;
    const std::int64_t wake =
        firstDue == use ? use : lastRefreshIn(sync.view->lastRefresh, interval_, from, use);
    if (wake == use && stepAt_[first] == use) return kNever;
    return wake;
  }

  // Wakes are planned after every step of the pair; they only move later as the pair's
  // steps do, so one planned earlier than needed is planned again when it comes.
  void planViewWake(std::size_t first) {
    if (interval_ == 0 || viewAt_[first] != kNever) return;
    const std::int64_t use = pairUse(first);
    const std::int64_t wake = viewWakeBefore(first, use);
    if (wake == kNever) return;
    assert(wake >= tick_ && "a view's refresh is never left uncopied");
    viewAt_[first] = wake;
    plannedUse_[first] = use;
    schedule_->schedule(wake, viewEntry(first));
  }

  void wakeView(std::size_t first) {
    viewAt_[first] = kNever;
    // Planned for the same next step of the pair, the wake-up is still the one needed.
    const std::int64_t use = pairUse(first);
    if (use == plannedUse_[first] || viewWakeBefore(first, use) == tick_) {
      run_.stepViewOnly(first, tick_);
    }
    planViewWake(first);
  }

  RunSteps& run_;
  std::int32_t interval_;
  std::optional<SourceSchedule> schedule_;
  std::vector<std::size_t> due_;
  std::vector<CallTimes> times_;
  // The tick each source's step, and each pair's view wake-up, waits for; kNever for none.
  std::vector<std::int64_t> stepAt_;
  std::vector<std::int64_t> viewAt_;
  // The pair's next step for which each wake-up was planned.
  std::vector<std::int64_t> plannedUse_;
  std::vector<std::size_t> pairStart_;
  std::vector<std::size_t> pairSources_;
  std::int64_t tick_ = 0;
};

}  // namespace

std::int64_t runByEvents(RunSteps& run) {
  return EventLoop(run).run();
}

}  // namespace run
