// Lines a source has read that are not calls yet. A source reads a line every tick, far
// ahead of the calls' starts; holding every line read as a call would make a run's memory
// grow with its length, and its call list long. Lines held are kept up to a fixed room;
// past it, lines that can be read a second time are held as a count instead, and read
// again when their calls are due. Lines that can be read once only are all kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "calls/call_lines.h"

namespace run {

class LineBacklog {
 public:
  // Clocks this far from wrapping leave held lines no chance to meet a wrapped one.
  static constexpr std::int32_t kLatestHeldClock = std::int32_t{1} << 30;

  // Holds nothing.
  LineBacklog() = default;
  // Keeps every line held, as lines that can be read once only must be.
  static LineBacklog keepingAll() {
    LineBacklog backlog;
    backlog.room_ = SIZE_MAX;
    return backlog;
  }
  // `lines` is the reader the source reads from, and must outlive the backlog; `again` a
  // copy of it that can follow it (CallLines::follow). Up to `room` lines are kept; the
  // rest are read again through `again`. Without `again` nothing is ever held.
  LineBacklog(const calls::CallLines& lines, std::unique_ptr<calls::CallLines> again,
              std::size_t room)
      : lines_(&lines), again_(std::move(again)), room_(room) {}

  bool empty() const { return kept_ == 0 && counted_ == 0; }
  // Whether a line just read, of this start and duration, may be held at clock `now`: its
  // call starts later, starts no earlier than the newest held and ends no earlier than it
  // starts, with no clock value wrapping in between. A line not held must be preceded by
  // every held one as a call.
  bool canHold(std::int32_t start, std::int32_t duration, std::int32_t now) const {
    return (again_ != nullptr || room_ > 0) && fits(start, duration, now);
  }
  // Holds the line just read from the source's reader (canHold must allow it). False,
  // holding nothing, when a line that cannot be read again finds no room to be kept.
  bool hold(std::int32_t start, std::int32_t duration);
  // Whether the lines held past the room are read again.
  bool readsAgain() const { return again_ != nullptr; }

  // The start of the newest line held, and of the oldest. The backlog must not be empty.
  std::int32_t newestStart() const { return newestStart_; }
  std::int32_t oldestStart() const {
    return kept_ > 0 ? ring_[first_].start : oldestCounted_.start;
  }
  // Takes the oldest line held, giving its start and duration. The backlog must not be
  // empty.
  void take(std::int32_t& start, std::int32_t& duration);

 private:
  struct Held {
    std::int32_t start = 0;
    std::int32_t duration = 0;
  };

  bool fits(std::int32_t start, std::int32_t duration, std::int32_t now) const;
  // Room for one more kept line; false when the ring is at its room or cannot grow.
  bool roomToKeep();
  // Reads the next counted line into the oldest counted's place.
  void readOldestCounted(std::int32_t start);

  const calls::CallLines* lines_ = nullptr;
  std::unique_ptr<calls::CallLines> again_;
  std::size_t room_ = 0;
  // Kept lines, oldest first from first_, in a ring that grows up to room_.
  std::vector<Held> ring_;
  std::size_t first_ = 0;
  std::size_t kept_ = 0;
  // Lines past the kept ones, read again through again_ from the one after the oldest.
  std::int64_t counted_ = 0;
  Held oldestCounted_;
  std::int32_t newestStart_ = 0;
};

}  // namespace run
