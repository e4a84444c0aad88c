// What a blocking chart says in words: the caption that tells its reader what ran, and the
// names of its lines and panels, in English.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "experiment/blocking_curve.h"
#include "experiment/reference_curve.h"
#include "lab/commands.h"

namespace lab {

// The settings shared by every run of a chart.
struct ChartSettings {
  // The topology file's name without its folders; empty when not known.
  std::string network;
  std::int32_t lambdas = 0;
  std::int32_t fibres = 0;
  std::int32_t paths = 0;
  std::int32_t maxShared = 0;
  std::string routing;
  // exp, fixed or uniform.
  std::string holding;
  double meanHolding = 0.0;
  // Per pair; for a traffic pattern, of its busiest pair.
  std::int64_t calls = 0;
  // The traffic pattern's file name when the loads came from one.
  std::string trafficFile;
  std::int64_t warmup = 0;
  // Above 0 when seeds were added until the 95% interval was this times the mean at most.
  double targetCi = 0.0;
  std::int64_t minSeeds = 0;
  std::int64_t maxSeeds = 0;
};

ChartSettings sweepChartSettings(const SweepOptions& options);

// The settings a 'run --json' record holds; what an older record lacks is left at its
// default and said as unknown.
ChartSettings recordChartSettings(const nlohmann::json& record);

// Sentences naming the network, wavelengths, fibres, paths, shared links, routing, calls,
// holding times, warm-up and the seeds the runs used (or the precision aimed at), then what
// the reference, when given, assumes. One line; the chart wraps it.
std::string chartCaption(const ChartSettings& settings,
                         const std::vector<experiment::SeedRun>& runs,
                         const experiment::ReferenceCurve* reference = nullptr);

// The policy by what it does, with its number: "Random (1)".
std::string policyName(std::int32_t policy);

// A line's name. With one candidate path a policy has nothing to choose: "1 path", with the
// policy's number only when lines of several policies are drawn.
std::string seriesName(std::int32_t policy, bool onePath, bool severalPolicies);
// A plug-in policy's legend name: NAME of FILE:NAME (the caption names the file).
std::string pluginPolicyName(const std::string& policy);

// "refresh at every call", "refresh every 50 ticks".
std::string refreshName(std::int32_t interval);

// The title of a cause's panel, for the causes in the order of experiment::kCauseNames.
std::string causeTitle(std::size_t cause);

}  // namespace lab
