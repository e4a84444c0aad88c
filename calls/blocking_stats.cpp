#include "calls/blocking_stats.h"

#include <new>

namespace calls {

namespace {

constexpr const char* kDescriptions[kBlockingTypeCount] = {
    "No hay Lamdas",
    "Faltan Regeneradores",
    "Faltan Lamdas & Regeneradores",
    "Faltan Lamdas; Si Regeneradores",
    "Error Actualizacion",
};

std::uint64_t keyOf(std::int32_t first, std::int32_t second) {
  return (std::uint64_t{static_cast<std::uint32_t>(first)} << 32) |
         static_cast<std::uint32_t>(second);
}

}  // namespace

void createBlockingTypes(BlockingTypes& types) {
  for (int i = 0; i < kBlockingTypeCount; ++i) {
    types[i].description = kDescriptions[i];
    freeBlockingEvents(types[i]);
  }
}

const BlockingEvent* recordBlocking(BlockingType& type, std::int32_t first, std::int32_t second,
                                    base::ErrorReporter& reporter) {
  const std::uint64_t key = keyOf(first, second);
  auto found = type.positionOfKey.find(key);
  if (found == type.positionOfKey.end()) {
    try {
      type.events.push_back({first, second, 0});
      try {
        found = type.positionOfKey.emplace(key, type.events.size() - 1).first;
      } catch (const std::bad_alloc&) {
        type.events.pop_back();
        throw;
      }
    } catch (const std::bad_alloc&) {
      reporter.reportError(1200);
      return nullptr;
    }
  }
  BlockingEvent& event = type.events[found->second];
  ++event.count;
  return &event;
}

std::int64_t blockingTotal(const BlockingType& type) {
  if (type.events.empty()) return -1;
  std::int64_t total = 0;
  for (const BlockingEvent& event : type.events) total += event.count;
  return total;
}

void printBlockingReport(const BlockingTypes& types, int typeCount, base::Output& console) {
  console.write("\n\n");
  for (int i = 0; i < typeCount && i < kBlockingTypeCount; ++i) {
    const BlockingType& type = types[i];
    console.write("\n\t -Bloqueos Tipo ");
    console.writeInt(i);
    console.write(": ");
    console.writeInt(blockingTotal(type));
    console.write(" \n\t Descrip: ");
    console.write(type.description);
    console.write("\n");
    for (auto event = type.events.rbegin(); event != type.events.rend(); ++event) {
      console.write("\t  ");
      console.writeInt(event->first);
      console.write(" - ");
      console.writeInt(event->second);
      console.write(" : ");
      console.writeInt(event->count);
      console.write(";");
    }
    console.write("\n");
  }
}

void freeBlockingEvents(BlockingType& type) {
  type.events.clear();
  type.events.shrink_to_fit();
  type.positionOfKey.clear();
}

}  // namespace calls
