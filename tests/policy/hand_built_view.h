// A pair's view built by hand, as the run lays one out, and the checks the run puts a
// wavelength policy's answer through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "policy/policy.h"

namespace policy_tests {

// Links with their counters, then candidates as node lists whose hops are looked up among
// the links (the first with the hop's ends; kNoLink when there is none).
class ViewBuilder {
 public:
  void link(std::int32_t from, std::int32_t to, std::vector<std::int32_t> freeFibres,
            std::int32_t freeRegenerators = 0) {
    links_.push_back({from, to, std::move(freeFibres), freeRegenerators});
  }
  void path(std::vector<std::int32_t> nodes) { nodes_.push_back(std::move(nodes)); }

  // Valid while the builder lives and gains nothing.
  wrnsim::PairView view(std::int64_t age = 0) {
    linkViews_.clear();
    for (const Link& link : links_) {
      linkViews_.emplace_back(link.from, link.to, link.freeFibres.data(),
                              static_cast<std::int32_t>(link.freeFibres.size()),
                              &link.freeRegenerators);
    }
    hopLinks_.clear();
    candidates_.clear();
    for (const std::vector<std::int32_t>& nodes : nodes_) {
      std::vector<std::int32_t>& hops = hopLinks_.emplace_back();
      for (std::size_t k = 0; k + 1 < nodes.size(); ++k)
        hops.push_back(find(nodes[k], nodes[k + 1]));
      candidates_.push_back({nodes, hops});
    }
    return wrnsim::PairView(candidates_, linkViews_, age);
  }

 private:
  struct Link {
    std::int32_t from;
    std::int32_t to;
    std::vector<std::int32_t> freeFibres;
    std::int32_t freeRegenerators;
  };

  std::int32_t find(std::int32_t from, std::int32_t to) const {
    for (std::size_t i = 0; i < links_.size(); ++i) {
      if (links_[i].from == from && links_[i].to == to) return static_cast<std::int32_t>(i);
    }
    return wrnsim::kNoLink;
  }

  // Deques, so that what the views point into stays where it is.
  std::deque<Link> links_;
  std::deque<std::vector<std::int32_t>> nodes_;
  std::deque<std::vector<std::int32_t>> hopLinks_;
  std::vector<wrnsim::LinkView> linkViews_;
  std::vector<wrnsim::CandidatePath> candidates_;
};

// Why the run would refuse a wavelength policy's answer for candidate `p` as a policy
// error; empty when it would take it.
inline std::string answerFault(const wrnsim::PairView& view, std::size_t p,
                               const wrnsim::Settings& settings, bool assigned,
                               const wrnsim::HopAnswer& answer) {
  const wrnsim::CandidatePath& path = view.paths()[p];
  if (!assigned) {
    if (answer.blocking() != wrnsim::Blocking::kUnstated && answer.blockedHop() >= path.hopCount())
      return "blocked at hop " + std::to_string(answer.blockedHop()) + ", not a hop of the path";
    return "";
  }
  if (answer.size() != path.hopCount())
    return "answered " + std::to_string(answer.size()) + " hops";
  const auto hops = answer.hops();
  for (std::size_t k = 0; k < hops.size(); ++k) {
    const std::string at = "hop " + std::to_string(k) + ": ";
    if (path.links[k] == wrnsim::kNoLink) return at + "not a link";
    const wrnsim::LinkView& link = view.link(p, k);
    if (hops[k].wavelength < 0 || hops[k].wavelength >= settings.wavelengths)
      return at + "wavelength out of range";
    if (link.freeFibres(hops[k].wavelength) <= 0) return at + "wavelength not free";
    if (k > 0 && hops[k].wavelength != hops[k - 1].wavelength && !hops[k].regenerate)
      return at + "changes wavelength without regenerating";
    if (hops[k].regenerate && link.freeRegenerators() <= 0)
      return at + "regenerates without a free regenerator";
  }
  return "";
}

}  // namespace policy_tests
