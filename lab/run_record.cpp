#include "lab/run_record.h"

#include <algorithm>
#include <ctime>
#include <regex>
#include <stdexcept>

#include "experiment/routing_choice.h"
#include "lab/version.h"

namespace lab {

namespace {

// The report's types 0 to 3 by name.
nlohmann::json assignmentCausesToJson(const std::array<std::int64_t, 4>& counts) {
  return {
      {"no_wavelength", counts[calls::kNoWavelength]},
      {"no_regenerator", counts[calls::kNoRegenerator]},
      {"no_wavelength_no_regenerator", counts[calls::kNoWavelengthNoRegenerator]},
      {"no_wavelength_with_regenerator", counts[calls::kNoWavelengthWithRegenerator]},
  };
}

nlohmann::json causesToJson(const experiment::CauseCounts& causes) {
  nlohmann::json json = assignmentCausesToJson(causes.assignment);
  json["assignment_without_cause"] = causes.assignmentUnrecorded;
  json["update_error"] = causes.updateErrorCalls;
  json["update_error_hops"] = causes.updateErrorHops;
  json["without_path"] = causes.withoutPath;
  json["no_assignment"] = causes.noAssignment;
  json["policy_error"] = causes.policyError;
  return json;
}

nlohmann::json countsToJson(const experiment::CallCounts& counts) {
  return {{"offered", counts.offered},
          {"carried", counts.carried},
          {"blocked", counts.blocked},
          {"blocked_by_cause", causesToJson(counts.causes)}};
}

nlohmann::json pairsToJson(const std::vector<experiment::PairAccount>& pairs,
                           const std::vector<experiment::PairPaths>& candidates) {
  nlohmann::json list = nlohmann::json::array();
  for (const experiment::PairAccount& pair : pairs) {
    nlohmann::json entry = {{"origin", pair.origin}, {"destination", pair.destination}};
    entry.update(countsToJson(pair.calls));
    // Both lists are ordered by origin, then destination.
    const auto found = std::lower_bound(
        candidates.begin(), candidates.end(), std::pair(pair.origin, pair.destination),
        [](const experiment::PairPaths& c, const std::pair<std::int32_t, std::int32_t>& key) {
          return std::pair(c.origin, c.destination) < key;
        });
    if (found != candidates.end() && found->origin == pair.origin &&
        found->destination == pair.destination) {
      entry["candidate_paths"] = found->paths;
      entry["distinct_candidate_paths"] = found->distinctPaths;
      entry["search_limited"] = found->limited;
    }
    list.push_back(std::move(entry));
  }
  return list;
}

nlohmann::json linksToJson(const std::vector<experiment::LinkAccount>& links) {
  nlohmann::json list = nlohmann::json::array();
  for (const experiment::LinkAccount& link : links) {
    list.push_back({{"from", link.from},
                    {"to", link.to},
                    {"blocking_events", assignmentCausesToJson(link.blockingEvents)},
                    {"update_error_hops", link.updateErrorHops},
                    {"policy_errors", link.policyErrors},
                    {"mean_occupancy", link.meanOccupancy}});
  }
  return list;
}

nlohmann::json candidatesToJson(const std::vector<experiment::PairPaths>& candidates,
                                std::int32_t asked) {
  const experiment::CandidateSummary summary = experiment::summariseCandidates(candidates, asked);
  return {{"pairs", summary.pairs},
          {"fewer_than_asked", summary.fewerThanAsked},
          {"search_limited", summary.limited},
          {"without_path", summary.withoutPath}};
}

nlohmann::json probabilityToJson(const std::optional<double>& probability) {
  if (!probability) return nullptr;
  return *probability;
}

nlohmann::json trafficToJson(const RunLabel& label) {
  if (!label.traffic) return nullptr;
  const experiment::TrafficModel& model = *label.traffic;
  if (!label.trafficFile.empty()) {
    nlohmann::json traffic = {{"pairs", "matrix"},
                              {"file", label.trafficFile},
                              {"file_sha256", label.trafficSha256},
                              {"calls_busiest_pair", model.count},
                              {"holding", std::string(experiment::holdingName(model.holding))},
                              {"mean_holding", model.meanHolding},
                              {"seed", model.seed}};
    // The mean the matrix was scaled to: collect plots the run there.
    if (label.load) traffic["load"] = *label.load;
    return traffic;
  }
  nlohmann::json traffic = {{"pairs", "all"},
                            {"calls_per_pair", model.count},
                            {"holding", std::string(experiment::holdingName(model.holding))},
                            {"mean_holding", model.meanHolding},
                            {"mean_gap", model.meanGap},
                            {"seed", model.seed}};
  if (label.load) traffic["load"] = *label.load;
  return traffic;
}

std::string pathPolicyName(const experiment::PolicyChoice& choice, std::int32_t number) {
  return choice.name.empty() ? experiment::builtinPathPolicyName(number) : choice.name;
}

std::string wavelengthPolicyName(const experiment::PolicyChoice& choice) {
  return choice.name.empty() ? experiment::kBuiltinWavelengthRule : choice.name;
}

// Each plug-in by the file it was loaded from and that file's digest.
nlohmann::json pluginsToJson(const RunLabel& label) {
  nlohmann::json list = nlohmann::json::array();
  const auto add = [&list](const experiment::PolicyChoice& choice, const char* kind) {
    if (!choice.library) return;
    list.push_back({{"kind", kind},
                    {"policy", choice.name},
                    {"name", choice.policy},
                    {"file", choice.library->file()},
                    {"file_sha256", choice.library->sha256()},
                    {"library", choice.library->name()},
                    {"library_version", choice.library->version()}});
  };
  add(label.policies.path, "path");
  add(label.policies.wavelength, "wavelength");
  return list;
}

// A string as it is, anything else as JSON.
std::string textOf(const nlohmann::json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

nlohmann::json runToJson(const experiment::ExperimentPlan& plan, const RunLabel& label,
                         const experiment::ExperimentResult& result) {
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
        {"policy", label.policies.path.library ? nlohmann::json(label.policies.path.name)
                                               : nlohmann::json(config.pathPolicy)},
        {"path_policy", pathPolicyName(label.policies.path, config.pathPolicy)},
        {"wavelength_policy", wavelengthPolicyName(label.policies.wavelength)},
        {"interval", config.updateInterval},
        {"routing", experiment::routingName(plan.routing)}}},
      {"traffic", trafficToJson(label)},
      {"calls",
       {{"read", result.summary.callsRead},
        {"offered", result.offered},
        {"carried", result.carried},
        {"blocked", result.blocked},
        {"blocked_by_cause", causesToJson(result.causes)}}},
      {"blocking_probability", probabilityToJson(result.blockingProbability)},
      {"ticks", result.summary.ticks},
      {"warmup", plan.warmup},
      {"counted_ticks", result.countedTicks},
      {"candidate_paths", candidatesToJson(result.candidates, config.pathCount)},
      {"pairs", pairsToJson(result.pairs, result.candidates)},
      {"links", linksToJson(result.links)},
      {"run_seconds", result.seconds},
      {"routing_seconds",
       result.routingSeconds ? nlohmann::json(*result.routingSeconds) : nlohmann::json()},
  };
  if (result.generatedLoad) document["traffic"]["measured_load"] = *result.generatedLoad;
  document["settings"]["plugins"] = pluginsToJson(label);
  if (plan.routing.kind == session::Routing::kGiven) {
    document["settings"]["paths_file_sha256"] = plan.routing.sha256;
  }
  document["provenance"] = {
      {"program", "wrnsim-lab"},
      {"version", kVersion},
      {"commit", *kCommit != '\0' ? nlohmann::json(kCommit) : nlohmann::json()},
      {"command_line", label.commandLine},
      {"made", utcNow()},
      {"topology_file", label.topology},
      {"topology_sha256", label.topologySha256},
      {"network_sha256", result.networkSha256}};
  return document;
}

