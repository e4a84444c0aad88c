// A run whose path decisions are answered one at a time by the caller: the run stops at each
// starting call that needs a path, and goes on to the next when given the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "experiment/experiment.h"
#include "policy/policy.h"
#include "run/run_observer.h"

namespace experiment {

// How a call whose path was answered fared.
struct CallFate {
  bool carried = false;
  // When blocked, why: the column of kCauseNames the run's accounts count it under.
  std::optional<std::size_t> cause;
  // Whether the accounts count it (it started from the warm-up on).
  bool counted = false;
  // The run's own account of the call: the hop at fault, the hops the live network refused.
  run::CallOutcome outcome;
};

struct SteppedRunOptions {
  // A call whose pair has no candidate path can only be answered wrnsim::kNoPath. By
  // default the run answers it so itself, without stopping, and counts it in
  // callsPassedOver(); when set, such a call is a decision like any other.
  bool askWithoutCandidates = false;
};

// The plan's run, as runExperiment(plan) would run it with a path policy answering what the
// caller answers: the same calls, the same counts, the same result. The caller is the path
// policy (a path maker in the plan is not used); the wavelength policy is the plan's
// (plan.policies.wavelength, or the built-in rule). Every call that needs a path is a
// decision, warm-up calls too: counted() tells them apart.
//
// Objects are used from one thread at a time. The run itself goes on in a thread of its own,
// but only while the caller is inside start() or answer(); the two never run at once, so
// what the policy of a run may rely on (one call at a time, from one thread) still holds.
class SteppedRun {
 public:
  // No run: ended() is true and there is no result.
  SteppedRun();
  // start(plan, options).
  explicit SteppedRun(ExperimentPlan plan, SteppedRunOptions options = {});
  // Abandons the run in progress.
  ~SteppedRun();
  SteppedRun(const SteppedRun&) = delete;
  SteppedRun& operator=(const SteppedRun&) = delete;

  // Abandons the run in progress, if any, and starts the plan's, up to its first decision or
  // its end. Throws ExperimentError for a fault of the plan and run::PolicyFailure when a
  // policy cannot be made or throws; the object is then ended, without a result.
  void start(ExperimentPlan plan, SteppedRunOptions options = {});

  // Stops the run in progress where it is; nothing of it is kept, the object is ended
  // without a result. Harmless when ended.
  void abandon();

  // True when no decision waits: the run ended (with a result or not) or none started.
  bool ended() const { return request_ == nullptr; }

  // The decision waiting: the starting call and its pair's view (candidate paths and the
  // links as the pair's possibly stale view shows them). Valid until answer() or abandon();
  // throw std::logic_error when ended.
  const wrnsim::Call& call() const;
  const wrnsim::PairView& view() const;
  // Whether the accounts count the call waiting (it starts from the warm-up on).
  bool counted() const;

  // Answers the decision waiting with a position in view().paths() or wrnsim::kNoPath; any
  // other value blocks the call as a policy error, as a path policy's wrong answer does.
  // Runs on to the next decision or the end, and tells how the answered call fared. Throws
  // std::logic_error when ended, and run::PolicyFailure when the wavelength policy throws
  // (the object is then ended, without a result).
  CallFate answer(std::int32_t position);

  // Whether the run went to its end; then result() is what runExperiment would have given.
  bool finished() const { return result_ != nullptr; }
  // Throws std::logic_error when not finished.
  const ExperimentResult& result() const;

  // Decisions answered since start(), and calls without a candidate path answered
  // wrnsim::kNoPath without asking (see SteppedRunOptions); both include warm-up calls.
  std::int64_t decisions() const { return decisions_; }
  std::int64_t callsPassedOver() const;

  // What the run's thread shares with the caller: opaque to callers.
  struct Exchange;

 private:
  // Waits for the run's next decision or its end; at the end, rethrows how the run failed.
  void takeTurn();

  std::unique_ptr<Exchange> exchange_;
  const wrnsim::PathRequest* request_ = nullptr;
  std::unique_ptr<ExperimentResult> result_;
  std::int64_t decisions_ = 0;
  std::int64_t passedOver_ = 0;
};

}  // namespace experiment
