// A circuit-switched loss network with fixed routes: links of whole capacities, routes
// that each hold one circuit on every link they list, Poisson offers in Erlang. Its
// blocking by the Erlang fixed point and, for small networks, exactly by the product form.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace experiment {

struct LossRoute {
  // Positions in LossNetwork::capacities, each at most once.
  std::vector<std::size_t> links;
  // Erlang.
  double load = 0.0;
};

struct LossNetwork {
  // Circuits per link.
  std::vector<std::int32_t> capacities;
  std::vector<LossRoute> routes;
};

struct FixedPoint {
  // 1 - the product over the route's links of (1 - the link's blocking).
  std::vector<double> routeBlocking;
  // Erlang B of the load each link sees, thinned by the other links of each route.
  std::vector<double> linkBlocking;
  // The routes' blocked load over their offered load; 0 without load.
  double totalBlocking = 0.0;
  // Sweeps made; converged tells whether the last changed no link's blocking by more than
  // the tolerance.
  std::int32_t iterations = 0;
  bool converged = false;
};

// The fixed point by repeated substitution from no blocking: each sweep sets every link's
// blocking from the previous sweep's values (so that one sweep is one hand-computable
// step). Stops once no link's blocking changes by more than `tolerance`, or after
// `maxIterations` sweeps.
FixedPoint erlangFixedPoint(const LossNetwork& network, std::int32_t maxIterations = 10'000,
                            double tolerance = 1e-13);

// Exact blocking sums over the feasible route-occupancy states one by one; beyond this many
// it gives up.
inline constexpr std::int64_t kMostExactStates = 10'000'000;

struct ExactBlocking {
  // The stationary probability that a call of the route finds one of its links full.
  std::vector<double> routeBlocking;
  // As in FixedPoint.
  double totalBlocking = 0.0;
  // Feasible states summed over.
  std::int64_t states = 0;
};

// The product-form blocking, summed over every feasible state; none when the network has
// more than `mostStates` of them (at worst found out after summing that many).
std::optional<ExactBlocking> exactBlocking(const LossNetwork& network,
                                           std::int64_t mostStates = kMostExactStates);

}  // namespace experiment
