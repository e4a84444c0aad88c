#include "lab/sweep_steps.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "experiment/policy_choice.h"
#include "experiment/precision.h"
#include "lab/routing_input.h"
#include "lab/sweep_checks.h"
#include "lab/sweep_progress.h"
#include "lab/traffic_options.h"

namespace lab {

namespace {

// A value given twice would run the same seeds twice and count them as more data.
template <typename Value>
void refuseRepeats(const std::vector<Value>& values, const std::string& option) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (values[i] == values[j]) {
        std::ostringstream value;
        value << values[i];
        throw UsageError(option + " gives " + value.str() +
                         " twice: its runs would be the same runs counted again; give each "
                         "value once");
      }
    }
  }
}

// Each policy as named, refused before any run when it cannot be used or is given twice
// (`1` and `random` are one policy).
template <typename Choose>
std::vector<experiment::PolicyChoice> choosePolicies(const std::vector<std::string>& names,
                                                     const std::string& option, Choose choose) {
  std::vector<experiment::PolicyChoice> choices;
  std::vector<std::string> chosen;
  for (const std::string& name : names) {
    try {
      choices.push_back(choose(name));
    } catch (const experiment::PolicyChoiceError& error) {
      throw UsageError(option + ": " + error.what());
    }
    chosen.push_back(choices.back().name);
  }
  refuseRepeats(chosen, option);
  return choices;
}

}  // namespace

void checkSweepOptions(const SweepOptions& options) {
  refuseRepeats(options.loads, "--loads");
  refuseRepeats(options.intervals, "--intervals");
}

experiment::SweepPlan planSweep(const SweepOptions& options, const TopologyInput& topology,
                                LabIo& io) {
  experiment::SweepPlan plan;
  plan.topologyPath = options.topology;
  plan.topologyText = topology.conText;
  plan.config = options.config;
  plan.loads = options.loads;
  plan.policies = choosePolicies(options.policies, "--policies", experiment::choosePathPolicy);
  plan.wavelengthPolicies = choosePolicies(options.wavelengthPolicies, "--wavelength-policies",
                                           experiment::chooseWavelengthPolicy);
  plan.intervals = options.intervals;
  for (std::int64_t i = 0; i < options.seeds; ++i) {
    plan.seeds.push_back(options.firstSeed + static_cast<std::uint64_t>(i));
  }
  plan.traffic = trafficModel(options.traffic);
  plan.warmup = options.warmup;
  plan.routing = routingOf(options.routing, plan.topologyText, options.config, io);
  if (!options.trafficFile.empty()) {
    const TrafficFile file = readTrafficMatrix(options.trafficFile);
    plan.matrix = file.pairs;
    plan.matrixPath = options.trafficFile;
    plan.matrixSha256 = file.sha256;
  }
  for (double load : plan.loads) {
    if (plan.matrix.empty()) {
      trafficForLoad(options.traffic, load);
      continue;
    }
    for (const experiment::PairLoad& pair : experiment::scaledToMean(plan.matrix, load)) {
      if (pair.load > 0.0) trafficForLoad(options.traffic, pair.load);
    }
  }
  if (options.targetCi > 0.0 && options.seedsGiven) {
    throw UsageError("--seeds fixes the seeds per point and --target-ci chooses them: give one");
  }
  if (options.targetCi > 0.0 && !options.jobsFile.empty()) {
    throw UsageError(
        "--target-ci decides between runs whether to add seeds; it cannot be "
        "written as a jobs file");
  }
  if (!options.jobsFile.empty() && (!options.causesSvg.empty() || !options.recordsDir.empty())) {
    throw UsageError(!options.causesSvg.empty()
                         ? "--svg-causes is drawn from runs that --jobs-file does not make: give "
                           "it to collect with the records"
                         : "--records keeps runs that --jobs-file does not make: its command "
                           "lines write each run's record to --results-dir");
  }
  if (options.minSeeds > options.maxSeeds) {
    throw UsageError("--min-seeds " + std::to_string(options.minSeeds) + " is above --max-seeds " +
                     std::to_string(options.maxSeeds));
  }
  refuseEmptyWarmups(plan, options.targetCi > 0.0 ? options.maxSeeds : options.seeds);
  return plan;
}

SweepWork sweepWork(const experiment::SweepPlan& plan, const SweepOptions& options, bool records,
                    LabIo& io) {
  SweepWork work;
  work.tasks = experiment::sweepTasks(plan);
  work.threads =
      options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  // Runs made elsewhere are held to the clock alone.
  refuseUnfitSweep(plan, records,
                   std::min<unsigned>(work.threads, static_cast<unsigned>(work.tasks.size())),
                   options.jobsFile.empty() ? io.memory : 0);
  return work;
}

std::vector<experiment::SeedRun> runSweepWork(experiment::SweepPlan& plan, const SweepWork& work,
                                              const SweepOptions& options, LabIo& io,
                                              const experiment::ResultSink& sink) {
  try {
    plan.routing = experiment::routedOnce(plan, work.threads);
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  // A round of tasks with its own progress line.
  auto runRound = [&](const std::vector<experiment::SweepTask>& round) {
    SweepProgress progress(io.err, io.errIsTerminal && !options.quiet, round);
    try {
      std::vector<experiment::SeedRun> done = experiment::runTasks(
          plan, round, work.threads,
          [&progress](const experiment::SweepTask& task) { progress.runDone(task); }, sink);
      progress.finish();
      return done;
    } catch (const experiment::ExperimentError& error) {
      progress.finish();
      throw UsageError(error.what());
    }
  };
  if (options.targetCi <= 0.0) return runRound(work.tasks);
  const experiment::PrecisionGoal goal{options.targetCi, options.minSeeds, options.maxSeeds};
  const experiment::PrecisionOutcome outcome =
      experiment::runToPrecision(experiment::sweepPoints(plan), options.firstSeed, goal, runRound);
  for (const experiment::PointKey& point : outcome.unreached) {
    io.err << "policy " << experiment::policyColumn(point) << " with "
           << experiment::wavelengthColumn(point) << ", interval " << point.interval << ", load "
           << point.load << ": not within +-" << options.targetCi << " x its mean after "
           << std::max(options.minSeeds, options.maxSeeds) << " seeds\n";
  }
  if (!outcome.unreached.empty()) {
    io.err << outcome.unreached.size() << " of " << experiment::sweepPoints(plan).size()
           << " points did not reach the target; the others did\n";
  }
  return outcome.runs;
}

}  // namespace lab
