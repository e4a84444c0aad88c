#include "lab/run_record.h"

#include <stdexcept>

namespace lab {

namespace {

nlohmann::json causesToJson(const calls::RunSummary& summary) {
  const auto& totals = summary.blockingTotals;
  return {
      {"no_wavelength", totals[calls::kNoWavelength]},
      {"no_regenerator", totals[calls::kNoRegenerator]},
      {"no_wavelength_no_regenerator", totals[calls::kNoWavelengthNoRegenerator]},
      {"no_wavelength_with_regenerator", totals[calls::kNoWavelengthWithRegenerator]},
      {"update_error", summary.callsWithUpdateError},
      {"update_error_hops", totals[calls::kUpdateError]},
      {"without_path", summary.callsWithoutPath},
  };
}

nlohmann::json trafficToJson(const RunLabel& label) {
  if (!label.traffic) return nullptr;
  const TrafficModel& model = *label.traffic;
  nlohmann::json traffic = {{"pairs", "all"},
                            {"calls_per_pair", model.count},
                            {"holding", std::string(holdingName(model.holding))},
                            {"mean_holding", model.meanHolding},
                            {"mean_gap", model.meanGap},
                            {"seed", model.seed}};
  if (label.load) traffic["load"] = *label.load;
  return traffic;
}

}  // namespace

nlohmann::json runToJson(const ExperimentPlan& plan, const RunLabel& label,
                         const ExperimentResult& result) {
  const base::Config& config = plan.config;
  nlohmann::json document = {
      {"topology", label.topology},
      {"nodes", result.nodeCount},
      {"sources", result.sourceCount},
      {"settings",
       {{"lambdas", config.lambdaCount},
        {"fibres", config.fiberCount},
        {"paths", config.pathCount},
        {"max_shared", config.maxCoincidences},
        {"policy", config.pathPolicy},
        {"interval", config.updateInterval}}},
      {"traffic", trafficToJson(label)},
      {"calls",
       {{"read", result.summary.callsRead},
        {"offered", result.offered},
        {"carried", result.carried},
        {"blocked", result.blocked},
        {"blocked_by_cause", causesToJson(result.summary)}}},
      {"blocking_probability", result.blockingProbability},
      {"ticks", result.summary.ticks},
      {"run_seconds", result.seconds},
  };
  if (result.generatedLoad) document["traffic"]["measured_load"] = *result.generatedLoad;
  return document;
}

SeedRun seedRunFromJson(const nlohmann::json& document) {
  try {
    const nlohmann::json& traffic = document.at("traffic");
    if (traffic.is_null() || !traffic.contains("load")) {
      throw std::runtime_error("a run without generated traffic has no load to plot");
    }
    SeedRun run;
    run.key.load = traffic.at("load").get<double>();
    run.key.policy = document.at("settings").at("policy").get<std::int32_t>();
    run.key.interval = document.at("settings").at("interval").get<std::int32_t>();
    run.seed = traffic.at("seed").get<std::uint64_t>();
    run.offered = document.at("calls").at("offered").get<std::int64_t>();
    run.carried = document.at("calls").at("carried").get<std::int64_t>();
    run.blocking = document.at("blocking_probability").get<double>();
    run.seconds = document.at("run_seconds").get<double>();
    return run;
  } catch (const nlohmann::json::exception& error) {
    throw std::runtime_error(std::string("not a run record: ") + error.what());
  }
}

}  // namespace lab
