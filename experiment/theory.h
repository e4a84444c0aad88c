// The loss network a lab run is, where theory covers it: full wavelength conversion (a
// regenerator for every circuit wherever a call may change wavelength), one candidate path
// per pair and views refreshed at every call. Its routes are the paths the
// simulator would use, its links the fibres those paths share.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/config.h"
#include "experiment/loss_network.h"
#include "experiment/routing_choice.h"
#include "experiment/traffic_matrix.h"

namespace experiment {

// The settings or the network are outside what the theory covers; the message says why.
struct TheoryError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TheoryRoute {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  // Nodes, origin first.
  std::vector<std::int32_t> path;
};

struct TheoryLink {
  // The lower-numbered end first; the link stands for both directions, which share fibres.
  std::int32_t from = 0;
  std::int32_t to = 0;
};

struct TheoryNetwork {
  std::int32_t nodeCount = 0;
  // network.routes[i] is routes[i]; network.capacities[j] is links[j] (wavelengths x fibres).
  LossNetwork network;
  std::vector<TheoryRoute> routes;
  std::vector<TheoryLink> links;
};

// The loss network of the topology text under `config`, with a route per pair of `pairs`
// whose load is above 0, on the first path `routing` finds for it. Throws TheoryError when the
// interval is not 0, the paths not 1, wavelengths x fibres exceed 100,000, a pair has no path, or a
// link that a route uses after its first hop has, in that direction, fewer regenerators than
// wavelengths x fibres (in the file or in the running network); ExperimentError for a topology or
// pair a run would refuse.
TheoryNetwork theoryNetwork(const std::string& topology, const base::Config& config,
                            const std::vector<PairLoad>& pairs, const RoutingChoice& routing = {});

// Every ordered pair of distinct nodes of the topology offered `load`.
std::vector<PairLoad> allPairLoads(const std::string& topology, const base::Config& config,
                                   double load);

}  // namespace experiment
