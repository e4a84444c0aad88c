#include "routing/destination_map.h"

#include <utility>

namespace routing {

void DestinationMap::aimAt(Index newTarget) {
  if (newTarget == target_) return;
  const auto nodes = static_cast<std::size_t>(graph_.size());
  target_ = newTarget;
  distance_.assign(nodes, kFar);
  std::vector<Index> queue{target_};
  distance_[static_cast<std::size_t>(target_)] = 0;
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const Index node = queue[head];
    const std::int32_t next = distance_[static_cast<std::size_t>(node)] + 1;
    for (Index previous : graph_.in(node)) {
      if (distance_[static_cast<std::size_t>(previous)] != kFar) continue;
      distance_[static_cast<std::size_t>(previous)] = next;
      queue.push_back(previous);
    }
  }
  findPostDominators();
}

// The nodes every path from a node to the target passes, as a tree: the dominators of the
// links taken backwards from the target_ (Cooper, Harvey and Kennedy's iteration).
void DestinationMap::findPostDominators() {
  const auto nodes = static_cast<std::size_t>(graph_.size());
  // Post-order of a depth-first walk backwards from the target_.
  std::vector<std::int32_t> order(nodes, -1);
  std::vector<Index> sequence;
  std::vector<std::pair<Index, std::size_t>> stack{{target_, 0}};
  std::vector<char> seen(nodes, 0);
  seen[static_cast<std::size_t>(target_)] = 1;
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    const std::span<const Index> previous = graph_.in(node);
    if (next < previous.size()) {
      const Index on = previous[next++];
      if (seen[static_cast<std::size_t>(on)] == 0) {
        seen[static_cast<std::size_t>(on)] = 1;
        stack.emplace_back(on, 0);
      }
      continue;
    }
    order[static_cast<std::size_t>(node)] = static_cast<std::int32_t>(sequence.size());
    sequence.push_back(node);
    stack.pop_back();
  }
  dominator_.assign(nodes, HopGraph::kNone);
  dominator_[static_cast<std::size_t>(target_)] = target_;
  auto meet = [&](Index a, Index b) {
    while (a != b) {
      while (order[static_cast<std::size_t>(a)] < order[static_cast<std::size_t>(b)]) {
        a = dominator_[static_cast<std::size_t>(a)];
      }
      while (order[static_cast<std::size_t>(b)] < order[static_cast<std::size_t>(a)]) {
        b = dominator_[static_cast<std::size_t>(b)];
      }
    }
    return a;
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (auto node = sequence.rbegin(); node != sequence.rend(); ++node) {
      if (*node == target_) continue;
      Index found = HopGraph::kNone;
      for (Index next : graph_.out(*node)) {
        if (dominator_[static_cast<std::size_t>(next)] == HopGraph::kNone) continue;
        found = found == HopGraph::kNone ? next : meet(next, found);
      }
      if (dominator_[static_cast<std::size_t>(*node)] != found) {
        dominator_[static_cast<std::size_t>(*node)] = found;
        changed = true;
      }
    }
  }
}

}  // namespace routing
