#include "lab/sweep_progress.h"

namespace lab {

namespace {

std::map<experiment::PointKey, std::size_t> runsOfPoints(
    const std::vector<experiment::SweepTask>& tasks) {
  std::map<experiment::PointKey, std::size_t> runs;
  for (const experiment::SweepTask& task : tasks) ++runs[task.key];
  return runs;
}

}  // namespace

SweepProgress::SweepProgress(std::ostream& out, bool enabled,
                             const std::vector<experiment::SweepTask>& tasks, ProgressClock clock)
    : runsLeft_(runsOfPoints(tasks)),
      points_(runsLeft_.size()),
      bar_(out, enabled, tasks.size(), "runs", std::move(clock),
           "0/" + std::to_string(points_) + " points") {}

void SweepProgress::runDone(const experiment::SweepTask& task) {
  const auto left = runsLeft_.find(task.key);
  if (left != runsLeft_.end() && --left->second == 0) ++pointsDone_;
  bar_.setNote(std::to_string(pointsDone_) + "/" + std::to_string(points_) + " points");
  bar_.advance();
}

}  // namespace lab