std::string recordFileName(std::size_t point, std::uint64_t seed) {
  return "point-" + std::to_string(point) + "-seed-" + std::to_string(seed) + ".json";
}

bool isRecordFileName(const std::string& name) {
  static const std::regex kName("point-[0-9]+-seed-[0-9]+\\.json");
  return std::regex_match(name, kName);
}

RunIdentity identityFromJson(const nlohmann::json& document) {
  RunIdentity identity;
  if (document.contains("provenance")) {
    identity.network = document["provenance"].value("network_sha256", std::string());
  }
  if (document.contains("settings")) {
    identity.settings = document["settings"];
    identity.settings.erase("policy");
    // The policies vary along the grid; their plug-ins' files are compared apart.
    identity.settings.erase("path_policy");
    identity.settings.erase("wavelength_policy");
    identity.settings.erase("plugins");
    identity.settings.erase("interval");
    // Records from before the choice was offered were all made with the console's search.
    if (!identity.settings.contains("routing")) {
      identity.settings["routing"] = experiment::routingName(session::Routing::kConsole);
    }
    // A paths file is known by its digest, whatever name it was given.
    if (const nlohmann::json& routing = identity.settings["routing"];
        routing.is_string() && experiment::pathsFileOfName(routing.get<std::string>())) {
      identity.settings["routing"] = experiment::routingName(session::Routing::kGiven);
    }
  }
  if (document.contains("traffic") && document["traffic"].is_object()) {
    identity.traffic = document["traffic"];
    // The load and what follows from it, and the seed, vary along a curve.
    for (const char* swept : {"load", "mean_gap", "seed", "measured_load"}) {
      identity.traffic.erase(swept);
    }
  }
  identity.warmup = document.value("warmup", std::int64_t{0});
  return identity;
}

