// The neighbours of every node in NodeList order, built once so a search need not walk the
// node list for every walk it extends.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "network/link_table.h"
#include "network/node_list.h"

namespace routing {

using network::NodeId;

class NeighbourIndex {
 public:
  // Throws std::bad_alloc when the index cannot be stored.
  NeighbourIndex(const network::LinkTable& linkTable, const network::NodeList& nodeList);

  // Every n of the node list, in list order, for which the table holds the link (node, n);
  // a node listed twice appears twice. Empty for a node without such links.
  std::span<const NodeId> of(NodeId node) const;

 private:
  // Sorted by node; each with the end of its run in `neighbours_`.
  std::vector<std::pair<NodeId, std::size_t>> ends_;
  std::vector<NodeId> neighbours_;
};

}  // namespace routing
