#include "lab/run_steps.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "lab/lab_files.h"
#include "lab/machine_fit.h"
#include "lab/named_results.h"
#include "lab/routing_input.h"
#include "lab/traffic_options.h"

namespace lab {

namespace {

std::vector<experiment::SourcePlan> listedSources(const std::vector<std::string>& words) {
  std::vector<experiment::SourcePlan> sources;
  for (std::size_t i = 0; i + 2 < words.size(); i += 3) {
    experiment::SourcePlan source;
    try {
      std::size_t used = 0;
      source.origin = std::stoi(words[i], &used);
      if (used != words[i].size()) throw std::invalid_argument("origin");
      source.destination = std::stoi(words[i + 1], &used);
      if (used != words[i + 1].size()) throw std::invalid_argument("destination");
    } catch (const std::logic_error&) {
      throw UsageError("--pair takes ORIGIN DESTINATION CALLFILE with whole node numbers, not '" +
                       words[i] + " " + words[i + 1] + "'");
    }
    if (source.origin == source.destination) {
      throw UsageError("--pair " + words[i] + " " + words[i + 1] +
                       ": the origin and the destination must be two different nodes");
    }
    source.calls = readFile(words[i + 2], "call file");
    sources.push_back(std::move(source));
  }
  return sources;
}

}  // namespace

RunPolicies checkRunOptions(const RunOptions& options) {
  if (options.pairs.empty() && !options.allPairs && options.trafficFile.empty()) {
    throw UsageError(
        "give at least one --pair ORIGIN DESTINATION CALLFILE, --all-pairs or --traffic FILE");
  }
  if (options.allPairs && !options.trafficFile.empty()) {
    throw UsageError("--all-pairs and --traffic both say the generated traffic: give one");
  }
  if (options.allPairs && options.load <= 0.0) {
    throw UsageError("--all-pairs needs --load, the offered load per pair in Erlang (> 0)");
  }
  if (options.loadGiven && !options.allPairs && options.trafficFile.empty()) {
    throw UsageError(
        "--load sets generated traffic (--all-pairs or --traffic); sources given with --pair "
        "read their calls from their files");
  }
  if (options.trace && options.json && options.output.empty()) {
    throw UsageError("--trace and --json both write to standard output: add --output FILE");
  }
  if (options.policyGiven && !options.pathPolicy.empty()) {
    throw UsageError("--policy and --path-policy both say the path policy: give one");
  }
  try {
    RunPolicies policies;
    policies.path = experiment::choosePathPolicy(options.pathPolicy.empty()
                                                     ? std::to_string(options.config.pathPolicy)
                                                     : options.pathPolicy);
    policies.wavelength = experiment::chooseWavelengthPolicy(
        options.wavelengthPolicy.empty() ? experiment::kBuiltinWavelengthRule
                                         : options.wavelengthPolicy);
    return policies;
  } catch (const experiment::PolicyChoiceError& error) {
    throw UsageError(error.what());
  }
}

PlannedRun planRun(const RunOptions& options, const RunPolicies& policies,
                   const TopologyInput& topology, bool record, LabIo& io) {
  PlannedRun run;
  experiment::ExperimentPlan& plan = run.plan;
  plan.topology = topology.conText;
  plan.config = options.config;
  if (policies.path.builtin != 0) plan.config.pathPolicy = policies.path.builtin;
  plan.policies = experiment::policyMakers(policies.path, policies.wavelength);
  plan.sources = listedSources(options.pairs);
  plan.warmup = options.warmup;
  plan.routing = routingOf(options.routing, plan.topology, options.config, io);
  RunLabel& label = run.label;
  label.topology = options.topology;
  label.topologySha256 = topology.sha256;
  label.commandLine = io.commandLine;
  label.policies = {policies.path, policies.wavelength};
  if (options.allPairs) {
    experiment::TrafficModel model = trafficForLoad(options.traffic, options.load);
    model.seed = options.seed;
    plan.allPairs = model;
    label.load = options.load;
    label.traffic = model;
  }
  if (!options.trafficFile.empty()) {
    const TrafficFile file = readTrafficMatrix(options.trafficFile);
    plan.matrix = file.pairs;
    if (options.loadGiven) {
      plan.matrix = experiment::scaledToMean(plan.matrix, options.load);
      label.load = options.load;
    }
    for (const experiment::PairLoad& pair : plan.matrix) {
      if (pair.load > 0.0) trafficForLoad(options.traffic, pair.load);
    }
    plan.matrixTraffic = trafficModel(options.traffic);
    plan.matrixTraffic.seed = options.seed;
    label.traffic = plan.matrixTraffic;
    label.trafficFile = options.trafficFile;
    label.trafficSha256 = file.sha256;
  }
  refuseEmptyWarmup(plan);
  run.demand = refuseUnfit(plan, record, 1, io.memory);
  return run;
}

experiment::ExperimentResult runPlanned(PlannedRun& run, std::ostream* trace,
                                        experiment::RunProgress* progress) {
  try {
    run.plan.routing =
        experiment::routedOnce(run.plan, std::max(1u, std::thread::hardware_concurrency()));
    errno = 0;
    // One run: all of Kdl's paths would otherwise be held twice while it runs.
    return experiment::runExperimentOnce(run.plan, trace, progress);
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
}

nlohmann::json runRecord(const PlannedRun& run, const TopologyInput& topology,
                         const experiment::ExperimentResult& result) {
  nlohmann::json record = runToJson(run.plan, run.label, result);
  addNodeNames(record, topology);
  return record;
}

}  // namespace lab
