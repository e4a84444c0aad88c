// A circuit-switched loss network with fixed routes: links of whole capacities, routes
// that each hold one circuit on every link they list, Poisson offers in Erlang. Its
// blocking by the Erlang fixed point and, for small networks, exactly by the product form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// The fixed point's defaults: at most this many sweeps, converged once a full sweep would
// change no link's blocking by more than the tolerance.
inline constexpr std::int32_t kMostFixedPointSweeps = 10'000;
inline constexpr double kFixedPointTolerance = 1e-13;
// The damped step is never cut below this.
inline constexpr double kLeastFixedPointStep = 1.0 / 1024.0;

struct FixedPoint {
  // 1 - the product over the route's links of (1 - the link's blocking).
  std::vector<double> routeBlocking;
  // Erlang B of the load each link sees, thinned by the other links of each route.
  std::vector<double> linkBlocking;
  // The routes' blocked load over their offered load; 0 without load.
  double totalBlocking = 0.0;
  // Sweeps made; converged tells whether the last would have changed no link's blocking by
  // more than the tolerance (and then linkBlocking is the point it was made from).
  std::int32_t iterations = 0;
  bool converged = false;
  // The largest change in a link's blocking that the last sweep would have made in full.
  double change = 0.0;
  // The first damped sweep, 0 when every sweep moved all the way; the step of the last.
  std::int32_t dampedFrom = 0;
  double step = 1.0;
};

// The fixed point by repeated substitution from no blocking, damped after oscillation. The
// first two sweeps, and every sweep until the substitution swings back by most of its last
// change, set every link's blocking from the previous sweep's values, so that they are
// hand-computable steps. From then on a sweep moves each link's blocking `step` of the way
// to that value; the step halves (down to kLeastFixedPointStep) at each such swing and
// doubles again (up to 1) after a few sweeps without one. Stops once a full sweep would
// change no link's blocking by more than `tolerance` (converged), or after `maxIterations`
// sweeps.
FixedPoint erlangFixedPoint(const LossNetwork& network,
                            std::int32_t maxIterations = kMostFixedPointSweeps,
                            double tolerance = kFixedPointTolerance);

// How erlangFixedPoint works, in a few words for a reader of its figures.
inline constexpr const char* kFixedPointMethod = "repeated substitution, damped after oscillation";

// For a fixed point that did not converge: that it did not and how far it was, for a
// message (no capital, no full stop).
std::string notConvergedText(const FixedPoint& point, double tolerance = kFixedPointTolerance);

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
