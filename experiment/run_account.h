// The lab's accounts of one run beyond the report's totals: blocked calls by cause, and
// counts per ordered pair and per link, from a warm-up tick on.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "experiment/cause_counts.h"
#include "experiment/run_progress.h"
#include "network/link_table.h"
#include "run/run_observer.h"
#include "run/run_setup.h"

namespace experiment {

struct CallCounts {
  std::int64_t offered = 0;
  std::int64_t carried = 0;
  std::int64_t blocked = 0;
  CauseCounts causes;
};

struct PairAccount {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  CallCounts calls;
};

struct LinkAccount {
  std::int32_t from = 0;
  std::int32_t to = 0;
  // The assignment's blocking events (types 0 to 3) keyed at this link, as the report keys
  // them.
  std::array<std::int64_t, 4> blockingEvents{};
  // Hops refused by the live network at this link (the report keys these by tick).
  std::int64_t updateErrorHops = 0;
  // Calls blocked as policy errors at a hop of this link.
  std::int64_t policyErrors = 0;
  // Busy wavelength-fibres over capacity, averaged over the counted ticks: a fibre taken at
  // tick s and given back at tick e is busy for the ticks s to e - 1. The two directions of
  // a link share their fibres, and so their occupancy.
  double meanOccupancy = 0.0;
};

// The column of kCauseNames under which the accounts count a started call; none when it
// was carried.
std::optional<std::size_t> blockingCause(const run::CallOutcome& outcome);

// Counts the calls started from `warmup` on (earlier ones still run and load the network)
// and the ticks from `warmup` to the run's end.
class RunAccount : public run::RunObserver {
 public:
  // `sourcePairs` gives (origin, destination) of each source in run order; `live` is the
  // run's live table, which must keep its links until the run ends.
  RunAccount(const std::vector<std::pair<std::int32_t, std::int32_t>>& sourcePairs,
             const network::LinkTable& live, std::int64_t warmup);

  void callStarted(std::size_t source, std::int64_t tick, const run::CallOutcome& outcome) override;
  void hopRefused(std::size_t liveLink, std::int64_t tick, int kind) override;
  void fibresChanged(std::size_t liveLink, int taken, std::int64_t tick) override;
  void runEnded(std::int64_t ticks) override;

  // Told of the calls started from now on, warm-up included; none to stop.
  void setProgress(RunProgress* progress) { progress_ = progress; }

  const CallCounts& totals() const { return totals_; }
  // Ordered by origin, then destination: every pair with a source.
  const std::vector<PairAccount>& pairs() const { return pairs_; }
  // Every link of the network in table order; occupancy is final once the run has ended.
  const std::vector<LinkAccount>& links() const { return links_; }
  std::int64_t countedTicks() const { return countedTicks_; }

 private:
  // Busy fibre-ticks from the warm-up to the run's end T are the sum, over the changes, of
  // taken x (T - max(tick, warm-up)): busy x T less `taken`'s sum weighted by the ticks, so
  // that a change costs two additions, exact in integers.
  struct Load {
    std::int64_t busy = 0;
    std::int64_t weightedTaken = 0;
  };

  const network::LinkTable& live_;
  std::int64_t warmup_;
  RunProgress* progress_ = nullptr;
  std::int64_t started_ = 0;
  CallCounts totals_;
  std::vector<PairAccount> pairs_;
  std::vector<std::size_t> pairOfSource_;
  std::vector<LinkAccount> links_;
  std::vector<std::size_t> loadOfLink_;
  std::vector<Load> loads_;
  std::int64_t countedTicks_ = 0;
};

}  // namespace experiment
