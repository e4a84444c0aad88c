// Checks that the call memory gives back what it must.
#include "calls/call_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <thread>

namespace calls {
namespace {

// Pages the process holds in memory, from /proc; 0 where there is no such file.
std::size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t size = 0;
  std::size_t resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * 4096;
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WRNSIM_MEMORY_SANITIZED 1
#endif
#endif

// An index that grows frees its smaller storage each time; a thread that builds and frees
// many must not keep that storage until it ends.
TEST(CallMemory, LargeBlocksComeBackWhenFreed) {
#ifdef WRNSIM_MEMORY_SANITIZED
  GTEST_SKIP() << "the sanitizer holds freed memory back";
#endif
  if (residentBytes() == 0) GTEST_SKIP() << "no /proc/self/statm";
  std::size_t grown = 0;
  std::thread([&grown] {
    std::pmr::memory_resource* memory = callMemory();
    const std::size_t before = residentBytes();
    for (int round = 0; round < 40; ++round) {
      for (std::size_t bytes = 8192; bytes <= (std::size_t{1} << 19); bytes *= 2) {
        void* block = memory->allocate(bytes, 16);
        std::memset(block, 1, bytes);
        memory->deallocate(block, bytes, 16);
      }
    }
    grown = residentBytes() - before;
  }).join();
  // Kept, the blocks would take 40 MB.
  EXPECT_LT(grown, std::size_t{8} << 20);
}

}  // namespace
}  // namespace calls
