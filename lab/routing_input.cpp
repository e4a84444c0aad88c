#include "lab/routing_input.h"

#include <chrono>
#include <memory>

#include "experiment/experiment.h"
#include "experiment/paths_file.h"
#include "experiment/sha256.h"
#include "lab/lab_files.h"

namespace lab {

experiment::RoutingChoice routingOf(const std::string& option, const std::string& topologyText,
                                    const base::Config& config, LabIo& io) {
  experiment::RoutingChoice routing;
  const std::optional<std::string> file = experiment::pathsFileOfName(option);
  if (!file) {
    routing.kind = experiment::routingFromName(option).value_or(session::Routing::kConsole);
    return routing;
  }
  const auto began = std::chrono::steady_clock::now();
  const std::string text = readFile(*file, "paths file");
  experiment::ExperimentPlan plan;
  plan.topology = topologyText;
  plan.config = config;
  session::GivenPaths given;
  try {
    given = experiment::readPathsFile(text, experiment::planRoutes(plan));
  } catch (const experiment::PathsFileError& error) {
    throw UsageError(*file + (error.line == 0 ? ": " : " ") + error.what());
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  routing.kind = session::Routing::kGiven;
  routing.file = *file;
  routing.sha256 = experiment::sha256Hex(text);
  routing.paths = std::make_shared<const routing::PathCatalogue>(experiment::pathCatalogue(given));
  routing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::size_t beyond = 0;
  for (const auto& [pair, paths] : given) {
    if (paths.size() > static_cast<std::size_t>(config.pathCount)) ++beyond;
  }
  if (beyond > 0) {
    io.err << "wrnsim-lab: note: " << *file << " gives " << beyond
           << (beyond == 1 ? " pair" : " pairs") << " more paths than --paths " << config.pathCount
           << "; a run takes every path of a pair as a candidate\n";
  }
  return routing;
}

std::string routingProvenance(const experiment::RoutingChoice& routing) {
  const std::string name = experiment::routingName(routing);
  return routing.kind == session::Routing::kGiven ? name + " sha256 " + routing.sha256 : name;
}

}  // namespace lab
