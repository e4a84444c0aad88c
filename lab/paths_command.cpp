#include "lab/paths_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <set>
#include <thread>

#include "experiment/experiment.h"
#include "experiment/paths_file.h"
#include "experiment/routing_choice.h"
#include "lab/lab_files.h"
#include "lab/machine_fit.h"
#include "lab/run_progress.h"
#include "lab/run_record.h"
#include "lab/topology_input.h"
#include "lab/version.h"

namespace lab {

namespace {

std::int32_t nodeNumber(const std::string& word) {
  try {
    std::size_t used = 0;
    const int number = std::stoi(word, &used);
    if (used == word.size()) return number;
  } catch (const std::logic_error&) {
  }
  throw UsageError("--pair takes ORIGIN DESTINATION as whole node numbers, not '" + word + "'");
}

// Every ordered pair of distinct nodes when none is listed; a pair listed twice is asked once.
std::vector<experiment::SourcePlan> pairsOf(const PathsOptions& options, std::int32_t nodes) {
  std::vector<experiment::SourcePlan> sources;
  if (options.pairs.empty()) {
    for (std::int32_t origin = 0; origin < nodes; ++origin) {
      for (std::int32_t destination = 0; destination < nodes; ++destination) {
        if (origin != destination) sources.push_back({origin, destination, ""});
      }
    }
    return sources;
  }
  std::set<std::pair<std::int32_t, std::int32_t>> listed;
  for (std::size_t i = 0; i + 1 < options.pairs.size(); i += 2) {
    const std::int32_t origin = nodeNumber(options.pairs[i]);
    const std::int32_t destination = nodeNumber(options.pairs[i + 1]);
    if (origin == destination) {
      throw UsageError("--pair " + options.pairs[i] + " " + options.pairs[i + 1] +
                       ": the origin and the destination must be two different nodes");
    }
    if (listed.emplace(origin, destination).second) sources.push_back({origin, destination, ""});
  }
  return sources;
}

std::string plural(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void addPathsCommand(CLI::App& app, PathsOptions& options, bool& chosen) {
  CLI::App* paths = app.add_subcommand(
      "paths", "Write the candidate paths a routing finds, as the file --routing paths:FILE reads");
  paths
      ->add_option("--topology", options.topology,
                   "Topology file: .con, or .gml, .graphml, .txt/.sndlib, .xml, .csv (converted)")
      ->required();
  paths
      ->add_option("--routing", options.routing,
                   "The routing whose paths are written: console or k-shortest")
      ->capture_default_str();
  paths->add_option("--paths", options.config.pathCount, "Candidate paths per pair")
      ->check(CLI::Range(1, 1'000'000))
      ->capture_default_str();
  paths
      ->add_option("--max-shared", options.config.maxCoincidences,
                   "Largest number of links two candidate paths may share")
      ->check(CLI::Range(0, 1'000'000))
      ->capture_default_str();
  paths->add_flag("--all-pairs", options.allPairs,
                  "Every ordered pair of distinct nodes (the "
                  "default when no --pair is given)");
  paths->add_option("--pair", options.pairs, "A pair: ORIGIN DESTINATION (repeatable)")
      ->type_size(2)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  paths->add_option("-o,--output", options.output, "Output file (standard output if absent)");
  paths->add_flag("--quiet", options.quiet, "No progress on standard error");
  paths->callback([&chosen] { chosen = true; });
}

int pathsCommand(const PathsOptions& options, LabIo& io) {
  const std::optional<session::Routing> routing = experiment::routingFromName(options.routing);
  if (!routing) {
    throw UsageError(
        "paths writes the paths of a built-in routing: --routing console or "
        "k-shortest, not '" +
        options.routing + "'");
  }
  if (options.allPairs && !options.pairs.empty()) {
    throw UsageError("--all-pairs and --pair both say which pairs: give one");
  }
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  experiment::ExperimentPlan plan;
  plan.topology = topology.conText;
  plan.config = options.config;
  plan.routing.kind = *routing;
  experiment::PlannedRoutes routes;
  try {
    plan.sources = pairsOf(options, experiment::planRoutes(plan).nodeCount);
    refuseUnfit(plan, false, 1, io.memory);
    plan.routing = experiment::routedOnce(plan, std::max(1u, std::thread::hardware_concurrency()));
    RunProgressLine progress(io.err, io.errIsTerminal && !options.quiet, 0);
    routes = experiment::planRoutes(plan, &progress);
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  session::GivenPaths paths;
  std::size_t written = 0, without = 0, limited = 0;
  for (std::size_t i = 0; i < plan.sources.size(); ++i) {
    const experiment::PlannedRoutes::SourcePaths& found = routes.sources[i];
    auto& list = paths[{plan.sources[i].origin, plan.sources[i].destination}];
    for (const std::vector<std::int32_t>& path : found.paths) list.push_back(path);
    written += found.paths.size();
    if (found.paths.empty()) ++without;
    if (found.limited) ++limited;
  }
  const std::vector<std::string> header = {
      "wrnsim-lab " + versionText() + ": candidate paths of the " + options.routing + " routing",
      "network: " + options.topology + " sha256 " + topology.sha256 + ", " +
          std::to_string(routes.nodeCount) + " nodes",
      "routing: " + options.routing + ", --paths " + std::to_string(options.config.pathCount) +
          ", --max-shared " + std::to_string(options.config.maxCoincidences),
      "command: " + io.commandLine,
      "made: " + utcNow(),
      plural(plan.sources.size(), "pair", "pairs") + ", " + plural(written, "path", "paths") +
          "; " + std::to_string(without) + " without path, " + std::to_string(limited) +
          " with the search stopped at its limit",
      "A line is ORIGIN DESTINATION, then the path's nodes from ORIGIN to DESTINATION; a pair's",
      "lines go first choice first, and a run takes every one as a candidate.",
  };
  const std::string text = experiment::pathsFileText(header, paths);
  if (options.output.empty()) {
    writeOut(io, text);
  } else {
    writeFile(options.output, text);
  }
  io.err << plural(written, "path", "paths") << " of "
         << plural(plan.sources.size(), "pair", "pairs") << " written"
         << (options.output.empty() ? "" : " to " + options.output) << " (" << without
         << " without path, " << limited << " with the search stopped at its limit)\n";
  return 0;
}

}  // namespace lab
