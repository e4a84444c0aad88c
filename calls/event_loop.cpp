#include "calls/event_loop.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "calls/source_schedule.h"
#include "calls/view_sync.h"

namespace calls {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

class EventLoop {
 public:
  explicit EventLoop(RunSteps& run) : run_(run) {}

  std::int64_t run() {
    const std::size_t count = run_.sourceCount();
    try {
      schedule_.emplace(count);
      due_.reserve(count);
      times_.resize(count);
    } catch (const std::bad_alloc&) {
      run_.reporter().reportError(1500);
      return 0;
    }
    for (std::size_t i = 0; i < count; ++i) schedule_->schedule(0, i);
    bool endMark = false;
    // The tick runs to its end after the end mark.
    while (!endMark && schedule_->takeNextTick(tick_, due_)) {
      for (std::size_t k = 0; k < due_.size(); ++k) {
        const std::size_t i = due_[k];
        if (k + 1 < due_.size()) run_.source(due_[k + 1]).calls.prefetch();
        if (stepSource(i)) {
          endMark = true;
        } else {
          schedule_->schedule(nextEventOf(i), i);
        }
      }
    }
    return tick_ + 1;
  }

 private:
  bool stepSource(std::size_t i) {
    if (run_.exhausted(i) && tick_ < times_[i].nextCallAt) {
      // Woken for its view only: no line to read, no call due, the list not empty.
      run_.stepViewOnly(i, tick_);
      return false;
    }
    return run_.step(i, tick_, &times_[i]);
  }

  // The next tick at which the source has something to do: a line to read, a call to start
  // or end, or (for the first source of its pair) a refresh of its view that must be copied.
  std::int64_t nextEventOf(std::size_t i) {
    CallTimes& times = times_[i];
    const CallList& calls = run_.source(i).calls;
    // A source whose calls have all ended finds its list empty at its next step.
    if (!run_.exhausted(i) || calls.empty()) {
      times.nextStartAt = times.nextEndAt = times.nextCallAt = tick_ + 1;
      return tick_ + 1;
    }
    // After a step for the view alone the calls are as they were.
    if (tick_ < times.nextCallAt) return withRefresh(i, times.nextCallAt);
    const std::int32_t now = clockOf(tick_);
    auto tickOf = [&](bool found, std::int32_t at) {
      if (!found) return kNever;
      return tick_ + std::max<std::int64_t>(std::int64_t{at} - now, 1);
    };
    std::int32_t start = 0;
    std::int32_t end = 0;
    const bool starts = calls.earliestWaitingStart(start);
    const bool ends = calls.earliestEnd(end);
    times.nextStartAt = tickOf(starts, start);
    times.nextEndAt = tickOf(ends, end);
    times.nextCallAt = std::min(times.nextStartAt, times.nextEndAt);
    return withRefresh(i, times.nextCallAt);
  }

  // The earlier of `callAt` and the refresh the source must wake for.
  std::int64_t withRefresh(std::size_t i, std::int64_t callAt) {
    const ViewSync& sync = run_.syncOf(i);
    if (i != sync.firstSource || run_.settings().updateInterval == 0) return callAt;
    return std::min(callAt, refreshToCopy(sync, i, callAt));
  }

  // The tick of the next refresh of the view that must be copied when it falls due; the
  // largest tick when none must be before the pair's next step at `callAt`.
  std::int64_t refreshToCopy(const ViewSync& sync, std::size_t i, std::int64_t callAt) const {
    const std::int32_t interval = run_.settings().updateInterval;
    const std::int32_t lastRefresh = sync.view->lastRefresh;
    const std::uint32_t due =
        static_cast<std::uint32_t>(lastRefresh) + static_cast<std::uint32_t>(interval);
    const auto clock = static_cast<std::uint32_t>(clockOf(tick_));
    // Not later than the first refresh: early only when the clock wraps at 32 bits.
    const std::int64_t firstDue = tick_ + (due > clock ? std::int64_t{due - clock} : 1);
    // Another source of the pair may read the view before `callAt`.
    if (i != sync.lastSource || firstDue >= callAt) return firstDue;
    // Alone on its view, the source reads it only from `callAt` on: of the refreshes before,
    // only the last needs its copy, and none if the check at `callAt` refreshes again.
    const std::int64_t from = tick_ + 1;
    const CheckResult until = applyRefreshChecks(lastRefresh, interval, clockOf(from),
                                                 static_cast<std::uint64_t>(callAt - from));
    if (!until.refreshed) return firstDue;
    if (refreshDue(clockOf(callAt), until.lastRefresh, interval)) return kNever;
    return from + static_cast<std::uint32_t>(static_cast<std::uint32_t>(until.lastRefresh) -
                                             static_cast<std::uint32_t>(clockOf(from)));
  }

  RunSteps& run_;
  std::optional<SourceSchedule> schedule_;
  std::vector<std::size_t> due_;
  std::vector<CallTimes> times_;
  std::int64_t tick_ = 0;
};

}  // namespace

std::int64_t runByEvents(RunSteps& run) {
  return EventLoop(run).run();
}

}  // namespace calls
