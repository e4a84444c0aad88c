#include "lab/run_progress.h"

namespace lab {

RunProgressLine::RunProgressLine(std::ostream& out, bool enabled, std::int64_t plannedCalls,
                                 ProgressClock clock)
    : out_(out), enabled_(enabled), plannedCalls_(plannedCalls), clock_(std::move(clock)) {}

void RunProgressLine::pairsRouted(std::size_t done, std::size_t total) {
  if (!enabled_) return;
  if (!routing_)
    routing_ = std::make_unique<ProgressBar>(out_, true, total, "pairs routed", clock_);
  routing_->set(done);
}

void RunProgressLine::runStarts() {
  if (!enabled_) return;
  if (routing_) routing_->finish();
  calls_ = std::make_unique<ProgressBar>(out_, true, static_cast<std::size_t>(plannedCalls_),
                                         "calls started", clock_);
}

void RunProgressLine::callsStarted(std::int64_t started) {
  if (calls_) calls_->set(static_cast<std::size_t>(started));
}

void RunProgressLine::finish() {
  if (routing_) routing_->finish();
  if (calls_) calls_->finish();
}

}  // namespace lab