std::string identityMismatch(const RunIdentity& a, const RunIdentity& b) {
  if (!a.network.empty() && !b.network.empty() && a.network != b.network) {
    return "different networks";
  }
  const nlohmann::json pathsA = a.settings.value("paths_file_sha256", nlohmann::json());
  const nlohmann::json pathsB = b.settings.value("paths_file_sha256", nlohmann::json());
  if (!pathsA.is_null() && !pathsB.is_null() && pathsA != pathsB) {
    return "different paths files: sha256 " + textOf(pathsA) + " and " + textOf(pathsB);
  }
  if (a.settings != b.settings)
    return "different settings: " + a.settings.dump() + " and " + b.settings.dump();
  if (a.traffic != b.traffic)
    return "different traffic: " + a.traffic.dump() + " and " + b.traffic.dump();
  if (a.warmup != b.warmup) {
    return "different warm-ups: " + std::to_string(a.warmup) + " and " + std::to_string(b.warmup);
  }
  return {};
}

void PluginDigests::check(const nlohmann::json& record, const std::string& path) {
  const nlohmann::json settings = record.value("settings", nlohmann::json::object());
  if (!settings.is_object()) return;
  const nlohmann::json plugins = settings.value("plugins", nlohmann::json::array());
  if (!plugins.is_array()) return;
  for (const nlohmann::json& plugin : plugins) {
    if (!plugin.is_object()) continue;
    const std::string name = plugin.value("policy", std::string());
    const std::string digest = plugin.value("file_sha256", std::string());
    const auto [at, added] = seen_.try_emplace(name, digest, path);
    if (!added && at->second.first != digest) {
      throw std::runtime_error("'" + at->second.second + "' and '" + path +
                               "' ran the plug-in policy " + name +
                               " from different files (sha256 " + at->second.first + " and " +
                               digest + "): they cannot be merged");
    }
  }
}

experiment::SeedRun seedRunFromJson(const nlohmann::json& document) {
  try {
    const nlohmann::json& traffic = document.at("traffic");
    if (traffic.is_null() || !traffic.contains("load")) {
      throw std::runtime_error(
          "a run without a load has no place on the curve: it needs --all-pairs --load L, or "
          "--traffic FILE scaled with --load L");
    }
    experiment::SeedRun run;
    run.key.load = traffic.at("load").get<double>();
    const nlohmann::json& settings = document.at("settings");
    if (const nlohmann::json& policy = settings.at("policy"); policy.is_string()) {
      run.key.policy = 0;
      run.key.pathPolicy = policy.get<std::string>();
    } else {
      run.key.policy = policy.get<std::int32_t>();
    }
    const std::string wavelength =
        settings.value("wavelength_policy", std::string(experiment::kBuiltinWavelengthRule));
    if (wavelength != experiment::kBuiltinWavelengthRule) run.key.wavelengthPolicy = wavelength;
    run.key.interval = document.at("settings").at("interval").get<std::int32_t>();
    run.seed = traffic.at("seed").get<std::uint64_t>();
    run.offered = document.at("calls").at("offered").get<std::int64_t>();
    run.carried = document.at("calls").at("carried").get<std::int64_t>();
    const nlohmann::json& blocking = document.at("blocking_probability");
    if (!blocking.is_null()) run.blocking = blocking.get<double>();
    const nlohmann::json& calls = document.at("calls");
    run.blocked = calls.at("blocked").get<std::int64_t>();
    // Records from before the causes were kept read as none.
    const nlohmann::json causes = calls.value("blocked_by_cause", nlohmann::json::object());
    for (std::size_t type = 0; type < 4; ++type) {
      run.causes.assignment[type] = causes.value(experiment::kCauseNames[type], std::int64_t{0});
    }
    run.causes.assignmentUnrecorded = causes.value("assignment_without_cause", std::int64_t{0});
    run.causes.updateErrorCalls = causes.value("update_error", std::int64_t{0});
    run.causes.updateErrorHops = causes.value("update_error_hops", std::int64_t{0});
    run.causes.withoutPath = causes.value("without_path", std::int64_t{0});
    run.causes.noAssignment = causes.value("no_assignment", std::int64_t{0});
    run.causes.policyError = causes.value("policy_error", std::int64_t{0});
    run.seconds = document.at("run_seconds").get<double>();
    // Records from before the paths were found apart read as none.
    if (const nlohmann::json routing = document.value("routing_seconds", nlohmann::json());
        !routing.is_null()) {
      run.routingSeconds = routing.get<double>();
    }
    return run;
  } catch (const nlohmann::json::exception& error) {
    // The library's message without its own tag: "key 'traffic' not found".
    std::string message = error.what();
    if (const std::size_t tag = message.find("] ");
        message.starts_with("[json.") && tag != message.npos) {
      message.erase(0, tag + 2);
    }
    throw std::runtime_error("not a run record: " + message);
  }
}

}  // namespace lab
