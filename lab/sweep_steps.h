// The sweep command in steps, for every front end that runs a grid as `sweep` does: the
// options checked, the plan made on a network already read, the runs on all cores.
#pragma once

#include <string>
#include <vector>

#include "experiment/sweep.h"
#include "lab/commands.h"
#include "lab/topology_input.h"

namespace lab {

// Throws UsageError, before any file is read, for a load or interval given twice.
void checkSweepOptions(const SweepOptions& options);

// The grid of the options on `topology` (read from options.topology): policies chosen
// (plug-ins loaded), the traffic file read, the routing made ready. Throws UsageError
// (MissingFileError for a file that is not there) as `sweep` refuses them. Notes go to io.err.
experiment::SweepPlan planSweep(const SweepOptions& options, const TopologyInput& topology,
                                LabIo& io);

struct SweepWork {
  std::vector<experiment::SweepTask> tasks;
  unsigned threads = 1;
};

// The grid's runs and the threads that run them (options.threads, or all cores). Throws
// UsageError when they cannot fit the machine (io.memory, unless the runs are written out
// as a jobs file); `records`: each run's whole record is made.
SweepWork sweepWork(const experiment::SweepPlan& plan, const SweepOptions& options, bool records,
                    LabIo& io);

// Finds the candidate paths once, then runs the work (with options.targetCi, as many seeds
// per point as the target needs, from options.firstSeed), giving each run's result to
// `sink` when set. The points that missed the target are named on io.err; progress goes
// there when io.errIsTerminal and not options.quiet. Throws UsageError for a fault of the
// plan, run::PolicyFailure when a policy throws.
std::vector<experiment::SeedRun> runSweepWork(experiment::SweepPlan& plan, const SweepWork& work,
                                              const SweepOptions& options, LabIo& io,
                                              const experiment::ResultSink& sink = {});

}  // namespace lab
