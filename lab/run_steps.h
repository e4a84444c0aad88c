// The run command in steps, for every front end that runs one experiment as `run` does:
// the options checked, the plan made on a network already read, the run, its record.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "experiment/experiment.h"
#include "experiment/policy_choice.h"
#include "experiment/run_demand.h"
#include "experiment/run_progress.h"
#include "lab/commands.h"
#include "lab/run_record.h"
#include "lab/topology_input.h"

namespace lab {

// The policies of a run: --policy N, or --path-policy and --wavelength-policy by name.
struct RunPolicies {
  experiment::PolicyChoice path;
  experiment::PolicyChoice wavelength;
};

// Throws UsageError, before any file is read, for options that cannot go together or a
// policy that cannot be had (a plug-in is loaded here).
RunPolicies checkRunOptions(const RunOptions& options);

struct PlannedRun {
  experiment::ExperimentPlan plan;
  RunLabel label;
  experiment::RunDemand demand;
};

// The plan of the options on `topology` (read from options.topology): call files and the
// traffic file read, the routing made ready. Throws UsageError (MissingFileError for a file
// that is not there) as `run` refuses them, including a run that cannot fit io.memory;
// `record`: the run's whole record will be made. Notes go to io.err.
PlannedRun planRun(const RunOptions& options, const RunPolicies& policies,
                   const TopologyInput& topology, bool record, LabIo& io);

// Finds the candidate paths on all cores, then runs, letting go of the plan's shared paths
// once the sources hold theirs; the trace goes to `trace` when given.
// Throws UsageError for a fault of the plan, run::PolicyFailure when a policy throws.
experiment::ExperimentResult runPlanned(PlannedRun& run, std::ostream* trace,
                                        experiment::RunProgress* progress);

// The record `run --json` prints, node names included.
nlohmann::json runRecord(const PlannedRun& run, const TopologyInput& topology,
                         const experiment::ExperimentResult& result);

}  // namespace lab
