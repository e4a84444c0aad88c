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
#include "lab/run_steps.h"
#include "lab/svg_chart.h"
#include "lab/topology_input.h"
#include "lab/traffic_options.h"
#include "lab/version.h"

namespace lab {

namespace {

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
  const RunPolicies policies = checkRunOptions(options);
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  PlannedRun run = planRun(options, policies, topology, options.json, io);
  RunProgressLine progress(io.err, io.errIsTerminal && !options.quiet, run.demand.plannedCalls);
  const experiment::ExperimentResult result =
      runPlanned(run, options.trace ? &io.out : nullptr, &progress);
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
    text << runRecord(run, topology, result).dump(2) << '\n';
  } else {
    printSummary(text, options, topology, run.label, result);
  }
  if (options.output.empty()) {
    writeOut(io, text.str());
  } else {
    writeFile(options.output, text.str());
  }
  return 0;
}

}  // namespace lab
