// A grid of runs: loads x policies x update intervals x seeds, each an independent
// simulation with generated traffic on every ordered pair, run on all cores or written
// out as one command line per run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "experiment/blocking_curve.h"
#include "experiment/experiment.h"
#include "experiment/policy_choice.h"

namespace experiment {

struct SweepPlan {
  // As given on the command line (for the job lines) and its text (for the runs).
  std::string topologyPath;
  std::string topologyText;
  // lambdas, fibres, paths and largest shared links; policy and interval come from the grid.
  base::Config config;
  std::vector<double> loads;
  // Path policies: built-ins (1 to 4) and plug-ins. Wavelength policies: the built-in rule
  // when none is given.
  std::vector<PolicyChoice> policies;
  std::vector<PolicyChoice> wavelengthPolicies;
  std::vector<std::int32_t> intervals;
  std::vector<std::uint64_t> seeds;
  // Holding kind, mean and calls per pair; the gap follows from each load.
  TrafficModel traffic;
  // Ticks left out of every run's counts.
  std::int64_t warmup = 0;
  // When not empty, the traffic's pattern over the pairs (its file as given): each point
  // scales it to a mean load per pair of the point's load, instead of loading every pair
  // alike.
  std::vector<PairLoad> matrix;
  std::string matrixPath;
  std::string matrixSha256;
  // A paths file's paths are read once and shared by every run.
  RoutingChoice routing;
};

// The policies of a grid point, as the plan holds them.
struct PointPolicies {
  PolicyChoice path;
  PolicyChoice wavelength;
};
PointPolicies pointPolicies(const SweepPlan& plan, const PointKey& key);

struct SweepTask {
  PointKey key;
  std::uint64_t seed = 0;
};

// Every combination, loads varying slowest and seeds fastest.
std::vector<SweepTask> sweepTasks(const SweepPlan& plan);

// The run of one task: the plan's topology and settings with the task's policies and
// interval, all ordered pairs offered the task's load. The task's policies must be among
// the plan's.
ExperimentPlan experimentOf(const SweepPlan& plan, const SweepTask& task);

// The plan's routing with the candidate paths of every run's pairs found once, on
// `threads` threads (experiment.h, routedOnce).
RoutingChoice routedOnce(const SweepPlan& plan, unsigned threads);

// The grid's points, loads varying slowest, then path policies, wavelength policies and
// intervals.
std::vector<PointKey> sweepPoints(const SweepPlan& plan);

// Given each task's whole result, one call at a time.
using ResultSink =
    std::function<void(const SweepTask&, const ExperimentPlan&, const ExperimentResult&)>;

// Runs the tasks on `threads` threads (at least one), each with its own simulation state,
// and calls `sink` and `done` (serialised) after each, with its task. The results are in task
// order. The first exception of any task or of `sink` is thrown after the other threads have
// stopped.
std::vector<SeedRun> runTasks(const SweepPlan& plan, const std::vector<SweepTask>& tasks,
                              unsigned threads,
                              const std::function<void(const SweepTask&)>& done = {},
                              const ResultSink& sink = {});

// runTasks of every task of the grid.
std::vector<SeedRun> runSweep(const SweepPlan& plan, unsigned threads,
                              const std::function<void(const SweepTask&)>& done = {});

// `program run --json ...` for one task, writing its record to `resultsDir`/point-N.json;
// every word quoted for a POSIX shell.
std::string jobLine(const SweepPlan& plan, const SweepTask& task, std::size_t index,
                    const std::string& program, const std::string& resultsDir);

}  // namespace experiment
