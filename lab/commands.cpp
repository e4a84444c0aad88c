// The gen and run commands.
#include "lab/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "experiment/blocking_curve.h"
#include "experiment/experiment.h"
#include "experiment/policy_choice.h"
#include "experiment/precision.h"
#include "experiment/sha256.h"
#include "experiment/sweep.h"
#include "lab/lab_files.h"
#include "lab/machine_fit.h"
#include "lab/named_results.h"
#include "lab/routing_input.h"
#include "lab/run_progress.h"
#include "lab/run_record.h"
#include "lab/svg_chart.h"
#include "lab/topology_input.h"
#include "lab/traffic_options.h"
#include "lab/version.h"

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

void printCandidateSummary(std::ostream& out, const RunOptions& options,
                           const experiment::ExperimentResult& r) {
  const experiment::CandidateSummary paths =
      experiment::summariseCandidates(r.candidates, options.config.pathCount);
  out << "routing               " << options.routing << '\n'
      << "candidate paths       " << paths.pairs << (paths.pairs == 1 ? " pair: " : " pairs: ")
      << paths.fewerThanAsked << " with fewer than " << options.config.pathCount << " distinct, "
      << paths.limited << " with the search stopped at its limit, " << paths.withoutPath
      << " without any\n";
}

void printSummary(std::ostream& out, const RunOptions& options, const TopologyInput& topology,
                  const RunLabel& label, const experiment::ExperimentResult& r) {
  const auto& totals = r.summary.blockingTotals;
  const std::string format = topology.format == "con" ? "" : topology.format + ", ";
  out << "topology              " << options.topology << " (" << format << r.nodeCount << " nodes, "
      << r.sourceCount << " sources)\n"
      << "calls offered         " << r.offered << '\n'
      << "calls carried         " << r.carried << '\n'
      << "calls blocked         " << r.blocked << '\n'
      << "  no wavelength (type 0)                  " << totals[calls::kNoWavelength] << '\n'
      << "  no regenerator (type 1)                 " << totals[calls::kNoRegenerator] << '\n'
      << "  no wavelength, no regenerator (type 2)  " << totals[calls::kNoWavelengthNoRegenerator]
      << '\n'
      << "  no wavelength, regenerator (type 3)     " << totals[calls::kNoWavelengthWithRegenerator]
      << '\n'
      << "  update error (type 4)                   " << r.summary.callsWithUpdateError
      << " calls, " << totals[calls::kUpdateError] << " hops\n"
      << "  without path                            " << r.summary.callsWithoutPath << '\n';
  if (r.causes.noAssignment > 0 || r.causes.policyError > 0) {
    out << "  no assignment                           " << r.causes.noAssignment << '\n'
        << "  policy error                            " << r.causes.policyError << '\n';
  }
  out << "blocking probability  ";
  if (r.blockingProbability) {
    out << std::setprecision(6) << *r.blockingProbability << '\n';
  } else {
    out << "none (no call offered)\n";
  }
  if (r.generatedLoad) out << "offered load per pair " << *r.generatedLoad << " Erlang\n";
  printCandidateSummary(out, options, r);
  out << "policies              path " << label.policies.path.name << ", wavelength "
      << label.policies.wavelength.name << '\n';
  out << "run time              " << std::fixed << std::setprecision(3) << r.seconds << " s ("
      << r.summary.ticks << " ticks)\n";
  if (r.routingSeconds) out << "routing time          " << *r.routingSeconds << " s\n";
  out << std::defaultfloat;
}

// The policies of a run: --policy N, or --path-policy and --wavelength-policy by name.
struct RunPolicies {
  experiment::PolicyChoice path;
  experiment::PolicyChoice wavelength;
};

RunPolicies runPolicies(const RunOptions& options) {
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

}  // namespace

int genCommand(const GenOptions& options, LabIo& io) {
  experiment::TrafficModel model = trafficModel(options.traffic);
  model.meanGap = options.meanGap;
  model.seed = options.seed;
  const std::string text = experiment::callFileText(experiment::generateCalls(model));
  if (options.output.empty()) {
    writeOut(io, text);
  } else {
    writeFile(options.output, text);
  }
  return 0;
}

int runCommand(const RunOptions& options, LabIo& io) {
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
  const RunPolicies policies = runPolicies(options);
  experiment::ExperimentPlan plan;
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  plan.topology = topology.conText;
  plan.config = options.config;
  if (policies.path.builtin != 0) plan.config.pathPolicy = policies.path.builtin;
  plan.policies = experiment::policyMakers(policies.path, policies.wavelength);
  plan.sources = listedSources(options.pairs);
  plan.warmup = options.warmup;
  plan.routing = routingOf(options.routing, plan.topology, options.config, io);
  RunLabel label;
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
  const experiment::RunDemand demand = refuseUnfit(plan, options.json, 1, io.memory);
  RunProgressLine progress(io.err, io.errIsTerminal && !options.quiet, demand.plannedCalls);
  experiment::ExperimentResult result;
  try {
    plan.routing = experiment::routedOnce(plan, std::max(1u, std::thread::hardware_concurrency()));
    errno = 0;
    result = experiment::runExperiment(plan, options.trace ? &io.out : nullptr, &progress);
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  progress.callsStarted(result.summary.callsStarted);
  progress.finish();
  if (result.summary.policyErrors > 0) {
    io.err << "wrnsim-lab: " << result.summary.policyErrors
           << (result.summary.policyErrors == 1 ? " call" : " calls")
           << " blocked as policy errors; the first: " << result.summary.firstPolicyError << '\n';
  }
  if (options.trace) checkOut(io);
  std::ostringstream text;
  // The summary starts on a line of its own after the trace's last line.
  if (options.trace && options.output.empty()) text << "\n";
  if (options.json) {
    nlohmann::json record = runToJson(plan, label, result);
    addNodeNames(record, topology);
    text << record.dump(2) << '\n';
  } else {
    printSummary(text, options, topology, label, result);
  }
  if (options.output.empty()) {
    writeOut(io, text.str());
  } else {
    writeFile(options.output, text.str());
  }
  return 0;
}

}  // namespace lab
