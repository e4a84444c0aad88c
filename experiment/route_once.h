// Candidate paths found once for every run that shares a network, routing and settings,
// instead of again in each run: on several threads, with the same paths whatever their count.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/config.h"
#include "experiment/routing_choice.h"
#include "run/run_loop.h"

namespace experiment {

struct ExperimentPlan;

using NodePair = std::pair<network::NodeId, network::NodeId>;

// Every ordered pair the plan's runs give a source (listed pairs, all pairs, the matrix's
// pairs with a load), each once, in increasing order.
std::vector<NodePair> plannedPairs(const ExperimentPlan& plan, std::int32_t nodeCount);

// `routing` with the paths of each pair found by its search on the loaded network, with
// the configuration's paths and shared links, exactly as a run's own search finds them, and
// the seconds it took. The console's search runs as a run has it: no key stops it.
// Throws std::bad_alloc when memory runs out.
RoutingChoice routeOnce(const run::NetworkState& network, const base::Config& config,
                        const RoutingChoice& routing, const std::vector<NodePair>& pairs,
                        unsigned threads);

}  // namespace experiment
