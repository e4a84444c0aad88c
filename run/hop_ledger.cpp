#include "run/hop_ledger.h"

#include <algorithm>

#include "run/run_setup.h"

namespace run {

// Moves one fibre of the hop's wavelength (and a regenerator when the hop converts) out
// of (-1) or back into (+1) the view and the live network.
inline void HopLedger::take(network::LinkTable& view, network::Link& viewLink,
                            network::Link& liveLink, const calls::HopAssignment& hop, int delta,
                            std::int64_t tick) {
  const auto position = static_cast<std::size_t>(&liveLink - &live_[0]);
  // A pair whose view follows the live network has the live link for its view's.
  const bool copy = &viewLink != &liveLink;
  if (hop.regenerate) {
    if (copy) viewLink.regenerators += delta;
    liveLink.regenerators += delta;
    changes_.regeneratorsChanged(position);
  }
  if (copy) view.freeFibers(viewLink)[hop.wavelength] += delta;
  live_.freeFibers(liveLink)[hop.wavelength] += delta;
  changes_.countersChanged(liveLink);
  if (observer_ != nullptr) observer_->fibresChanged(position, -delta, tick);
}

std::int32_t HopLedger::reserve(calls::Call& call, const PathHops& hops, network::LinkTable& view,
                                std::int64_t tick) {
  trace_.hopsBegin();
  const std::int32_t clock = clockOf(tick);
  std::int32_t failed = 0;
  for (std::size_t k = 0; k < call.hops.size() && k < hops.live.size(); ++k) {
    calls::HopAssignment& hop = call.hops[k];
    const std::int32_t atLive = hops.live[k];
    const std::int32_t atView = hops.inView[k];
    if (atLive < 0 || atView < 0) continue;
    network::Link& viewLink = view[static_cast<std::size_t>(atView)];
    network::Link& liveLink = live_[static_cast<std::size_t>(atLive)];
    if (live_.freeFibers(liveLink)[hop.wavelength] <= 0) {
      ++failed;
      trace_.updateError(0);
      calls::recordBlocking(updateErrors_, clock, 0, reporter_);
      if (observer_ != nullptr) observer_->hopRefused(static_cast<std::size_t>(atLive), tick, 0);
      continue;
    }
    if (hop.regenerate && liveLink.regenerators <= 0) {
      ++failed;
      trace_.updateError(1);
      calls::recordBlocking(updateErrors_, clock, 1, reporter_);
      if (observer_ != nullptr) observer_->hopRefused(static_cast<std::size_t>(atLive), tick, 1);
    } else {
      take(view, viewLink, liveLink, hop, -1, tick);
      hop.reserved = true;
    }
    trace_.hop(hop.wavelength);
  }
  return failed;
}

void HopLedger::release(const calls::Call& call, const PathHops& hops, network::LinkTable& view,
                        std::int64_t tick) {
  trace_.hopsBegin();
  if (call.hops.empty()) trace_.blockedCallEnds();
  for (std::size_t k = 0; k < call.hops.size() && k < hops.live.size(); ++k) {
    const calls::HopAssignment& hop = call.hops[k];
    // Only hops on links that exist were reserved.
    if (hop.reserved) {
      take(view, view[static_cast<std::size_t>(hops.inView[k])],
           live_[static_cast<std::size_t>(hops.live[k])], hop, +1, tick);
    }
    trace_.hop(hop.wavelength);
  }
}

bool anyReserved(const calls::Call& call) {
  return std::any_of(call.hops.begin(), call.hops.end(),
                     [](const calls::HopAssignment& hop) { return hop.reserved; });
}

}  // namespace run
