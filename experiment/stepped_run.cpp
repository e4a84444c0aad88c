#include "experiment/stepped_run.h"

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

#include "experiment/run_account.h"
#include "experiment/turns.h"

namespace experiment {

namespace {

// Thrown through the run to unwind it when the caller abandons it; never reaches a caller.
struct Abandoned {};

}  // namespace

// What the two threads share. Each side writes only while it holds the turn.
struct SteppedRun::Exchange : run::RunObserver {
  Turns turns;
  std::thread worker;
  SteppedRunOptions options;
  std::int64_t warmup = 0;
  // From the run: the decision waiting (none once the run has ended), how the run ended, and
  // how the call answered last fared.
  const wrnsim::PathRequest* request = nullptr;
  std::unique_ptr<ExperimentResult> result;
  std::exception_ptr failure;
  std::int64_t passedOver = 0;
  bool fateDue = false;
  CallFate fate;
  // From the caller.
  std::int32_t answer = wrnsim::kNoPath;
  bool abandoned = false;

  // The first call started after an answer is the call answered.
  void callStarted(std::size_t, std::int64_t tick, const run::CallOutcome& outcome) override {
    if (!fateDue) return;
    fateDue = false;
    fate.outcome = outcome;
    fate.cause = blockingCause(outcome);
    fate.carried = !fate.cause;
    fate.counted = tick >= warmup;
  }
  void hopRefused(std::size_t, std::int64_t, int) override {}
  void fibresChanged(std::size_t, int, std::int64_t) override {}
  void runEnded(std::int64_t) override {}
};

namespace {

// The path policy of the run's thread: hands each decision to the caller and waits.
class HandedOverPaths : public wrnsim::PathPolicy {
 public:
  explicit HandedOverPaths(SteppedRun::Exchange& exchange) : ex_(exchange) {}

  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    if (request.view.paths().empty() && !ex_.options.askWithoutCandidates) {
      ++ex_.passedOver;
      return wrnsim::kNoPath;
    }
    ex_.request = &request;
    ex_.turns.pass(Turns::Side::kCaller);
    ex_.turns.await(Turns::Side::kWorker);
    if (ex_.abandoned) throw Abandoned{};
    ex_.fateDue = true;
    ex_.fate = CallFate{};
    return ex_.answer;
  }

 private:
  SteppedRun::Exchange& ex_;
};

void runPlan(SteppedRun::Exchange& ex, const ExperimentPlan& plan) {
  try {
    ex.result = std::make_unique<ExperimentResult>(runExperiment(plan, nullptr, nullptr, &ex));
  } catch (...) {
    if (!ex.abandoned) ex.failure = std::current_exception();
  }
  ex.request = nullptr;
  ex.turns.pass(Turns::Side::kCaller);
}

}  // namespace

SteppedRun::SteppedRun() = default;

SteppedRun::SteppedRun(ExperimentPlan plan, SteppedRunOptions options) {
  start(std::move(plan), options);
}

SteppedRun::~SteppedRun() {
  abandon();
}

void SteppedRun::start(ExperimentPlan plan, SteppedRunOptions options) {
  abandon();
  result_.reset();
  decisions_ = 0;
  passedOver_ = 0;
  auto exchange = std::make_unique<Exchange>();
  Exchange& ex = *exchange;
  ex.options = options;
  ex.warmup = std::max<std::int64_t>(plan.warmup, 0);
  if (plan.policies.pathName.empty()) plan.policies.pathName = "agent";
  plan.policies.path = [&ex](const wrnsim::Settings&) {
    return std::make_unique<HandedOverPaths>(ex);
  };
  // The turn starts with the worker, which holds it until its first decision or its end.
  ex.worker = std::thread([&ex, plan = std::move(plan)] { runPlan(ex, plan); });
  exchange_ = std::move(exchange);
  takeTurn();
}

void SteppedRun::takeTurn() {
  Exchange& ex = *exchange_;
  ex.turns.await(Turns::Side::kCaller);
  request_ = ex.request;
  if (request_ != nullptr) return;
  ex.worker.join();
  passedOver_ = ex.passedOver;
  result_ = std::move(ex.result);
  const std::exception_ptr failure = ex.failure;
  exchange_.reset();
  if (failure) std::rethrow_exception(failure);
}

void SteppedRun::abandon() {
  if (!exchange_) return;
  Exchange& ex = *exchange_;
  if (request_ != nullptr) {
    request_ = nullptr;
    ex.abandoned = true;
    ex.turns.pass(Turns::Side::kWorker);
    ex.turns.await(Turns::Side::kCaller);
  }
  ex.worker.join();
  exchange_.reset();
}

const wrnsim::Call& SteppedRun::call() const {
  if (ended()) throw std::logic_error("the stepped run has no decision waiting");
  return request_->call;
}

const wrnsim::PairView& SteppedRun::view() const {
  if (ended()) throw std::logic_error("the stepped run has no decision waiting");
  return request_->view;
}

bool SteppedRun::counted() const {
  return call().tick >= exchange_->warmup;
}

CallFate SteppedRun::answer(std::int32_t position) {
  if (ended()) throw std::logic_error("the stepped run has no decision waiting");
  Exchange& ex = *exchange_;
  ex.answer = position;
  request_ = nullptr;
  ++decisions_;
  ex.turns.pass(Turns::Side::kWorker);
  ex.turns.await(Turns::Side::kCaller);
  const CallFate fate = ex.fate;
  takeTurn();
  return fate;
}

const ExperimentResult& SteppedRun::result() const {
  if (!result_) throw std::logic_error("the stepped run did not go to its end");
  return *result_;
}

std::int64_t SteppedRun::callsPassedOver() const {
  return exchange_ ? exchange_->passedOver : passedOver_;
}

}  // namespace experiment
