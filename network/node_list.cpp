#include "network/node_list.h"

#include <new>

namespace network {

bool pushNode(NodeList& list, NodeId node, base::ErrorReporter& reporter) {
  try {
    list.pushed_.push_back(node);
  } catch (const std::bad_alloc&) {
    reporter.reportError(10);
    return false;
  }
  return true;
}

void freeNodes(NodeList& list) {
  list.pushed_.clear();
  list.pushed_.shrink_to_fit();
}

}  // namespace network
