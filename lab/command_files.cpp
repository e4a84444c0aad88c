#include "lab/command_files.h"

#include <filesystem>

#include "experiment/routing_choice.h"
#include "lab/run_record.h"
#include "topology/topology_format.h"

namespace lab {

namespace {

// NAME.nodes beside NAME.con.
std::string nodesBeside(const std::string& path) {
  return std::filesystem::path(path).replace_extension(".nodes").string();
}

// A topology file, and for a .con the node file read beside it.
void readsTopology(FileGuard& files, const std::string& path) {
  files.reads(path, "--topology");
  if (topology::formatOfPath(path) == topology::Format::kCon) {
    files.reads(nodesBeside(path), "the node file beside --topology");
  }
}

// The library of a FILE:NAME policy; a built-in name reads nothing.
void readsPolicy(FileGuard& files, const std::string& policy, const char* option) {
  const std::size_t colon = policy.rfind(':');
  if (colon != std::string::npos && colon > 0) files.reads(policy.substr(0, colon), option);
}

// The file of --routing paths:FILE; nothing for the built-in routings.
void readsRouting(FileGuard& files, const std::string& routing) {
  if (const auto file = experiment::pathsFileOfName(routing)) {
    files.reads(*file, "--routing paths:FILE");
  }
}

}  // namespace

FileGuard filesOf(const GenOptions& options) {
  FileGuard files;
  files.writes(options.output, "-o", FileFormat::kCallFile);
  return files;
}

FileGuard filesOf(const RunOptions& options) {
  FileGuard files;
  readsTopology(files, options.topology);
  files.reads(options.trafficFile, "--traffic");
  readsRouting(files, options.routing);
  for (std::size_t i = 2; i < options.pairs.size(); i += 3) {
    files.reads(options.pairs[i], "the call file of --pair");
  }
  readsPolicy(files, options.pathPolicy, "--path-policy");
  readsPolicy(files, options.wavelengthPolicy, "--wavelength-policy");
  if (options.json) {
    files.writes(options.output, "-o", FileFormat::kJson);
  } else {
    files.writes(options.output, "-o", FileFormat::kText,
                 "name it .txt, or add --json to write the record as JSON");
  }
  return files;
}

FileGuard filesOf(const SweepOptions& options) {
  FileGuard files;
  readsTopology(files, options.topology);
  files.reads(options.trafficFile, "--traffic");
  readsRouting(files, options.routing);
  if (!options.jobsFile.empty()) {
    files.writes(options.jobsFile, "--jobs-file", FileFormat::kJobs);
    return files;
  }
  files.writes(options.csv, "--csv", FileFormat::kCsv);
  files.writes(options.svg, "--svg", FileFormat::kSvg);
  files.writes(options.runsCsv, "--runs-csv", FileFormat::kCsv);
  files.writes(options.causesSvg, "--svg-causes", FileFormat::kSvg);
  files.writesInto(options.recordsDir, "--records", isRecordFileName);
  return files;
}

FileGuard filesOf(const CollectOptions& options) {
  FileGuard files;
  for (const std::string& path : options.files) files.reads(path, "result file");
  readsTopology(files, options.topology);
  files.reads(options.trafficFile, "--traffic");
  files.writes(options.csv, "--csv", FileFormat::kCsv);
  files.writes(options.svg, "--svg", FileFormat::kSvg);
  files.writes(options.runsCsv, "--runs-csv", FileFormat::kCsv);
  files.writes(options.causesSvg, "--svg-causes", FileFormat::kSvg);
  return files;
}

FileGuard filesOf(const DrawOptions& options) {
  FileGuard files;
  readsTopology(files, options.topology);
  for (const std::string& result : options.results) files.reads(result, "--result");
  files.writes(options.output, "-o", FileFormat::kSvg);
  return files;
}

FileGuard filesOf(const TheoryOptions& options) {
  FileGuard files;
  readsTopology(files, options.topology);
  files.reads(options.trafficFile, "--traffic");
  readsRouting(files, options.routing);
  return files;
}

FileGuard filesOf(const ConvertOptions& options) {
  FileGuard files;
  files.reads(options.input, "the network file");
  files.writes(options.output, "-o", FileFormat::kCon,
               "-o takes NAME.con, the file the console loads as NAME");
  if (!options.output.empty()) {
    files.writes(nodesBeside(options.output), "the node file beside -o", FileFormat::kNodes);
  }
  return files;
}

FileGuard filesOf(const PathsOptions& options) {
  FileGuard files;
  readsTopology(files, options.topology);
  files.writes(options.output, "-o", FileFormat::kPaths);
  return files;
}

}  // namespace lab
