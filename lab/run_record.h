// The JSON form of one run: its settings, its traffic and its counts, as `run --json`
// prints it and `collect` reads it back.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "lab/blocking_curve.h"
#include "lab/experiment.h"

namespace lab {

// What produced a run beyond its settings: the grid coordinates of generated traffic.
struct RunLabel {
  std::string topology;
  // Present for generated all-pairs traffic.
  std::optional<double> load;
  std::optional<TrafficModel> traffic;
};

nlohmann::json runToJson(const ExperimentPlan& plan, const RunLabel& label,
                         const ExperimentResult& result);

// The grid point and counts of a run printed by runToJson. Throws std::runtime_error (with
// what is missing) for a document that is not such a run or has no load.
SeedRun seedRunFromJson(const nlohmann::json& document);

}  // namespace lab
