#include "experiment/run_account.h"

#include <algorithm>

#include "run/policy_door.h"

namespace experiment {

RunAccount::RunAccount(const std::vector<std::pair<std::int32_t, std::int32_t>>& sourcePairs,
                       const network::LinkTable& live, std::int64_t warmup)
    : live_(live), warmup_(std::max<std::int64_t>(warmup, 0)) {
  std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> index;
  for (const auto& pair : sourcePairs) index.emplace(pair, 0);
  for (auto& [pair, position] : index) {
    position = pairs_.size();
    pairs_.push_back(PairAccount{pair.first, pair.second, {}});
  }
  for (const auto& pair : sourcePairs) pairOfSource_.push_back(index.at(pair));
  std::int32_t arrays = 0;
  for (const network::Link& link : live.links()) {
    links_.push_back(LinkAccount{link.from, link.to, {}, 0, 0, 0.0});
    arrays = std::max(arrays, link.counterArray + 1);
    loadOfLink_.push_back(static_cast<std::size_t>(std::max(link.counterArray, 0)));
  }
  loads_.resize(static_cast<std::size_t>(arrays));
}

std::optional<std::size_t> blockingCause(const run::CallOutcome& outcome) {
  if (outcome.policyError) return kPolicyErrorColumn;
  if (!outcome.hasPath) return kWithoutPathColumn;
  if (outcome.blockedByAssignment) {
    const int cause = outcome.blocked.cause;
    if (cause >= 0 && cause < 4) return static_cast<std::size_t>(cause);
    if (cause == run::kNoAssignment) return kNoAssignmentColumn;
    return kAssignmentUnrecordedColumn;
  }
  if (outcome.refusedHops > 0) return kUpdateErrorColumn;
  return std::nullopt;
}

void RunAccount::callStarted(std::size_t source, std::int64_t tick,
                             const run::CallOutcome& outcome) {
  if (++started_ % kCallsPerReport == 0 && progress_ != nullptr) progress_->callsStarted(started_);
  if (tick < warmup_) return;
  const std::optional<std::size_t> cause = blockingCause(outcome);
  CallCounts& pair = pairs_[pairOfSource_[source]].calls;
  for (CallCounts* counts : {&totals_, &pair}) {
    ++counts->offered;
    if (!cause) {
      ++counts->carried;
      continue;
    }
    ++counts->blocked;
    ++causeCount(counts->causes, *cause);
    if (*cause == kUpdateErrorColumn) counts->causes.updateErrorHops += outcome.refusedHops;
  }
  if (outcome.policyError && outcome.blocked.from != network::kNoNode) {
    const std::ptrdiff_t at = live_.positionOf(outcome.blocked.from, outcome.blocked.to);
    if (at >= 0) ++links_[static_cast<std::size_t>(at)].policyErrors;
  }
  if (outcome.blockedByAssignment && outcome.blocked.cause >= 0 && outcome.blocked.cause < 4) {
    const std::ptrdiff_t at = live_.positionOf(outcome.blocked.from, outcome.blocked.to);
    if (at >= 0) {
      ++links_[static_cast<std::size_t>(at)]
            .blockingEvents[static_cast<std::size_t>(outcome.blocked.cause)];
    }
  }
}

void RunAccount::hopRefused(std::size_t liveLink, std::int64_t tick, int) {
  if (tick < warmup_) return;
  ++links_[liveLink].updateErrorHops;
}

void RunAccount::fibresChanged(std::size_t liveLink, int taken, std::int64_t tick) {
  Load& load = loads_[loadOfLink_[liveLink]];
  load.busy += taken;
  load.weightedTaken += taken * std::max(tick, warmup_);
}

void RunAccount::runEnded(std::int64_t ticks) {
  countedTicks_ = std::max<std::int64_t>(ticks - warmup_, 0);
  const double capacity =
      static_cast<double>(live_.lambdaCount()) * static_cast<double>(live_.fiberCount());
  const std::int64_t end = std::max(ticks, warmup_);
  for (std::size_t k = 0; k < links_.size(); ++k) {
    const double fibreTicks = capacity * static_cast<double>(countedTicks_);
    const Load& load = loads_[loadOfLink_[k]];
    const auto area = static_cast<double>(load.busy * end - load.weightedTaken);
    links_[k].meanOccupancy = fibreTicks > 0 ? area / fibreTicks : 0.0;
  }
}

}  // namespace experiment
