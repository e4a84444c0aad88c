// Blocked calls counted by cause and by key, and the report printed after a run.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/error_reporter.h"
#include "base/output.h"

namespace calls {

struct BlockingEvent {
  std::int32_t first = 0;
  std::int32_t second = 0;
  std::int32_t count = 0;
};

// One blocking cause. The printed list runs from the most recently added key to the
// first; `events` holds the keys in the order they were first added.
struct BlockingType {
  // One of the fixed texts: creating the types allocates nothing.
  std::string_view description;
  std::vector<BlockingEvent> events;
  std::unordered_map<std::uint64_t, std::size_t> positionOfKey;
};

inline constexpr int kBlockingTypeCount = 5;
using BlockingTypes = std::array<BlockingType, kBlockingTypeCount>;

// Causes by index: 0-3 are recorded by wavelength assignment, 4 by the live reservation.
enum BlockingCause : int {
  kNoWavelength = 0,
  kNoRegenerator = 1,
  kNoWavelengthNoRegenerator = 2,
  kNoWavelengthWithRegenerator = 3,
  kUpdateError = 4,
};

void createBlockingTypes(BlockingTypes& types);

// Counts one occurrence of (first, second). Returns the key's event, valid until the next
// change of the type, or none when a new key cannot be stored (code 1200 reported).
const BlockingEvent* recordBlocking(BlockingType& type, std::int32_t first, std::int32_t second,
                                    base::ErrorReporter& reporter);

// -1 for a type without events, otherwise the sum of the counts.
std::int64_t blockingTotal(const BlockingType& type);

void printBlockingReport(const BlockingTypes& types, int typeCount, base::Output& console);

void freeBlockingEvents(BlockingType& type);

}  // namespace calls
