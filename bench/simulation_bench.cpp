// Whole-run benchmark: drives the wrnsim binary through a scripted session per policy and
// update interval, and prints calls per second and peak memory of each run.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/child_run.h"
#include "bench/session_script.h"
#include "bench/workload.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: simulation_bench [--scenario nsfnet|large|small] [--policies 1,2,3,4]\n"
    "                        [--intervals 0,10] [--seed N] [--repeat N] [--null]\n"
    "                        [--wrnsim PATH] [--workdir DIR]\n"
    "  --null     send the trace to /dev/null (no checks of the report)\n"
    "  --repeat   run each session N times and keep the fastest\n"
    "  --workdir  write the files there and keep them (default: a temporary directory)\n";

struct Options {
  fs::path wrnsim;
  std::string scenario = "nsfnet";
  std::optional<std::vector<int>> policies;
  std::optional<std::vector<int>> intervals;
  std::uint32_t seed = 1;
  int repeat = 1;
  bool toNull = false;
  std::optional<fs::path> workdir;
};

std::vector<int> parseList(const std::string& text) {
  std::vector<int> values;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) values.push_back(std::stoi(item));
  return values;
}

fs::path besideThisProgram(const char* argv0) {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) self = fs::absolute(argv0);
  return self.parent_path() / "wrnsim";
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  options.wrnsim = besideThisProgram(argv[0]);
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--null") {
      options.toNull = true;
      continue;
    }
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    if (name == "--wrnsim")
      options.wrnsim = value;
    else if (name == "--scenario")
      options.scenario = value;
    else if (name == "--policies")
      options.policies = parseList(value);
    else if (name == "--intervals")
      options.intervals = parseList(value);
    else if (name == "--seed")
      options.seed = static_cast<std::uint32_t>(std::stoul(value));
    else if (name == "--repeat")
      options.repeat = std::max(1, std::stoi(value));
    else if (name == "--workdir")
      options.workdir = value;
    else
      return std::nullopt;
  }
  return options;
}

// A fresh temporary directory, removed with everything in it unless the user named it.
class WorkDirectory {
 public:
  explicit WorkDirectory(const std::optional<fs::path>& named) {
    if (named) {
      path_ = *named;
      fs::create_directories(path_);
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "wrnsim-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    owned_ = true;
  }
  ~WorkDirectory() {
    std::error_code ignored;
    if (owned_) fs::remove_all(path_, ignored);
  }
  WorkDirectory(const WorkDirectory&) = delete;
  WorkDirectory& operator=(const WorkDirectory&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  bool owned_ = false;
};

// wrnsim keeps every call file open during a run: one descriptor per source.
void raiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

bench::ChildRun fastestRun(const Options& options, const fs::path& dir, const fs::path& script,
                           const std::optional<fs::path>& output) {
  bench::ChildRun best;
  for (int i = 0; i < options.repeat; ++i) {
    const bench::ChildRun run = bench::runChild(options.wrnsim, dir, script, output);
    if (!run.exitedZero) return run;
    if (i == 0 || run.seconds < best.seconds) best = run;
  }
  return best;
}

// Whatever the run's output shows that it should not; empty when all is well.
std::string traceProblems(const bench::TraceSummary& trace, std::int64_t expectedStarts) {
  std::ostringstream problems;
  if (!trace.reportEnd) problems << " no \"Pulse tecla para continuar...\";";
  if (!trace.reportHeader) problems << " no report header;";
  if (trace.errorLines > 0) problems << " " << trace.errorLines << " error lines;";
  if (trace.callStarts != expectedStarts) {
    problems << " " << trace.callStarts << " call starts in the trace, " << expectedStarts
             << " expected;";
  }
  return problems.str();
}

std::string totalsText(const bench::TraceSummary& trace) {
  std::string text;
  for (const auto& total : trace.blockingTotals) {
    text += total ? std::to_string(*total) : std::string("?");
    text += ' ';
  }
  return text;
}

struct Counts {
  std::int64_t inFiles;
  std::int64_t started;
};

// One line of the table; false when the session failed a check.
bool benchmarkOne(const Options& options, const bench::Workload& workload, const fs::path& dir,
                  const bench::RunSettings& settings, const Counts& counts) {
  writeText(dir / "setup.script", bench::sessionScript(workload, settings, false));
  writeText(dir / "run.script", bench::sessionScript(workload, settings, true));
  const std::optional<fs::path> output =
      options.toNull ? std::nullopt : std::optional<fs::path>(dir / "trace.out");
  const bench::ChildRun setup = fastestRun(options, dir, dir / "setup.script", output);
  const bench::ChildRun whole = fastestRun(options, dir, dir / "run.script", output);
  const double runSeconds = whole.seconds - setup.seconds;
  const double runCpu = whole.cpuSeconds - setup.cpuSeconds;
  std::printf("%6d %8d %9lld %9lld %8.3f %8.3f %8.3f %11.0f %8.1f %8.1f  ", settings.policy,
              settings.interval, static_cast<long long>(counts.inFiles),
              static_cast<long long>(counts.started), setup.seconds, runSeconds, runCpu,
              runSeconds > 0 ? static_cast<double>(counts.started) / runSeconds : 0.0,
              setup.peakMegabytes, whole.peakMegabytes);
  std::string problems;
  if (!setup.exitedZero) problems += " set-up session ended with " + setup.status + ";";
  if (!whole.exitedZero) problems += " run session ended with " + whole.status + ";";
  if (output && whole.exitedZero) {
    const bench::TraceSummary trace = bench::scanTrace(*output);
    std::printf("%s", totalsText(trace).c_str());
    problems += traceProblems(trace, counts.started);
  }
  if (!problems.empty()) std::printf(" FAILED:%s", problems.c_str());
  std::printf("\n");
  std::fflush(stdout);
  return problems.empty();
}

int runBenchmark(const Options& options) {
  std::optional<bench::Workload> workload = bench::makeWorkload(options.scenario, options.seed);
  if (!workload) {
    std::cerr << "unknown scenario " << options.scenario << "\n" << kUsage;
    return 2;
  }
  if (options.policies) workload->policies = *options.policies;
  if (options.intervals) workload->intervals = *options.intervals;
  if (access(options.wrnsim.c_str(), X_OK) != 0) {
    std::cerr << "cannot run " << options.wrnsim << " (use --wrnsim PATH)\n";
    return 2;
  }
  raiseOpenFileLimit();
  const WorkDirectory dir(options.workdir);
  bench::writeWorkload(*workload, dir.path());
  const Counts counts{bench::callLineCount(*workload), bench::startedCallCount(*workload)};
  std::printf("scenario %s, seed %u: %zu sources, %lld call lines; trace to %s\n",
              options.scenario.c_str(), options.seed, workload->sources.size(),
              static_cast<long long>(counts.inFiles), options.toNull ? "/dev/null" : "a file");
  std::printf("%6s %8s %9s %9s %8s %8s %8s %11s %8s %8s  %s\n", "policy", "interval", "calls",
              "started", "setup_s", "run_s", "run_cpu", "calls/s", "setupMB", "peakMB",
              options.toNull ? "" : "blocked by type 0-4");
  bool allPassed = true;
  for (const int policy : workload->policies) {
    for (const int interval : workload->intervals) {
      allPassed &= benchmarkOne(options, *workload, dir.path(), {policy, interval}, counts);
    }
  }
  return allPassed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
      std::cerr << kUsage;
      return 2;
    }
    return runBenchmark(*options);
  } catch (const std::exception& error) {
    std::cerr << "simulation_bench: " << error.what() << "\n";
    return 2;
  }
}
