#include "lab/map_result.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <system_error>

#include "lab/commands.h"
#include "lab/run_record.h"

namespace lab {

namespace {

// The field as a whole number from 0 to `most`: a count or a node number. Anything else (a
// fraction, a number out of range, text) is not what a run record holds.
std::int64_t countField(const nlohmann::json& object, const char* key, const std::string& path,
                        std::int64_t most = 0x7fffffff) {
  const nlohmann::json& field = object.at(key);
  const bool whole = field.is_number_unsigned()
                         ? field.get<std::uint64_t>() <= static_cast<std::uint64_t>(most)
                         : field.is_number_integer() && field.get<std::int64_t>() >= 0 &&
                               field.get<std::int64_t>() <= most;
  if (!whole) {
    throw UsageError("'" + path + "' is not a run record: '" + key + "' is " + field.dump() +
                     ", not a whole number from 0");
  }
  return field.get<std::int64_t>();
}

constexpr std::int64_t kAnyCount = std::numeric_limits<std::int64_t>::max();

// One record's values, before averaging.
struct RecordValues {
  std::vector<LinkRates> links;
  std::vector<std::optional<double>> originBlocking;
  std::vector<std::int64_t> shortPairs, limitedPairs, pathlessPairs;
  std::int32_t askedPaths = 0;
  std::string routing;
  std::optional<std::uint64_t> seed;
};

RecordValues readRecord(const nlohmann::json& record, const MapNetwork& network,
                        const std::string& path) {
  const auto nodes = countField(record, "nodes", path);
  if (nodes != network.nodes) {
    throw UsageError("'" + path + "' is a run on a network of " + std::to_string(nodes) +
                     " nodes, and the topology has " + std::to_string(network.nodes) +
                     ": give the topology the run was made on");
  }
  RecordValues values;
  const nlohmann::json& settings = record.at("settings");
  values.askedPaths = static_cast<std::int32_t>(countField(settings, "paths", path));
  values.routing = settings.value("routing", std::string("console"));
  if (record.contains("traffic") && record["traffic"].is_object() &&
      record["traffic"].contains("seed")) {
    const nlohmann::json& seed = record["traffic"]["seed"];
    if (seed.is_number_unsigned()) values.seed = seed.get<std::uint64_t>();
  }
  // Events are counted over the same ticks as the rate's divisor; a run that counted no tick
  // counted no event either.
  const double ticks = static_cast<double>(countField(record, "counted_ticks", path, kAnyCount));
  auto perTick = [ticks](double events) { return ticks > 0.0 ? events / ticks : 0.0; };
  std::map<std::pair<int, int>, LinkRates> byPair;
  for (const nlohmann::json& link : record.at("links")) {
    const auto from = static_cast<int>(countField(link, "from", path));
    const auto to = static_cast<int>(countField(link, "to", path));
    if (network.directed.count({from, to}) == 0) {
      throw UsageError("'" + path + "' counts a link " + std::to_string(from) + "-" +
                       std::to_string(to) +
                       " that the topology does not have: give the topology the run was made on");
    }
    double events = 0.0;
    for (const auto& [cause, count] : link.at("blocking_events").items()) {
      events += static_cast<double>(
          countField(link.at("blocking_events"), cause.c_str(), path, kAnyCount));
    }
    const auto refused =
        static_cast<double>(countField(link, "update_error_hops", path, kAnyCount));
    const double occupancy = link.at("mean_occupancy").get<double>();
    if (from == to) continue;
    LinkRates& rates = byPair[{std::min(from, to), std::max(from, to)}];
    rates.assignment += perTick(events);
    rates.updateErrors += perTick(refused);
    // The two directions share their fibres: either gives the pair's occupancy.
    rates.occupancy = std::max(rates.occupancy, occupancy);
  }
  for (const auto& pair : network.links) values.links.push_back(byPair[pair]);
  const auto size = static_cast<std::size_t>(network.nodes);
  std::vector<std::int64_t> offered(size, 0), blocked(size, 0);
  values.shortPairs.assign(size, 0);
  values.limitedPairs.assign(size, 0);
  values.pathlessPairs.assign(size, 0);
  for (const nlohmann::json& pair : record.at("pairs")) {
    const auto origin = static_cast<int>(countField(pair, "origin", path));
    if (origin >= network.nodes) {
      throw UsageError("'" + path + "' has a pair from node " + std::to_string(origin) +
                       ", which the topology does not have");
    }
    const auto at = static_cast<std::size_t>(origin);
    offered[at] += countField(pair, "offered", path);
    blocked[at] += countField(pair, "blocked", path);
    // Records from before the candidates were kept mark no pair short or limited.
    const bool searched = pair.contains("distinct_candidate_paths");
    const std::int64_t distinct = searched ? countField(pair, "distinct_candidate_paths", path) : 0;
    if (searched && distinct < values.askedPaths) ++values.shortPairs[at];
    if (pair.value("search_limited", false)) ++values.limitedPairs[at];
    const nlohmann::json causes = pair.value("blocked_by_cause", nlohmann::json::object());
    if ((searched && distinct == 0) || causes.value("without_path", std::int64_t{0}) > 0) {
      ++values.pathlessPairs[at];
    }
  }
  for (std::size_t n = 0; n < size; ++n) {
    values.originBlocking.push_back(offered[n] > 0
                                        ? std::optional<double>(static_cast<double>(blocked[n]) /
                                                                static_cast<double>(offered[n]))
                                        : std::nullopt);
  }
  return values;
}

// The library's message without its own tag: "key 'links' not found".
std::string withoutTag(const nlohmann::json::exception& error) {
  std::string message = error.what();
  if (const std::size_t tag = message.find("] "); tag != std::string::npos)
    message.erase(0, tag + 2);
  return message;
}

nlohmann::json fieldOf(const nlohmann::json& document, const char* section, const char* key) {
  if (!document.contains(section) || !document[section].is_object()) return nullptr;
  return document[section].value(key, nlohmann::json());
}

// What makes two records runs of different points, in words; empty when only their seeds
// (and what the run made of them) differ.
std::string pointMismatch(const nlohmann::json& a, const nlohmann::json& b) {
  std::string why = identityMismatch(identityFromJson(a), identityFromJson(b));
  if (!why.empty()) return why;
  struct Swept {
    const char* section;
    const char* key;
    const char* plural;
  };
  for (const Swept& swept :
       {Swept{"settings", "policy", "policies"}, Swept{"settings", "interval", "intervals"},
        Swept{"traffic", "load", "loads"}}) {
    const nlohmann::json x = fieldOf(a, swept.section, swept.key);
    const nlohmann::json y = fieldOf(b, swept.section, swept.key);
    if (x != y)
      return std::string("different ") + swept.plural + ": " + x.dump() + " and " + y.dump();
  }
  return {};
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

}  // namespace

std::optional<LinkMeasure> linkMeasureFromName(const std::string& name) {
  if (name == "blocking") return LinkMeasure::kBlocking;
  if (name == "assignment") return LinkMeasure::kAssignment;
  if (name == "update-errors") return LinkMeasure::kUpdateErrors;
  if (name == "occupancy") return LinkMeasure::kOccupancy;
  return std::nullopt;
}

double linkValue(const LinkRates& link, LinkMeasure measure) {
  switch (measure) {
    case LinkMeasure::kAssignment:
      return link.assignment;
    case LinkMeasure::kUpdateErrors:
      return link.updateErrors;
    case LinkMeasure::kOccupancy:
      return link.occupancy;
    case LinkMeasure::kBlocking:
      break;
  }
  return link.assignment + link.updateErrors;
}

MapResult mapResultOf(const std::vector<RunRecordFile>& records, const MapNetwork& network,
                      LinkMeasure measure) {
  std::vector<RecordValues> values;
  for (const RunRecordFile& record : records) {
    try {
      values.push_back(readRecord(record.document, network, record.path));
    } catch (const nlohmann::json::exception& error) {
      throw UsageError("'" + record.path + "' is not a run record: " + withoutTag(error));
    }
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    for (std::size_t j = i + 1; j < records.size(); ++j) {
      const std::string both = "'" + records[i].path + "' and '" + records[j].path + "'";
      if (sameFile(records[i].path, records[j].path)) {
        throw UsageError(both + " are one file: give each run once");
      }
      if (const std::string why = pointMismatch(records[i].document, records[j].document);
          !why.empty()) {
        throw UsageError(both + " are runs of different points (" + why +
                         "): give records that differ only in their seed");
      }
      if (records[i].document == records[j].document ||
          (values[i].seed && values[i].seed == values[j].seed)) {
        throw UsageError(
            both + " hold the same run" +
            (values[i].seed ? " (seed " + std::to_string(*values[i].seed) + ")" : std::string()) +
            ": give each run once");
      }
    }
  }
  MapResult result;
  result.measure = measure;
  result.runs = static_cast<int>(values.size());
  if (values.empty()) return result;
  result.askedPaths = values.front().askedPaths;
  result.routing = values.front().routing;
  result.links.resize(network.links.size());
  const auto size = static_cast<std::size_t>(network.nodes);
  result.shortPairs.assign(size, 0);
  result.limitedPairs.assign(size, 0);
  result.pathlessPairs.assign(size, 0);
  std::vector<double> blockingSum(size, 0.0);
  std::vector<int> blockingRuns(size, 0);
  const auto runs = static_cast<double>(values.size());
  for (const RecordValues& one : values) {
    if (one.seed) result.seeds.push_back(*one.seed);
    for (std::size_t k = 0; k < result.links.size(); ++k) {
      result.links[k].assignment += one.links[k].assignment / runs;
      result.links[k].updateErrors += one.links[k].updateErrors / runs;
      result.links[k].occupancy += one.links[k].occupancy / runs;
    }
    for (std::size_t n = 0; n < size; ++n) {
      result.shortPairs[n] = std::max(result.shortPairs[n], one.shortPairs[n]);
      result.limitedPairs[n] = std::max(result.limitedPairs[n], one.limitedPairs[n]);
      result.pathlessPairs[n] = std::max(result.pathlessPairs[n], one.pathlessPairs[n]);
      if (one.originBlocking[n]) {
        blockingSum[n] += *one.originBlocking[n];
        ++blockingRuns[n];
      }
    }
  }
  for (std::size_t n = 0; n < size; ++n) {
    result.originBlocking.push_back(blockingRuns[n] > 0
                                        ? std::optional<double>(blockingSum[n] / blockingRuns[n])
                                        : std::nullopt);
  }
  return result;
}

}  // namespace lab
