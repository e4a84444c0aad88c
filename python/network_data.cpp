#include "python/network_data.h"

#include "experiment/experiment.h"

namespace python {

NetworkData NetworkData::load(const std::string& path) {
  NetworkData network;
  network.path_ = path;
  network.input_ = lab::readTopology(path);
  experiment::ExperimentPlan plan;
  plan.topology = network.input_.conText;
  const experiment::PlannedRoutes routes = experiment::planRoutes(plan);
  for (std::int32_t node = 0; node < routes.nodeCount; ++node) {
    NodeData& data = network.nodes_.emplace_back();
    data.number = node;
    if (static_cast<std::size_t>(node) >= network.input_.nodes.size()) continue;
    const topology::NodePlace& place = network.input_.nodes[static_cast<std::size_t>(node)];
    if (!place.name.empty()) data.name = place.name;
    data.longitude = place.longitude;
    data.latitude = place.latitude;
  }
  for (const experiment::PlannedLink& link : routes.links) {
    network.links_.push_back({link.from, link.to, link.regenerators, link.fibreGroup});
  }
  return network;
}

}  // namespace python
