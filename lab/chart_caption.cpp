#include "lab/chart_caption.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "experiment/routing_choice.h"
#include "lab/svg_text.h"

namespace lab {

namespace {

std::string fileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::string plural(std::int64_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string holdingWords(const std::string& holding) {
  if (holding == "exp") return "exponential";
  if (holding.empty()) return "unknown";
  return holding;
}

// How many seeds each point had, and which when every point had the same run of them.
std::string seedWords(const std::vector<experiment::SeedRun>& runs) {
  std::map<experiment::PointKey, std::set<std::uint64_t>> seeds;
  for (const experiment::SeedRun& run : runs) seeds[run.key].insert(run.seed);
  if (seeds.empty()) return "no runs";
  std::size_t fewest = seeds.begin()->second.size(), most = fewest;
  bool alike = true;
  for (const auto& [key, set] : seeds) {
    fewest = std::min(fewest, set.size());
    most = std::max(most, set.size());
    alike = alike && set == seeds.begin()->second;
  }
  const std::set<std::uint64_t>& first = seeds.begin()->second;
  if (fewest != most) {
    return std::to_string(fewest) + " to " + std::to_string(most) + " seeds per point";
  }
  std::string words = plural(static_cast<std::int64_t>(most), "seed", "seeds") + " per point";
  if (alike && *first.rbegin() - *first.begin() + 1 == first.size()) {
    words += first.size() == 1 ? " (seed " + std::to_string(*first.begin()) + ")"
                               : " (seeds " + std::to_string(*first.begin()) + " to " +
                                     std::to_string(*first.rbegin()) + ")";
  }
  return words;
}

}  // namespace

ChartSettings sweepChartSettings(const SweepOptions& options) {
  ChartSettings settings;
  settings.network = fileName(options.topology);
  settings.lambdas = options.config.lambdaCount;
  settings.fibres = options.config.fiberCount;
  settings.paths = options.config.pathCount;
  settings.maxShared = options.config.maxCoincidences;
  settings.routing = options.routing;
  settings.holding = options.traffic.holding;
  settings.meanHolding = options.traffic.meanHolding;
  settings.calls = options.traffic.calls;
  settings.trafficFile = options.trafficFile.empty() ? "" : fileName(options.trafficFile);
  settings.warmup = options.warmup;
  settings.targetCi = options.targetCi;
  settings.minSeeds = options.minSeeds;
  settings.maxSeeds = options.maxSeeds;
  return settings;
}

ChartSettings recordChartSettings(const nlohmann::json& record) {
  ChartSettings settings;
  const nlohmann::json none = nlohmann::json::object();
  const nlohmann::json& given = record.contains("settings") ? record["settings"] : none;
  const nlohmann::json& traffic =
      record.contains("traffic") && record["traffic"].is_object() ? record["traffic"] : none;
  const nlohmann::json& provenance = record.contains("provenance") ? record["provenance"] : none;
  settings.network = fileName(provenance.value("topology_file", record.value("topology", "")));
  settings.lambdas = given.value("lambdas", 0);
  settings.fibres = given.value("fibres", 0);
  settings.paths = given.value("paths", 0);
  settings.maxShared = given.value("max_shared", 0);
  settings.routing = given.value("routing", "console");
  settings.holding = traffic.value("holding", "");
  settings.meanHolding = traffic.value("mean_holding", 0.0);
  if (traffic.value("pairs", "") == "matrix") {
    settings.trafficFile = fileName(traffic.value("file", ""));
    settings.calls = traffic.value("calls_busiest_pair", std::int64_t{0});
  } else {
    settings.calls = traffic.value("calls_per_pair", std::int64_t{0});
  }
  settings.warmup = record.value("warmup", std::int64_t{0});
  return settings;
}

std::string chartCaption(const ChartSettings& settings,
                         const std::vector<experiment::SeedRun>& runs,
                         const experiment::ReferenceCurve* reference) {
  std::ostringstream text;
  text << "Network " << (settings.network.empty() ? "unknown" : settings.network) << ": "
       << plural(settings.lambdas, "wavelength", "wavelengths") << " per fibre, "
       << plural(settings.fibres, "fibre", "fibres") << " per link; ";
  if (const auto file = experiment::pathsFileOfName(settings.routing)) {
    // The file's paths are taken as they are: no count or sharing rule made them.
    text << "candidate paths per pair from " << fileName(*file) << ". Traffic: ";
  } else {
    if (settings.paths == 1) {
      text << "1 candidate path per pair (at most " << settings.maxShared << " shared links); ";
    } else {
      text << "up to " << settings.paths << " candidate paths per pair, any two sharing at most "
           << plural(settings.maxShared, "link", "links") << "; ";
    }
    text << settings.routing << " routing. Traffic: ";
  }
  if (!settings.trafficFile.empty()) {
    text << "the pattern of " << settings.trafficFile << " scaled to each load, "
         << plural(settings.calls, "call", "calls") << " for its busiest pair, ";
  } else {
    text << plural(settings.calls, "call", "calls") << " per pair, ";
  }
  text << holdingWords(settings.holding) << " holding times of mean "
       << svgNumber(settings.meanHolding) << " ticks; ";
  if (settings.warmup > 0) {
    text << "warm-up: the first " << plural(settings.warmup, "tick", "ticks") << " left out. ";
  } else {
    text << "no warm-up. ";
  }
  const std::string seeds = seedWords(runs);
  if (settings.targetCi > 0.0) {
    text << "Seeds added to each point until its 95% interval was within +-"
         << svgNumber(settings.targetCi * 100) << "% of its mean (" << settings.minSeeds << " to "
         << settings.maxSeeds << " allowed): " << seeds << ".";
  } else {
    text << static_cast<char>(std::toupper(static_cast<unsigned char>(seeds[0]))) << seeds.substr(1)
         << ".";
  }
  if (reference != nullptr) {
    text << " " << reference->name
         << " (theory): one candidate path per pair, full wavelength conversion (a regenerator "
            "for every circuit), views refreshed at every call.";
  }
  return text.str();
}

std::string policyName(std::int32_t policy) {
  switch (policy) {
    case 1:
      return "Random (1)";
    case 2:
      return "In turn (2)";
    case 3:
      return "Least loaded, in turn (3)";
    case 4:
      return "Least loaded, first found (4)";
    default:
      return "Policy " + std::to_string(policy);
  }
}

std::string seriesName(std::int32_t policy, bool onePath, bool severalPolicies) {
  if (!onePath) return policyName(policy);
  return severalPolicies ? "1 path (policy " + std::to_string(policy) + ")" : "1 path";
}

std::string pluginPolicyName(const std::string& policy) {
  const std::size_t colon = policy.rfind(':');
  return colon == std::string::npos ? policy : policy.substr(colon + 1);
}

std::string refreshName(std::int32_t interval) {
  if (interval == 0) return "refresh at every call";
  return "refresh every " + plural(interval, "tick", "ticks");
}

std::string causeTitle(std::size_t cause) {
  static constexpr const char* kTitles[experiment::kCauseColumns] = {
      "No free wavelength (type 0)",
      "No free regenerator (type 1)",
      "No wavelength, no regenerator (type 2)",
      "No wavelength, regenerator free (type 3)",
      "Assignment, no cause recorded",
      "Update error, stale view (type 4)",
      "Without a path",
      "No assignment, no cause given",
      "Policy error"};
  return cause < experiment::kCauseColumns ? kTitles[cause] : "Cause " + std::to_string(cause);
}

}  // namespace lab
