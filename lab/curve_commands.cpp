// The sweep and collect commands: many runs gathered into a blocking curve.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "experiment/blocking_curve.h"
#include "experiment/experiment.h"
#include "experiment/policy_choice.h"
#include "experiment/precision.h"
#include "experiment/reference_curve.h"
#include "experiment/routing_choice.h"
#include "experiment/sha256.h"
#include "experiment/sweep.h"
#include "experiment/theory.h"
#include "lab/causes_chart.h"
#include "lab/chart_caption.h"
#include "lab/commands.h"
#include "lab/lab_files.h"
#include "lab/named_results.h"
#include "lab/routing_input.h"
#include "lab/run_record.h"
#include "lab/svg_chart.h"
#include "lab/sweep_steps.h"
#include "lab/topology_input.h"
#include "lab/traffic_options.h"
#include "lab/version.h"

namespace lab {

namespace {

// Comment lines that say which program, command, network and routing made a CSV.
std::string provenanceLines(const LabIo& io, const std::string& network,
                            const std::string& routing) {
  return "# wrnsim-lab " + versionText() + "\n# command: " + io.commandLine + "\n" +
         (network.empty() ? "" : "# " + network + "\n") + "# routing: " + routing + "\n" +
         "# made: " + utcNow() + "\n";
}

// The grid's policies for the CSV comments, in the order of the curves: each by name, a
// plug-in with its file's digest (from `digestOf`, empty when not known).
std::string policyLines(const std::vector<experiment::SeedRun>& runs,
                        const std::function<std::string(const std::string&)>& digestOf) {
  // Built-ins first, as the CSV's rows.
  std::set<std::tuple<bool, std::int32_t, std::string>> paths;
  std::set<std::string> wavelengths;
  for (const experiment::SeedRun& run : runs) {
    paths.emplace(!run.key.pathPolicy.empty(), run.key.policy, run.key.pathPolicy);
    wavelengths.insert(run.key.wavelengthPolicy);
  }
  auto named = [&digestOf](const std::string& name) {
    const std::string digest = digestOf(name);
    return digest.empty() ? name : name + " sha256 " + digest;
  };
  std::string pathText;
  for (const auto& [isPlugin, number, plugin] : paths) {
    if (!pathText.empty()) pathText += ", ";
    pathText += plugin.empty() ? experiment::builtinPathPolicyName(number) : named(plugin);
  }
  std::string wavelengthText;
  for (const std::string& plugin : wavelengths) {
    if (!wavelengthText.empty()) wavelengthText += ", ";
    wavelengthText +=
        plugin.empty() ? std::string(experiment::kBuiltinWavelengthRule) : named(plugin);
  }
  return "# path policies: " + pathText + "\n# wavelength policies: " + wavelengthText + "\n";
}

// The routing of a record for the CSV comments; a paths file with its digest.
std::string recordRouting(const nlohmann::json& record) {
  const nlohmann::json settings = record.value("settings", nlohmann::json::object());
  const nlohmann::json name = settings.value("routing", nlohmann::json("console"));
  const nlohmann::json digest = settings.value("paths_file_sha256", nlohmann::json());
  auto text = [](const nlohmann::json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
  };
  return digest.is_null() ? text(name) : text(name) + " sha256 " + text(digest);
}

void writeCurve(const std::vector<experiment::SeedRun>& runs, const std::string& csvPath,
                const std::string& svgPath, const std::string& runsCsvPath,
                const std::string& provenance, const std::string& causesSvgPath,
                const ChartSettings& settings, const std::string& title,
                const experiment::ReferenceCurve* reference = nullptr) {
  if (!runsCsvPath.empty()) {
    std::ostringstream rows;
    rows << provenance;
    experiment::writeRunsCsv(rows, runs);
    writeFile(runsCsvPath, rows.str());
  }
  const std::vector<experiment::CurvePoint> points = experiment::curvePoints(runs);
  std::ostringstream csv;
  csv << provenance;
  experiment::writeCurveCsv(csv, points, reference);
  writeFile(csvPath, csv.str());
  ChartText chart{title, chartCaption(settings, runs, reference), settings.paths == 1};
  writeFile(svgPath, blockingChartSvg(points, chart, reference));
  if (!causesSvgPath.empty()) {
    // The theory gives no causes: its words stay off this chart.
    chart.caption = chartCaption(settings, runs);
    writeFile(causesSvgPath, causesChartSvg(points, chart));
  }
}

// Theory's curve named by `name` on the runs' network, settings, routing and loads; none
// without a name. Throws UsageError where the theory does not cover the runs.
std::optional<experiment::ReferenceCurve> theoryReference(
    const std::string& name, const std::string& topology, base::Config config,
    const std::vector<std::int32_t>& intervals, const std::vector<double>& loads,
    const std::vector<experiment::PairLoad>& pattern, const experiment::RoutingChoice& routing) {
  if (name.empty()) return std::nullopt;
  experiment::ReferenceKind kind{};
  if (!experiment::parseReference(name, kind)) {
    throw UsageError("--reference must be efp, exact or erlang, not '" + name + "'");
  }
  if (std::any_of(intervals.begin(), intervals.end(),
                  [](std::int32_t interval) { return interval != 0; })) {
    throw UsageError("--reference " + name +
                     ": the theory holds for views refreshed at every call (--intervals 0)");
  }
  config.updateInterval = 0;
  try {
    return experiment::referenceCurve(kind, topology, config, loads, pattern, routing);
  } catch (const experiment::TheoryError& error) {
    throw UsageError("--reference " + name + ": " + error.what());
  } catch (const experiment::ExperimentError& error) {
    throw UsageError(error.what());
  }
}

// Computed before any run, so that a sweep the theory does not cover is refused at once.
std::optional<experiment::ReferenceCurve> sweepReference(const SweepOptions& options,
                                                         const experiment::SweepPlan& plan) {
  if (!options.reference.empty() && !options.jobsFile.empty()) {
    throw UsageError(
        "--reference is drawn on the chart sweep writes; with --jobs-file, give it to collect "
        "with the topology (and traffic) file");
  }
  return theoryReference(options.reference, plan.topologyText, plan.config, plan.intervals,
                         plan.loads, plan.matrix, plan.routing);
}

// The reference for merged records: the files they were made from must be given again, and
// be the same files.
std::optional<experiment::ReferenceCurve> collectReference(
    const CollectOptions& options, const nlohmann::json& record,
    const std::vector<experiment::SeedRun>& runs) {
  if (options.reference.empty()) {
    if (!options.topology.empty() || !options.trafficFile.empty()) {
      throw UsageError("--topology and --traffic serve --reference: give it too, or neither");
    }
    return std::nullopt;
  }
  if (options.topology.empty()) {
    throw UsageError("--reference needs the topology file the runs were made on: --topology FILE");
  }
  const TopologyInput topology = readTopology(options.topology);
  const nlohmann::json provenance = record.value("provenance", nlohmann::json::object());
  const std::string made = provenance.value("topology_sha256", std::string());
  if (!made.empty() && made != topology.sha256) {
    throw UsageError("'" + options.topology + "' is not the topology file the runs were made on (" +
                     provenance.value("topology_file", std::string()) + ", sha256 " + made + ")");
  }
  const nlohmann::json& traffic = record.at("traffic");
  std::vector<experiment::PairLoad> pattern;
  if (traffic.value("pairs", std::string()) == "matrix") {
    if (options.trafficFile.empty()) {
      throw UsageError("the runs' traffic came from " + traffic.value("file", std::string()) +
                       ": give it with --traffic FILE");
    }
    const TrafficFile file = readTrafficMatrix(options.trafficFile);
    if (file.sha256 != traffic.value("file_sha256", std::string())) {
      throw UsageError("'" + options.trafficFile +
                       "' is not the traffic file the runs were made "
                       "with (" +
                       traffic.value("file", std::string()) + ")");
    }
    pattern = file.pairs;
  } else if (!options.trafficFile.empty()) {
    throw UsageError("the runs offered every pair the same load: they had no traffic file");
  }
  const nlohmann::json& settings = record.at("settings");
  base::Config config;
  config.lambdaCount = settings.at("lambdas").get<std::int32_t>();
  config.fiberCount = settings.at("fibres").get<std::int32_t>();
  config.pathCount = settings.at("paths").get<std::int32_t>();
  config.maxCoincidences = settings.at("max_shared").get<std::int32_t>();
  const std::string routingName = recordRouting(record);
  if (routingName.starts_with("paths:")) {
    throw UsageError("--reference: the runs took their paths from a file (" + routingName +
                     "), which collect is not given: give --reference to the sweep that makes "
                     "them, or run theory --routing paths:FILE");
  }
  experiment::RoutingChoice routing;
  routing.kind = experiment::routingFromName(routingName).value_or(session::Routing::kConsole);
  std::set<double> loads;
  std::set<std::int32_t> intervals;
  for (const experiment::SeedRun& run : runs) {
    loads.insert(run.key.load);
    intervals.insert(run.key.interval);
  }
  return theoryReference(options.reference, topology.conText, config,
                         {intervals.begin(), intervals.end()}, {loads.begin(), loads.end()},
                         pattern, routing);
}

}  // namespace

int sweepCommand(const SweepOptions& options, LabIo& io) {
  checkSweepOptions(options);
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  experiment::SweepPlan plan = planSweep(options, topology, io);
  const std::optional<experiment::ReferenceCurve> reference = sweepReference(options, plan);
  const SweepWork work = sweepWork(plan, options, !options.recordsDir.empty(), io);
  if (!options.jobsFile.empty()) {
    std::string lines;
    for (std::size_t i = 0; i < work.tasks.size(); ++i) {
      lines +=
          experiment::jobLine(plan, work.tasks[i], i, options.program, options.resultsDir) + "\n";
    }
    writeFile(options.jobsFile, lines);
    io.err << work.tasks.size() << " command lines written to " << options.jobsFile << '\n';
    return 0;
  }
  // Each run's record, named by its point and seed.
  const std::vector<experiment::PointKey> points = experiment::sweepPoints(plan);
  experiment::ResultSink keepRecord;
  if (!options.recordsDir.empty()) {
    // What every record shares.
    RunLabel common;
    common.topology = options.topology;
    common.topologySha256 = topology.sha256;
    common.commandLine = io.commandLine;
    common.trafficFile = plan.matrixPath;
    common.trafficSha256 = plan.matrixSha256;
    keepRecord = [&, common](const experiment::SweepTask& task,
                             const experiment::ExperimentPlan& experiment,
                             const experiment::ExperimentResult& result) {
      RunLabel label = common;
      label.load = task.key.load;
      label.traffic = experiment.allPairs ? *experiment.allPairs : experiment.matrixTraffic;
      const experiment::PointPolicies policies = experiment::pointPolicies(plan, task.key);
      label.policies = {policies.path, policies.wavelength};
      const auto point = std::find(points.begin(), points.end(), task.key) - points.begin();
      const std::string name = recordFileName(static_cast<std::size_t>(point), task.seed);
      nlohmann::json record = runToJson(experiment, label, result);
      addNodeNames(record, topology);
      writeFile((std::filesystem::path(options.recordsDir) / name).string(), record.dump(2) + "\n");
    };
  }
  const std::vector<experiment::SeedRun> runs = runSweepWork(plan, work, options, io, keepRecord);
  writeCurve(
      runs, options.csv, options.svg, options.runsCsv,
      provenanceLines(io, "topology: " + options.topology + " sha256 " + topology.sha256,
                      routingProvenance(plan.routing)) +
          policyLines(runs,
                      [&plan](const std::string& name) {
                        for (const auto* choices : {&plan.policies, &plan.wavelengthPolicies}) {
                          for (const experiment::PolicyChoice& choice : *choices) {
                            if (choice.library && choice.name == name)
                              return choice.library->sha256();
                          }
                        }
                        return std::string();
                      }),
      options.causesSvg, sweepChartSettings(options), options.title,
      reference ? &*reference : nullptr);
  io.err << runs.size() << " runs written to " << options.csv << " and " << options.svg
         << (options.causesSvg.empty() ? "" : ", causes in " + options.causesSvg)
         << (options.runsCsv.empty() ? "" : " (every run in " + options.runsCsv + ")") << '\n';
  return 0;
}

int collectCommand(const CollectOptions& options, LabIo& io) {
  std::vector<experiment::SeedRun> runs;
  std::optional<RunIdentity> first;
  nlohmann::json firstRecord;
  std::map<std::pair<experiment::PointKey, std::uint64_t>, std::string> seen;
  PluginDigests digests;
  for (const std::string& path : options.files) {
    try {
      const nlohmann::json document = nlohmann::json::parse(readFile(path, "result file"));
      digests.check(document, path);
      runs.push_back(seedRunFromJson(document));
      const RunIdentity identity = identityFromJson(document);
      if (!first) {
        first = identity;
        firstRecord = document;
      }
      if (const std::string mismatch = identityMismatch(*first, identity); !mismatch.empty()) {
        throw UsageError("'" + options.files.front() + "' and '" + path +
                         "' cannot be merged into one curve: " + mismatch);
      }
      const auto [at, added] = seen.emplace(std::pair{runs.back().key, runs.back().seed}, path);
      if (!added) {
        throw UsageError("'" + at->second + "' and '" + path + "' are the same point with seed " +
                         std::to_string(runs.back().seed) + " twice");
      }
    } catch (const nlohmann::json::parse_error& error) {
      throw UsageError("'" + path + "' is not a result file: it is not JSON (byte " +
                       std::to_string(error.byte) + ")");
    } catch (const nlohmann::json::exception& error) {
      throw UsageError("'" + path + "' is not a run record: " + error.what());
    } catch (const UsageError&) {
      throw;
    } catch (const std::runtime_error& error) {
      throw UsageError("'" + path + "': " + error.what());
    }
  }
  const std::optional<experiment::ReferenceCurve> reference =
      collectReference(options, firstRecord, runs);
  // Merged runs share their routing: the identity holds it, a paths file by its digest.
  const std::string routing = recordRouting(firstRecord);
  writeCurve(
      runs, options.csv, options.svg, options.runsCsv,
      provenanceLines(io,
                      !first->network.empty() ? "network (as loaded) sha256 " + first->network : "",
                      routing) +
          policyLines(runs, [&digests](const std::string& name) { return digests.digestOf(name); }),
      options.causesSvg, recordChartSettings(firstRecord), options.title,
      reference ? &*reference : nullptr);
  io.err << runs.size() << " runs collected into " << options.csv << " and " << options.svg
         << (options.causesSvg.empty() ? "" : ", causes in " + options.causesSvg)
         << (options.runsCsv.empty() ? "" : " (every run in " + options.runsCsv + ")") << '\n';
  return 0;
}

}  // namespace lab
