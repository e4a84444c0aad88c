#include "run/line_backlog.h"

#include <limits>

namespace run {

bool LineBacklog::fits(std::int32_t start, std::int32_t duration, std::int32_t now) const {
  if (now < 0 || start <= now || start > kLatestHeldClock) return false;
  if (duration < 0 || std::int64_t{start} + duration > std::numeric_limits<std::int32_t>::max())
    return false;
  return held_ == 0 || start >= newestStart_;
}

void LineBacklog::hold(std::int32_t start, std::int32_t duration) {
  if (held_ == 0) {
    // The second reading is at this line: it passes it, its fields being known.
    calls::CallLine line;
    again_->next(line);
    oldestStart_ = start;
    oldestDuration_ = duration;
  }
  newestStart_ = start;
  ++held_;
}

void LineBacklog::passAgain() {
  calls::CallLine line;
  again_->next(line);
}

void LineBacklog::take(std::int32_t& start, std::int32_t& duration) {
  start = oldestStart_;
  duration = oldestDuration_;
  if (--held_ > 0) readOldest(start);
}

void LineBacklog::readOldest(std::int32_t start) {
  calls::CallLine line;
  again_->next(line);
  // Held lines start no earlier than the one before, and no clock wraps among them.
  oldestStart_ = start + line.first;
  oldestDuration_ = line.second;
}

}  // namespace run
