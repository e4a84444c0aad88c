// Two threads that take turns: one runs while the other waits for the turn to come back.
#pragma once

#include <atomic>
#include <cstdint>

namespace experiment {

// Everything a side wrote before pass() is visible to the other side once its await()
// returns. The turn starts with the worker. A side waiting sleeps and uses no processor, so
// the two sides may share one core.
class Turns {
 public:
  enum class Side : std::uint32_t { kCaller = 0, kWorker = 1 };

  // Gives the turn to `to`; the side passing it must hold it.
  void pass(Side to);
  // Returns once `mine` holds the turn; does not return otherwise.
  void await(Side mine);

 private:
  bool holds(std::uint32_t word, Side side) const {
    return (word & kSideBit) == static_cast<std::uint32_t>(side);
  }

  static constexpr std::uint32_t kSideBit = 1;
  // The side waiting sleeps: passing the turn must wake it.
  static constexpr std::uint32_t kSleeping = 2;
  std::atomic<std::uint32_t> word_{static_cast<std::uint32_t>(Side::kWorker)};
};

}  // namespace experiment
