// How far one run has got, on standard error: the sources' routing, pairs routed of pairs,
// then calls started of calls planned.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>

#include "experiment/run_progress.h"
#include "lab/progress_bar.h"

namespace lab {

class RunProgressLine : public experiment::RunProgress {
 public:
  // Draws nothing when not enabled. `plannedCalls`: every call of the sources' files; a run
  // ends when its first source has none left, so its line ends short of them.
  RunProgressLine(std::ostream& out, bool enabled, std::int64_t plannedCalls,
                  ProgressClock clock = std::chrono::steady_clock::now);

  void pairsRouted(std::size_t done, std::size_t total) override;
  void runStarts() override;
  void callsStarted(std::int64_t started) override;
  // Ends the line of the phase under way.
  void finish();

 private:
  std::ostream& out_;
  bool enabled_;
  std::int64_t plannedCalls_;
  ProgressClock clock_;
  std::unique_ptr<ProgressBar> routing_;
  std::unique_ptr<ProgressBar> calls_;
};

}  // namespace lab
