// The nodes that have a row in the topology, from the highest row number to the lowest.
#pragma once

#include <cstdint>
#include <vector>

#include "base/error_reporter.h"
#include "network/link_table.h"

namespace network {

// Iteration runs from the head (the node pushed last) to the tail.
class NodeList {
 public:
  bool empty() const { return pushed_.empty(); }
  std::size_t size() const { return pushed_.size(); }
  NodeId head() const { return pushed_.back(); }
  auto begin() const { return pushed_.rbegin(); }
  auto end() const { return pushed_.rend(); }

 private:
  friend bool pushNode(NodeList&, NodeId, base::ErrorReporter&);
  friend void freeNodes(NodeList&);
  std::vector<NodeId> pushed_;
};

// Pushes the node at the head; false after reporting code 10 when it cannot be stored.
bool pushNode(NodeList& list, NodeId node, base::ErrorReporter& reporter);

void freeNodes(NodeList& list);

}  // namespace network
