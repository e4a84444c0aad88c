// How far a sweep has got, on standard error: runs done of runs planned, points whose
// every run is done, and the time left at the pace so far.
#pragma once

#include <map>
#include <ostream>
#include <vector>

#include "experiment/sweep.h"
#include "lab/progress_bar.h"

namespace lab {

class SweepProgress {
 public:
  // Draws nothing when not enabled. `tasks`: the runs of this round.
  SweepProgress(std::ostream& out, bool enabled, const std::vector<experiment::SweepTask>& tasks,
                ProgressClock clock = std::chrono::steady_clock::now);

  // The task's run is done. Called one at a time.
  void runDone(const experiment::SweepTask& task);
  void finish() { bar_.finish(); }

 private:
  // Made before the bar, which names the points from its first drawing.
  std::map<experiment::PointKey, std::size_t> runsLeft_;
  std::size_t points_ = 0;
  std::size_t pointsDone_ = 0;
  ProgressBar bar_;
};

}  // namespace lab
