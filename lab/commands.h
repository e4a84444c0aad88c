// The four subcommands of wrnsim-lab, on options already parsed.
#pragma once

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/config.h"
#include "experiment/traffic_model.h"

namespace lab {

// Exit status of a command-line or input fault.
inline constexpr int kUsageStatus = 2;

// A fault of the options or of the files they name: the message is printed, status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A UsageError for an input file that does not exist, so that a front end may tell it apart.
struct MissingFileError : UsageError {
  using UsageError::UsageError;
};

struct LabIo {
  std::ostream& out;
  std::ostream& err;
  // Standard error is a terminal: draw the progress bar.
  bool errIsTerminal = false;
  // The command as typed, for the provenance of what it writes.
  std::string commandLine = {};
  // The machine's memory in bytes, that runs must fit in; 0 for no check.
  std::uint64_t memory = 0;
};

struct TrafficOptions {
  std::string holding = "exp";
  double meanHolding = 10.0;
  std::int64_t calls = 1000;
};

struct GenOptions {
  double meanGap = 10.0;
  TrafficOptions traffic;
  std::uint64_t seed = 1;
  // Standard output when empty.
  std::string output;
};

struct RunOptions {
  std::string topology;
  base::Config config;
  // Origin, destination and call file, three words per source.
  std::vector<std::string> pairs;
  // "console", "k-shortest" or "paths:FILE".
  std::string routing = "console";
  bool allPairs = false;
  // A CSV of origin,destination,load: generated traffic per pair.
  std::string trafficFile;
  double load = 0.0;
  bool loadGiven = false;
  TrafficOptions traffic;
  std::uint64_t seed = 1;
  std::int64_t warmup = 0;
  bool trace = false;
  bool json = false;
  std::string output;
  // No progress on standard error.
  bool quiet = false;
  // A built-in name or FILE:NAME; empty for --policy and the built-in wavelength rule.
  std::string pathPolicy;
  std::string wavelengthPolicy;
  bool policyGiven = false;
};

struct SweepOptions {
  std::string topology;
  base::Config config;
  std::vector<double> loads;
  std::string routing = "console";
  // Built-in numbers or names, or FILE:NAME.
  std::vector<std::string> policies{"2"};
  std::vector<std::string> wavelengthPolicies{"most-free"};
  std::vector<std::int32_t> intervals{0};
  std::int64_t seeds = 5;
  bool seedsGiven = false;
  std::uint64_t firstSeed = 1;
  // Seeds added per point until the 95% interval is at most this times the mean (0: off).
  double targetCi = 0.0;
  std::int64_t minSeeds = 3;
  std::int64_t maxSeeds = 30;
  TrafficOptions traffic;
  // A CSV of origin,destination,load whose pattern each point scales to its load.
  std::string trafficFile;
  std::int64_t warmup = 0;
  unsigned threads = 0;
  std::string csv = "sweep.csv";
  std::string svg = "sweep.svg";
  std::string title = "Blocking probability";
  // efp, exact or erlang: theory's curve beside the measured one, when given.
  std::string reference;
  // One row per run when given.
  std::string runsCsv;
  // Blocking by cause against load, when given.
  std::string causesSvg;
  // Where each run's whole record (JSON, pairs and links included) is written, when given.
  std::string recordsDir;
  std::string jobsFile;
  std::string resultsDir = "results";
  std::string program = "wrnsim-lab";
  // No progress on standard error.
  bool quiet = false;
};

struct CollectOptions {
  std::vector<std::string> files;
  std::string csv = "sweep.csv";
  std::string svg = "sweep.svg";
  std::string title = "Blocking probability";
  std::string runsCsv;
  // Blocking by cause against load, when given.
  std::string causesSvg;
  // As sweep's, on the network and traffic file the records were made from, given again.
  std::string reference;
  std::string topology;
  std::string trafficFile;
};

// Each returns the exit status; a UsageError escapes for the caller to print.
int genCommand(const GenOptions& options, LabIo& io);
int runCommand(const RunOptions& options, LabIo& io);
int sweepCommand(const SweepOptions& options, LabIo& io);
int collectCommand(const CollectOptions& options, LabIo& io);

}  // namespace lab
