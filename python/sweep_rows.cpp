#include "python/sweep_rows.h"

#include "experiment/policy_choice.h"

namespace python {

namespace {

// The path policy as records give it: a built-in's number, a plug-in's FILE:NAME.
nlohmann::json policyOf(const experiment::PointKey& key) {
  return key.pathPolicy.empty() ? nlohmann::json(key.policy) : nlohmann::json(key.pathPolicy);
}

std::string pathPolicyName(const experiment::PointKey& key) {
  return key.pathPolicy.empty() ? experiment::builtinPathPolicyName(key.policy) : key.pathPolicy;
}

nlohmann::json optional(const std::optional<double>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json();
}

}  // namespace

nlohmann::json pointRow(const experiment::CurvePoint& point) {
  nlohmann::json row = {
      {"policy", policyOf(point.key)},
      {"path_policy", pathPolicyName(point.key)},
      {"wavelength_policy", experiment::wavelengthColumn(point.key)},
      {"interval", point.key.interval},
      {"load", point.key.load},
      {"seeds", point.seeds},
      {"offered", point.offered},
      {"carried", point.carried},
      {"blocking_mean", point.measured ? nlohmann::json(point.meanBlocking) : nlohmann::json()},
      {"ci95_low", nlohmann::json()},
      {"ci95_high", nlohmann::json()},
      {"runs_without_offered", point.runsWithoutOffered}};
  if (point.measured && point.halfWidth) {
    row["ci95_low"] = point.meanBlocking - *point.halfWidth;
    row["ci95_high"] = point.meanBlocking + *point.halfWidth;
  }
  for (std::size_t c = 0; c < experiment::kCauseColumns; ++c) {
    row[std::string("share_") + experiment::kCauseNames[c]] =
        point.measured ? nlohmann::json(point.meanCauseShares[c]) : nlohmann::json();
  }
  return row;
}

nlohmann::json runRow(const experiment::SeedRun& run) {
  nlohmann::json row = {{"policy", policyOf(run.key)},
                        {"path_policy", pathPolicyName(run.key)},
                        {"wavelength_policy", experiment::wavelengthColumn(run.key)},
                        {"interval", run.key.interval},
                        {"load", run.key.load},
                        {"seed", run.seed},
                        {"offered", run.offered},
                        {"carried", run.carried},
                        {"blocked", run.blocked},
                        {"blocking", optional(run.blocking)},
                        {"update_error_hops", run.causes.updateErrorHops},
                        {"run_seconds", run.seconds},
                        {"routing_seconds", optional(run.routingSeconds)}};
  const auto causes = experiment::causeColumns(run.causes);
  for (std::size_t c = 0; c < experiment::kCauseColumns; ++c) {
    row[experiment::kCauseNames[c]] = causes[c];
  }
  return row;
}

}  // namespace python
