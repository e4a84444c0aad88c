#include "lab/theory_command.h"

#include <iomanip>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "experiment/experiment.h"
#include "experiment/loss_network.h"
#include "experiment/routing_choice.h"
#include "experiment/theory.h"
#include "lab/lab_files.h"
#include "lab/routing_input.h"
#include "lab/topology_input.h"
#include "lab/traffic_options.h"

namespace lab {

namespace {

std::string pathText(const std::vector<std::int32_t>& path) {
  std::ostringstream text;
  for (std::size_t k = 0; k < path.size(); ++k) text << (k == 0 ? "" : " ") << path[k];
  return text.str();
}

std::string pairText(const experiment::TheoryRoute& route) {
  return std::to_string(route.origin) + "-" + std::to_string(route.destination);
}

struct Answer {
  experiment::TheoryNetwork theory;
  experiment::FixedPoint fixedPoint;
  std::optional<experiment::ExactBlocking> exact;
};

nlohmann::json answerJson(const TheoryOptions& options, const std::string& topologySha256,
                          const experiment::RoutingChoice& routing, const Answer& answer) {
  nlohmann::json document;
  document["topology"] = {{"file", options.topology}, {"sha256", topologySha256}};
  document["nodes"] = answer.theory.nodeCount;
  document["settings"] = {{"lambdas", options.config.lambdaCount},
                          {"fibres", options.config.fiberCount},
                          {"paths", options.config.pathCount},
                          {"max_shared", options.config.maxCoincidences},
                          {"policy", options.config.pathPolicy},
                          {"interval", options.config.updateInterval},
                          {"routing", options.routing}};
  if (!routing.sha256.empty()) document["settings"]["paths_file_sha256"] = routing.sha256;
  document["load"] = options.loadGiven ? nlohmann::json(options.load) : nlohmann::json(nullptr);
  document["traffic_file"] =
      options.trafficFile.empty() ? nlohmann::json(nullptr) : nlohmann::json(options.trafficFile);
  const experiment::FixedPoint& point = answer.fixedPoint;
  document["fixed_point"] = {
      {"blocking", point.totalBlocking},
      {"iterations", point.iterations},
      {"converged", point.converged},
      {"method", experiment::kFixedPointMethod},
      {"tolerance", experiment::kFixedPointTolerance},
      {"max_iterations", experiment::kMostFixedPointSweeps},
      {"last_change", point.change},
      {"damped_from", point.dampedFrom > 0 ? nlohmann::json(point.dampedFrom) : nlohmann::json()},
      {"step", point.step}};
  if (answer.exact) {
    document["exact"] = {{"blocking", answer.exact->totalBlocking},
                         {"states", answer.exact->states},
                         {"state_limit", experiment::kMostExactStates}};
  } else {
    document["exact"] = nullptr;
  }
  nlohmann::json routes = nlohmann::json::array();
  const experiment::TheoryNetwork& theory = answer.theory;
  for (std::size_t r = 0; r < theory.routes.size(); ++r) {
    nlohmann::json route = {{"origin", theory.routes[r].origin},
                            {"destination", theory.routes[r].destination},
                            {"path", theory.routes[r].path},
                            {"load", theory.network.routes[r].load},
                            {"fixed_point", answer.fixedPoint.routeBlocking[r]}};
    route["exact"] =
        answer.exact ? nlohmann::json(answer.exact->routeBlocking[r]) : nlohmann::json(nullptr);
    routes.push_back(route);
  }
  document["routes"] = routes;
  nlohmann::json links = nlohmann::json::array();
  for (std::size_t j = 0; j < theory.links.size(); ++j) {
    links.push_back({{"from", theory.links[j].from},
                     {"to", theory.links[j].to},
                     {"circuits", theory.network.capacities[j]},
                     {"fixed_point", answer.fixedPoint.linkBlocking[j]}});
  }
  document["links"] = links;
  return document;
}

void printAnswer(std::ostream& out, const TheoryOptions& options, const Answer& answer) {
  const experiment::TheoryNetwork& theory = answer.theory;
  out << "topology              " << options.topology << " (" << theory.nodeCount << " nodes, "
      << theory.routes.size() << (theory.routes.size() == 1 ? " route on " : " routes on ")
      << theory.links.size() << (theory.links.size() == 1 ? " link of " : " links of ")
      << options.config.lambdaCount * options.config.fiberCount
      << (options.config.lambdaCount * options.config.fiberCount == 1 ? " circuit)\n"
                                                                      : " circuits)\n");
  out << "routing               " << options.routing << '\n';
  if (!options.trafficFile.empty()) {
    out << "traffic file          " << options.trafficFile;
    if (options.loadGiven) out << " scaled to " << options.load << " Erlang per pair";
    out << '\n';
  } else {
    out << "offered load per pair " << options.load << " Erlang\n";
  }
  out << std::setprecision(6) << "fixed point blocking  " << answer.fixedPoint.totalBlocking;
  if (answer.fixedPoint.converged) {
    out << " (converged in " << answer.fixedPoint.iterations << " iterations)\n";
  } else {
    out << " (NOT converged after " << answer.fixedPoint.iterations << " iterations)\n";
  }
  out << "fixed point method    " << experiment::kFixedPointMethod << ", tolerance "
      << experiment::kFixedPointTolerance;
  if (answer.fixedPoint.dampedFrom > 0) {
    out << " (damped from iteration " << answer.fixedPoint.dampedFrom << ", last step "
        << answer.fixedPoint.step << ")\n";
  } else {
    out << " (not damped)\n";
  }
  if (answer.exact) {
    out << "exact blocking        " << answer.exact->totalBlocking << " (" << answer.exact->states
        << " states)\n";
  }
  out << "\n"
      << std::left << std::setw(9) << "route" << std::right << std::setw(10) << "load"
      << std::setw(13) << "fixed point";
  if (answer.exact) out << std::setw(13) << "exact";
  out << "  path\n";
  for (std::size_t r = 0; r < theory.routes.size(); ++r) {
    out << std::left << std::setw(9) << pairText(theory.routes[r]) << std::right << std::setw(10)
        << theory.network.routes[r].load << std::setw(13) << answer.fixedPoint.routeBlocking[r];
    if (answer.exact) out << std::setw(13) << answer.exact->routeBlocking[r];
    out << "  " << pathText(theory.routes[r].path) << '\n';
  }
}

}  // namespace

int theoryCommand(const TheoryOptions& options, LabIo& io) {
  if (options.trafficFile.empty() && !options.loadGiven) {
    throw UsageError("give --load L (Erlang per ordered pair) or --traffic FILE");
  }
  const TopologyInput input = readTopology(options.topology);
  io.err << conversionSummary(options.topology, input);
  const std::string& topology = input.conText;
  std::vector<experiment::PairLoad> pairs;
  try {
    if (options.trafficFile.empty()) {
      pairs = experiment::allPairLoads(topology, options.config, options.load);
    } else {
      pairs = readTrafficMatrix(options.trafficFile).pairs;
      if (options.loadGiven) pairs = experiment::scaledToMean(pairs, options.load);
    }
    const experiment::RoutingChoice routing =
        routingOf(options.routing, topology, options.config, io);
    Answer answer{
        experiment::theoryNetwork(topology, options.config, pairs, routing), {}, std::nullopt};
    if (options.exact) {
      answer.exact = experiment::exactBlocking(answer.theory.network);
      if (!answer.exact) {
        std::ostringstream message;
        message << "--exact sums over every feasible state of the network, at most "
                << experiment::kMostExactStates
                << "; this network has more: leave out --exact for the fixed point alone";
        throw UsageError(message.str());
      }
    }
    answer.fixedPoint = experiment::erlangFixedPoint(answer.theory.network);
    std::ostringstream text;
    if (options.json) {
      text << answerJson(options, input.sha256, routing, answer).dump(2) << '\n';
    } else {
      printAnswer(text, options, answer);
    }
    writeOut(io, text.str());
    if (answer.fixedPoint.converged) return 0;
    io.err << "wrnsim-lab: " << experiment::notConvergedText(answer.fixedPoint)
           << "; try a lower --load, --routing k-shortest, or --exact on a small network\n";
    return 1;
  } catch (const experiment::TheoryError& error) {
    throw UsageError(error.what());
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
}

}  // namespace lab
