// The process's pseudo-random generator, used by the random path policy.
#pragma once

#include <cstdint>

namespace calls {

// A 32-bit linear congruential generator whose state is 1 when made and is never seeded
// again, so one program execution replays the same draws from its start.
class RandomGenerator {
 public:
  // A value from 0 to 32767: bits 16 to 30 of the next state.
  std::int32_t draw() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<std::int32_t>((state_ >> 16) & 0x7fffu);
  }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace calls
