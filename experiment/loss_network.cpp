#include "experiment/loss_network.h"

#include <algorithm>
#include <cmath>

#include "experiment/statistics.h"

namespace experiment {

namespace {

double totalOf(const LossNetwork& network, const std::vector<double>& routeBlocking) {
  double offered = 0.0;
  double blocked = 0.0;
  for (std::size_t r = 0; r < network.routes.size(); ++r) {
    offered += network.routes[r].load;
    blocked += network.routes[r].load * routeBlocking[r];
  }
  return offered > 0.0 ? blocked / offered : 0.0;
}

// Walks every feasible state route by route, carrying the free circuits left on each link
// and the state's weight.
class StateSum {
 public:
  StateSum(const LossNetwork& network, std::int64_t mostStates)
      : network_(network),
        mostStates_(mostStates),
        free_(network.capacities.begin(), network.capacities.end()),
        blocked_(network.routes.size(), 0.0) {
    // Each route's terms load^n / n! are scaled by their largest over the occupancies it
    // could reach, so that products of many of them stay within a double.
    for (const LossRoute& route : network.routes) {
      std::int32_t most = 0;
      if (!route.links.empty()) {
        most = network.capacities[route.links.front()];
        for (std::size_t link : route.links) most = std::min(most, network.capacities[link]);
      }
      std::vector<double> terms(static_cast<std::size_t>(most) + 1, 1.0);
      for (std::size_t n = 1; n < terms.size(); ++n) {
        terms[n] = terms[n - 1] * route.load / static_cast<double>(n);
      }
      const double largest = *std::max_element(terms.begin(), terms.end());
      for (double& term : terms) term /= largest;
      terms_.push_back(std::move(terms));
    }
  }

  std::optional<ExactBlocking> sum() {
    visit(0, 1.0);
    if (states_ > mostStates_) return std::nullopt;
    ExactBlocking result;
    result.states = states_;
    result.routeBlocking.resize(blocked_.size(), 0.0);
    for (std::size_t r = 0; r < blocked_.size(); ++r) {
      result.routeBlocking[r] = total_ > 0.0 ? blocked_[r] / total_ : 0.0;
    }
    result.totalBlocking = totalOf(network_, result.routeBlocking);
    return result;
  }

 private:
  bool full(const std::vector<std::size_t>& links) const {
    return std::any_of(links.begin(), links.end(), [&](std::size_t j) { return free_[j] == 0; });
  }

  void visit(std::size_t route, double weight) {
    if (states_ > mostStates_) return;
    if (route == network_.routes.size()) {
      ++states_;
      total_ += weight;
      for (std::size_t r = 0; r < network_.routes.size(); ++r) {
        if (full(network_.routes[r].links)) blocked_[r] += weight;
      }
      return;
    }
    const std::vector<std::size_t>& links = network_.routes[route].links;
    const std::vector<double>& terms = terms_[route];
    std::int32_t taken = 0;
    for (std::size_t n = 0; n < terms.size(); ++n) {
      if (n > 0) {
        if (full(links)) break;
        for (std::size_t j : links) --free_[j];
        ++taken;
      }
      visit(route + 1, weight * terms[n]);
    }
    for (std::size_t j : links) free_[j] += taken;
  }

  const LossNetwork& network_;
  std::int64_t mostStates_;
  std::vector<std::int32_t> free_;
  std::vector<std::vector<double>> terms_;
  std::vector<double> blocked_;
  double total_ = 0.0;
  std::int64_t states_ = 0;
};

}  // namespace

FixedPoint erlangFixedPoint(const LossNetwork& network, std::int32_t maxIterations,
                            double tolerance) {
  FixedPoint result;
  const std::size_t linkCount = network.capacities.size();
  result.linkBlocking.assign(linkCount, 0.0);
  std::vector<double> thinned(linkCount);
  while (!result.converged && result.iterations < maxIterations) {
    std::fill(thinned.begin(), thinned.end(), 0.0);
    for (const LossRoute& route : network.routes) {
      for (std::size_t j : route.links) {
        double reaching = route.load;
        for (std::size_t i : route.links) {
          if (i != j) reaching *= 1.0 - result.linkBlocking[i];
        }
        thinned[j] += reaching;
      }
    }
    double change = 0.0;
    for (std::size_t j = 0; j < linkCount; ++j) {
      const double next = erlangB(thinned[j], network.capacities[j]);
      change = std::max(change, std::abs(next - result.linkBlocking[j]));
      result.linkBlocking[j] = next;
    }
    ++result.iterations;
    result.converged = change <= tolerance;
  }
  for (const LossRoute& route : network.routes) {
    double carried = 1.0;
    for (std::size_t j : route.links) carried *= 1.0 - result.linkBlocking[j];
    result.routeBlocking.push_back(1.0 - carried);
  }
  result.totalBlocking = totalOf(network, result.routeBlocking);
  return result;
}

std::optional<ExactBlocking> exactBlocking(const LossNetwork& network, std::int64_t mostStates) {
  // Every state with at most C calls in all, C the smallest capacity, is feasible: when
  // those alone are too many, nothing need be summed to know it.
  if (!network.capacities.empty()) {
    const double least = *std::min_element(network.capacities.begin(), network.capacities.end());
    double feasible = 1.0;
    for (std::size_t r = 1; r <= network.routes.size(); ++r) {
      feasible = feasible * (least + static_cast<double>(r)) / static_cast<double>(r);
      if (feasible > static_cast<double>(mostStates)) return std::nullopt;
    }
  }
  return StateSum(network, mostStates).sum();
}

}  // namespace experiment
