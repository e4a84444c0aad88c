// Lines a source has read that are not calls yet. A source reads a line every tick, far
// ahead of the calls' starts; holding every line read as a call would make a run's memory
// grow with its length. Lines that can be read a second time are held as a count instead,
// and read again when their calls are due.
#pragma once

#include <cstdint>
#include <memory>

#include "calls/call_lines.h"

namespace run {

class LineBacklog {
 public:
  // Clocks this far from wrapping leave held lines no chance to meet a wrapped one.
  static constexpr std::int32_t kLatestHeldClock = std::int32_t{1} << 30;

  // `again` reads the source's lines from the position of the next line the source reads;
  // none when they can be read once only, and then nothing is ever held.
  explicit LineBacklog(std::unique_ptr<calls::CallLines> again = nullptr)
      : again_(std::move(again)) {}

  bool empty() const { return held_ == 0; }
  // Whether a line just read, of this start and duration, may be held at clock `now`: its
  // call starts later, starts no earlier than the newest held and ends no earlier than it
  // starts, with no clock value wrapping in between. A line not held must be preceded by
  // every held one as a call.
  bool canHold(std::int32_t start, std::int32_t duration, std::int32_t now) const {
    return again_ != nullptr && fits(start, duration, now);
  }
  // Holds the line just read (canHold must allow it).
  void hold(std::int32_t start, std::int32_t duration);
  // The line just read was made a call at once: the second reading passes it. The backlog
  // must be empty.
  void pass() {
    if (again_ != nullptr) passAgain();
  }

  // The start of the newest line held, and of the oldest. The backlog must not be empty.
  std::int32_t newestStart() const { return newestStart_; }
  std::int32_t oldestStart() const { return oldestStart_; }
  // Takes the oldest line held, giving its start and duration. The backlog must not be
  // empty.
  void take(std::int32_t& start, std::int32_t& duration);

 private:
  bool fits(std::int32_t start, std::int32_t duration, std::int32_t now) const;
  void passAgain();
  // Reads the next held line into the oldest's place.
  void readOldest(std::int32_t start);

  std::unique_ptr<calls::CallLines> again_;
  std::int64_t held_ = 0;
  std::int32_t oldestStart_ = 0;
  std::int32_t oldestDuration_ = 0;
  std::int32_t newestStart_ = 0;
};

}  // namespace run
