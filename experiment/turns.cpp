#include "experiment/turns.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace experiment {

namespace {

// Raw futexes: the standard library's wait spins and yields first, and on a shared machine
// both cost more than they save (a yield is a system call; a spin holds a processor the other
// side may need).
void futexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected) {
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, nullptr,
          nullptr, 0);
}

void futexWake(std::atomic<std::uint32_t>& word) {
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr,
          nullptr, 0);
}

}  // namespace

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

void Turns::pass(Side to) {
  const std::uint32_t before = word_.exchange(static_cast<std::uint32_t>(to));
  if ((before & kSleeping) != 0) futexWake(word_);
}

void Turns::await(Side mine) {
  for (;;) {
    std::uint32_t word = word_.load(std::memory_order_acquire);
    if (holds(word, mine)) return;
    // Only the side without the turn sets the flag, and passing the turn clears it.
    if ((word & kSleeping) == 0 &&
        !word_.compare_exchange_weak(word, word | kSleeping, std::memory_order_acquire)) {
      continue;
    }
    futexWait(word_, word | kSleeping);
  }
}

}  // namespace experiment
