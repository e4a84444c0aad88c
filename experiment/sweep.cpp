#include "experiment/sweep.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <exception>
#include <mutex>
#include <thread>

#include "experiment/routing_choice.h"
#include "experiment/shell_words.h"

namespace experiment {

namespace {

// The shortest text that reads back as the same value.
std::string shortest(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::vector<SweepTask> sweepTasks(const SweepPlan& plan) {
  std::vector<SweepTask> tasks;
  for (const PointKey& point : sweepPoints(plan)) {
    for (std::uint64_t seed : plan.seeds) tasks.push_back({point, seed});
  }
  return tasks;
}

PointPolicies pointPolicies(const SweepPlan& plan, const PointKey& key) {
  PointPolicies policies;
  for (const PolicyChoice& path : plan.policies) {
    if (path.library ? path.name == key.pathPolicy : path.builtin == key.policy) {
      policies.path = path;
    }
  }
  for (const PolicyChoice& wavelength : plan.wavelengthPolicies) {
    if (wavelength.library ? wavelength.name == key.wavelengthPolicy : key.wavelengthPolicy.empty())
      policies.wavelength = wavelength;
  }
  if (policies.path.name.empty()) policies.path = choosePathPolicy(std::to_string(key.policy));
  if (policies.wavelength.name.empty())
    policies.wavelength = chooseWavelengthPolicy(kBuiltinWavelengthRule);
  return policies;
}

ExperimentPlan experimentOf(const SweepPlan& plan, const SweepTask& task) {
  ExperimentPlan experiment;
  experiment.topology = plan.topologyText;
  experiment.config = plan.config;
  const PointPolicies policies = pointPolicies(plan, task.key);
  experiment.config.pathPolicy = policies.path.builtin != 0 ? policies.path.builtin : 2;
  experiment.policies = policyMakers(policies.path, policies.wavelength);
  experiment.config.updateInterval = task.key.interval;
  TrafficModel traffic = plan.traffic;
  traffic.seed = task.seed;
  if (!plan.matrix.empty()) {
    experiment.matrix = scaledToMean(plan.matrix, task.key.load);
    experiment.matrixTraffic = traffic;
  } else {
    traffic.meanGap = meanGapForLoad(task.key.load, traffic.meanHolding);
    experiment.allPairs = traffic;
  }
  experiment.warmup = plan.warmup;
  experiment.routing = plan.routing;
  return experiment;
}

RoutingChoice routedOnce(const SweepPlan& plan, unsigned threads) {
  const std::vector<SweepTask> tasks = sweepTasks(plan);
  if (tasks.empty()) return plan.routing;
  // Every task has the same pairs: all of them, or the matrix's with a load at any scale.
  return routedOnce(experimentOf(plan, tasks.front()), threads);
}

std::vector<PointKey> sweepPoints(const SweepPlan& plan) {
  std::vector<PointKey> points;
  std::vector<PolicyChoice> wavelengths = plan.wavelengthPolicies;
  if (wavelengths.empty()) wavelengths.push_back(chooseWavelengthPolicy(kBuiltinWavelengthRule));
  for (double load : plan.loads) {
    for (const PolicyChoice& path : plan.policies) {
      for (const PolicyChoice& wavelength : wavelengths) {
        for (std::int32_t interval : plan.intervals) {
          points.push_back({load, path.builtin, interval, path.library ? path.name : "",
                            wavelength.library ? wavelength.name : ""});
        }
      }
    }
  }
  return points;
}

std::vector<SeedRun> runSweep(const SweepPlan& plan, unsigned threads,
                              const std::function<void(const SweepTask&)>& done) {
  return runTasks(plan, sweepTasks(plan), threads, done);
}

std::vector<SeedRun> runTasks(const SweepPlan& plan, const std::vector<SweepTask>& tasks,
                              unsigned threads, const std::function<void(const SweepTask&)>& done,
                              const ResultSink& sink) {
  std::vector<SeedRun> runs(tasks.size());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr firstError;
  std::mutex mutex;
  auto work = [&] {
    for (std::size_t i = next++; i < tasks.size() && !failed; i = next++) {
      try {
        const ExperimentPlan experiment = experimentOf(plan, tasks[i]);
        const ExperimentResult result = runExperiment(experiment);
        if (sink) {
          std::lock_guard lock(mutex);
          sink(tasks[i], experiment, result);
        }
        runs[i] = SeedRun{tasks[i].key,
                          tasks[i].seed,
                          result.offered,
                          result.carried,
                          result.blockingProbability,
                          result.seconds,
                          result.blocked,
                          result.causes,
                          result.routingSeconds};
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!firstError) firstError = std::current_exception();
        failed = true;
        return;
      }
      std::lock_guard lock(mutex);
      if (done) done(tasks[i]);
    }
  };
  std::vector<std::jthread> pool;
  const unsigned count =
      std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(tasks.size())));
  for (unsigned t = 0; t < count; ++t) pool.emplace_back(work);
  pool.clear();
  if (firstError) std::rethrow_exception(firstError);
  return runs;
}

std::string jobLine(const SweepPlan& plan, const SweepTask& task, std::size_t index,
                    const std::string& program, const std::string& resultsDir) {
  const base::Config& config = plan.config;
  const TrafficModel& traffic = plan.traffic;
  const std::vector<std::string> words = {
      program,
      "run",
      "--topology",
      plan.topologyPath,
      "--lambdas",
      std::to_string(config.lambdaCount),
      "--fibres",
      std::to_string(config.fiberCount),
      "--paths",
      std::to_string(config.pathCount),
      "--max-shared",
      std::to_string(config.maxCoincidences),
      "--routing",
      routingName(plan.routing),
      "--interval",
      std::to_string(task.key.interval),
      "--load",
      shortest(task.key.load),
      "--holding",
      std::string(holdingName(traffic.holding)),
      "--mean-holding",
      shortest(traffic.meanHolding),
      "--calls",
      std::to_string(traffic.count),
      "--seed",
      std::to_string(task.seed),
      "--warmup",
      std::to_string(plan.warmup),
      "--json",
      "--output",
      resultsDir + "/point-" + std::to_string(index) + ".json",
  };
  std::vector<std::string> all = words;
  // The policies go before the interval, as run's options list them.
  const auto beforeInterval = [&all](std::initializer_list<std::string> option) {
    all.insert(std::find(all.begin(), all.end(), "--interval"), option);
  };
  if (task.key.pathPolicy.empty()) {
    beforeInterval({"--policy", std::to_string(task.key.policy)});
  } else {
    beforeInterval({"--path-policy", task.key.pathPolicy});
  }
  if (!task.key.wavelengthPolicy.empty()) {
    beforeInterval({"--wavelength-policy", task.key.wavelengthPolicy});
  }
  // The traffic's source goes before the load.
  const auto load = std::find(all.begin(), all.end(), "--load");
  if (plan.matrix.empty()) {
    all.insert(load, "--all-pairs");
  } else {
    all.insert(load, {"--traffic", plan.matrixPath});
  }
  return shellCommand(all);
}

}  // namespace experiment
