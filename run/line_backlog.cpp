#include "run/line_backlog.h"

#include <algorithm>
#include <limits>
#include <new>

namespace run {

bool LineBacklog::fits(std::int32_t start, std::int32_t duration, std::int32_t now) const {
  if (now < 0 || start <= now || start > kLatestHeldClock) return false;
  if (duration < 0 || std::int64_t{start} + duration > std::numeric_limits<std::int32_t>::max())
    return false;
  return empty() || start >= newestStart_;
}

bool LineBacklog::hold(std::int32_t start, std::int32_t duration) {
  if (counted_ == 0 && roomToKeep()) {
    std::size_t at = first_ + kept_;
    if (at >= ring_.size()) at -= ring_.size();
    ring_[at] = Held{start, duration};
    ++kept_;
  } else if (again_ == nullptr) {
    return false;
  } else {
    if (counted_ == 0) {
      // The second reading starts after this line, whose fields are known.
      again_->follow(*lines_);
      oldestCounted_ = Held{start, duration};
    }
    ++counted_;
  }
  newestStart_ = start;
  return true;
}

bool LineBacklog::roomToKeep() {
  if (kept_ < ring_.size()) return true;
  if (ring_.size() >= room_) return false;
  // Grown by doubling, oldest first; a ring that cannot grow leaves the rest to be read
  // again, or made calls at once, which gives the same calls.
  try {
    std::vector<Held> grown(std::min(room_, std::max<std::size_t>(16, 2 * ring_.size())));
    for (std::size_t k = 0; k < kept_; ++k) grown[k] = ring_[(first_ + k) % ring_.size()];
    ring_ = std::move(grown);
  } catch (const std::bad_alloc&) {
    room_ = ring_.size();
    return false;
  }
  first_ = 0;
  return true;
}

void LineBacklog::take(std::int32_t& start, std::int32_t& duration) {
  if (kept_ > 0) {
    start = ring_[first_].start;
    duration = ring_[first_].duration;
    if (++first_ == ring_.size()) first_ = 0;
    --kept_;
    return;
  }
  start = oldestCounted_.start;
  duration = oldestCounted_.duration;
  if (--counted_ > 0) readOldestCounted(start);
}

void LineBacklog::readOldestCounted(std::int32_t start) {
  calls::CallLine line;
  again_->next(line);
  // Held lines start no earlier than the one before, and no clock wraps among them.
  oldestCounted_ = Held{start + line.first, line.second};
}

}  // namespace run
