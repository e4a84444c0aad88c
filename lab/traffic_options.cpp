#include "lab/traffic_options.h"

#include <algorithm>
#include <limits>
#include <sstream>

#include "experiment/call_file_reach.h"
#include "experiment/sha256.h"
#include "lab/lab_files.h"

namespace lab {

void refuseEmptyWarmup(const experiment::ExperimentPlan& plan, const std::string& where) {
  if (plan.warmup <= 0) return;
  const bool generated = plan.allPairs || !plan.matrix.empty();
  if (plan.sources.empty() && !generated) return;
  // Beyond 32 bits the run's clock wraps, and the bound says nothing.
  const std::int64_t listedBound =
      plan.sources.empty() ? 0 : experiment::latestListedStart(plan.sources);
  if (listedBound >= plan.warmup || listedBound > std::numeric_limits<std::int32_t>::max()) return;
  try {
    if (generated && experiment::generatesCallFrom(plan, plan.warmup)) return;
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
  const std::string more = generated ? "more --calls" : "call files that reach further";
  throw UsageError("--warmup " + std::to_string(plan.warmup) + " leaves no call to count" +
                   (where.empty() ? "" : " " + where) + ": every call " +
                   (generated ? "arrives" : "starts") + " before tick " +
                   std::to_string(plan.warmup) + "; give a shorter warm-up or " + more);
}

TrafficFile readTrafficMatrix(const std::string& path) {
  const std::string text = readFile(path, "traffic file");
  TrafficFile file;
  try {
    file.pairs = experiment::parseTrafficMatrix(text);
  } catch (const experiment::TrafficMatrixError& error) {
    throw UsageError("traffic file '" + path + "', " + error.what());
  }
  if (std::none_of(file.pairs.begin(), file.pairs.end(),
                   [](const experiment::PairLoad& pair) { return pair.load > 0.0; })) {
    throw UsageError("traffic file '" + path + "' gives no pair a load above 0");
  }
  file.sha256 = experiment::sha256Hex(text);
  return file;
}

experiment::TrafficModel trafficModel(const TrafficOptions& options) {
  experiment::TrafficModel model;
  if (!experiment::parseHolding(options.holding, model.holding)) {
    throw UsageError("--holding must be exp, fixed or uniform, not '" + options.holding + "'");
  }
  model.meanHolding = options.meanHolding;
  model.count = options.calls;
  return model;
}

// A source reads one line per tick, so gaps shorter than a tick on average would be
// stretched by the reading and the load would not be the one asked for.
experiment::TrafficModel trafficForLoad(const TrafficOptions& options, double load) {
  experiment::TrafficModel model = trafficModel(options);
  model.meanGap = experiment::meanGapForLoad(load, model.meanHolding);
  if (!(model.meanGap >= 1.0)) {
    std::ostringstream message;
    message << "--load " << load << " needs a mean gap of " << model.meanGap
            << " ticks; a source reads one call per tick, so the load per pair must be at most "
               "mean holding + 1/2 = "
            << model.meanHolding + 0.5;
    throw UsageError(message.str());
  }
  return model;
}

}  // namespace lab
