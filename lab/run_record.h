// The JSON form of one run: its settings, its traffic and its counts, as `run --json`
// prints it and `collect` reads it back.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "experiment/blocking_curve.h"
#include "experiment/experiment.h"
#include "experiment/policy_choice.h"

namespace lab {

// What produced a run beyond its settings: the grid coordinates of generated traffic.
struct RunLabel {
  std::string topology;
  // The topology file's SHA-256, and the command that made the run.
  std::string topologySha256;
  std::string commandLine;
  // Present for generated all-pairs traffic.
  std::optional<double> load;
  std::optional<experiment::TrafficModel> traffic;
  // For traffic from a matrix: its file and the file's SHA-256.
  std::string trafficFile;
  std::string trafficSha256;
  // The policies the run decided with; unnamed ones are read as --policy and the built-in
  // wavelength rule.
  struct {
    experiment::PolicyChoice path;
    experiment::PolicyChoice wavelength;
  } policies;
};

// The name a sweep gives the record of a point's run with a seed, and whether a name is one
// such: "point-3-seed-12.json".
std::string recordFileName(std::size_t point, std::uint64_t seed);
bool isRecordFileName(const std::string& name);

// The moment, in UTC, as 2026-12-07T23:31:00Z.
std::string utcNow();

nlohmann::json runToJson(const experiment::ExperimentPlan& plan, const RunLabel& label,
                         const experiment::ExperimentResult& result);

// What must be the same of runs merged into one curve, besides the grid point.
struct RunIdentity {
  // The network as loaded; empty for records from before it was kept.
  std::string network;
  // lambdas, fibres, paths, max_shared, routing ("paths" for any paths file) and, for a
  // paths file, paths_file_sha256
  nlohmann::json settings;
  nlohmann::json traffic;  // the model without its load and seed
  std::int64_t warmup = 0;
};

RunIdentity identityFromJson(const nlohmann::json& document);

// What differs between two identities, in words; empty when they may be merged.
std::string identityMismatch(const RunIdentity& a, const RunIdentity& b);

// The plug-ins of the records merged so far: one policy name must always come from the
// same file contents.
class PluginDigests {
 public:
  // Throws std::runtime_error naming both records when the record's plug-in of a name seen
  // before had another digest.
  void check(const nlohmann::json& record, const std::string& path);
  // The digest of the plug-in policy of that name; empty when none was seen.
  std::string digestOf(const std::string& name) const {
    const auto found = seen_.find(name);
    return found == seen_.end() ? std::string() : found->second.first;
  }

 private:
  // Digest and record by policy name.
  std::map<std::string, std::pair<std::string, std::string>> seen_;
};

// The grid point and counts of a run printed by runToJson. Throws std::runtime_error (with
// what is missing) for a document that is not such a run or has no load.
experiment::SeedRun seedRunFromJson(const nlohmann::json& document);

}  // namespace lab
