#include "lab/machine_fit.h"

#include <unistd.h>

#include <cstdio>

#include "lab/commands.h"

namespace lab {

namespace {

std::string bytesText(double bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  std::size_t unit = 0;
  while (bytes >= 1024.0 && unit + 1 < std::size(units)) {
    bytes /= 1024.0;
    ++unit;
  }
  char text[64];
  std::snprintf(text, sizeof text, bytes < 10.0 && unit > 0 ? "%.1f %s" : "%.0f %s", bytes,
                units[unit]);
  return text;
}

// Whole counts grouped by thousands; beyond 1e15, with an exponent.
std::string countText(double value) {
  char text[64];
  if (!(value < 1e15)) {
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
  }
  std::snprintf(text, sizeof text, "%.0f", value);
  std::string digits = text;
  for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

std::string oneDecimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

std::uint64_t physicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

experiment::RunDemand refuseUnfit(const experiment::ExperimentPlan& plan, bool record,
                                  unsigned runsAtOnce, std::uint64_t memory,
                                  const std::string& where) {
  experiment::ExperimentPlan bare;
  bare.topology = plan.topology;
  bare.config = plan.config;
  experiment::RunDemand demand;
  try {
    demand = experiment::estimateDemand(plan, experiment::planRoutes(bare), record);
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  const std::string place = where.empty() ? "" : " " + where;
  if (demand.lastTick > experiment::kLastClockTick) {
    throw UsageError("the busiest pair's calls would run to about tick " +
                     countText(demand.lastTick) + place +
                     ", past the run clock's last tick 2,147,483,647 (32 bits, as the console's): "
                     "give fewer --calls, a higher load or a shorter --mean-holding");
  }
  const double runs = std::max(1u, runsAtOnce);
  const double needed = demand.bytes() * runs;
  if (memory == 0 || needed <= static_cast<double>(memory)) return demand;
  // At interval 0 pairs keep no views, so wavelengths cost them nothing.
  const bool views = plan.config.updateInterval != 0;
  std::string message =
      (runs > 1 ? std::to_string(runsAtOnce) + " runs at once (-j) would need about "
                : std::string("this run would need about ")) +
      bytesText(needed) + " of memory" + place + ", more than the machine's " +
      bytesText(static_cast<double>(memory)) + (runs > 1 ? "; each: " : ": ") +
      countText(static_cast<double>(demand.sources)) +
      (demand.sources == 1 ? " source x " : " sources x ") +
      countText(static_cast<double>(demand.pathsPerSource)) + " candidate paths of about " +
      oneDecimal(demand.hopsPerPath) + " hops" +
      (views ? std::string(" with their views of ") + std::to_string(plan.config.lambdaCount) +
                   " wavelengths"
             : std::string()) +
      " (" + bytesText(demand.pathBytes) + "), " + countText(demand.callsInProgress) +
      " calls in progress (" + bytesText(demand.callBytes) + ")";
  if (demand.recordBytes > 0.0) message += ", the record (" + bytesText(demand.recordBytes) + ")";
  message += std::string(views ? "; give fewer --paths or --lambdas" : "; give fewer --paths") +
             ", fewer pairs, or a lower load or --mean-holding" +
             std::string(runs > 1 ? ", or fewer -j" : "");
  throw UsageError(message);
}

}  // namespace lab
