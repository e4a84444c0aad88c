#include "python/run_binding.h"

#include <pybind11/stl.h>

#include "experiment/blocking_curve.h"
#include "experiment/policy_choice.h"
#include "experiment/routing_choice.h"
#include "lab/lab_cli.h"
#include "lab/run_steps.h"
#include "lab/sweep_steps.h"
#include "python/json_objects.h"
#include "python/lab_call.h"
#include "python/python_policy.h"
#include "python/sweep_rows.h"
#include "run/policy_makers.h"
#include "session/limits.h"

namespace python {

namespace py = pybind11;

namespace {

// What is common to run and sweep, by the names of the Python arguments.
py::dict configDefaults(const base::Config& config, const lab::TrafficOptions& traffic,
                        const std::string& routing, std::int64_t warmup) {
  py::dict defaults;
  defaults["lambdas"] = config.lambdaCount;
  defaults["max_lambdas"] = session::kMaxWavelengths;
  defaults["fibres"] = config.fiberCount;
  defaults["paths"] = config.pathCount;
  defaults["max_shared"] = config.maxCoincidences;
  defaults["routing"] = routing;
  defaults["holding"] = traffic.holding;
  defaults["mean_holding"] = traffic.meanHolding;
  defaults["calls"] = traffic.calls;
  defaults["warmup"] = warmup;
  return defaults;
}

py::dict runDefaults() {
  const lab::RunOptions options;
  py::dict defaults =
      configDefaults(options.config, options.traffic, options.routing, options.warmup);
  defaults["path_policy"] = options.config.pathPolicy;
  defaults["wavelength_policy"] = experiment::kBuiltinWavelengthRule;
  defaults["interval"] = options.config.updateInterval;
  defaults["seed"] = options.seed;
  return defaults;
}

py::dict sweepDefaults() {
  const lab::SweepOptions options;
  py::dict defaults =
      configDefaults(options.config, options.traffic, options.routing, options.warmup);
  defaults["policies"] = options.policies;
  defaults["wavelength_policies"] = options.wavelengthPolicies;
  defaults["intervals"] = options.intervals;
  defaults["seeds"] = options.seeds;
  defaults["first_seed"] = options.firstSeed;
  defaults["min_seeds"] = options.minSeeds;
  defaults["max_seeds"] = options.maxSeeds;
  return defaults;
}

py::tuple runNetwork(const NetworkData& network, const std::vector<std::string>& words,
                     py::object pathObject, py::object wavelengthObject) {
  LabCall call("run", network, words);
  // Made and dropped here, with the GIL: the run's copies of it never hold the last share.
  const auto python =
      std::make_shared<PythonPolicies>(std::move(pathObject), std::move(wavelengthObject));
  nlohmann::json record;
  bool raised = false;
  {
    py::gil_scoped_release release;
    const lab::RunOptions options = lab::runOptionsOf(call.words());
    const lab::RunPolicies policies = lab::checkRunOptions(options);
    lab::PlannedRun run = lab::planRun(options, policies, network.input(), true, call.io());
    if (!python->empty()) python->install(run);
    try {
      const experiment::ExperimentResult result = lab::runPlanned(run, nullptr, nullptr);
      if (result.summary.policyErrors > 0) {
        call.io().err << result.summary.policyErrors
                      << (result.summary.policyErrors == 1 ? " call" : " calls")
                      << " blocked as policy errors; the first: " << result.summary.firstPolicyError
                      << '\n';
      }
      record = lab::runRecord(run, network.input(), result);
    } catch (const run::PolicyFailure&) {
      if (!python->pending()) throw;
      raised = true;
    }
  }
  if (raised) python->raisePending();
  if (!python->pathName().empty()) record["settings"]["policy"] = python->pathName();
  record["provenance"]["program"] = "wrnsim (Python)";
  return py::make_tuple(pythonOf(record), call.notes());
}

py::tuple sweepNetwork(const NetworkData& network, const std::vector<std::string>& words) {
  LabCall call("sweep", network, words);
  nlohmann::json points = nlohmann::json::array();
  nlohmann::json runs = nlohmann::json::array();
  nlohmann::json settings;
  {
    py::gil_scoped_release release;
    const lab::SweepOptions options = lab::sweepOptionsOf(call.words());
    lab::checkSweepOptions(options);
    experiment::SweepPlan plan = lab::planSweep(options, network.input(), call.io());
    const lab::SweepWork work = lab::sweepWork(plan, options, false, call.io());
    const std::vector<experiment::SeedRun> done = lab::runSweepWork(plan, work, options, call.io());
    for (const experiment::CurvePoint& point : experiment::curvePoints(done)) {
      points.push_back(pointRow(point));
    }
    for (const experiment::SeedRun& run : done) runs.push_back(runRow(run));
    settings = {
        {"topology", options.topology},
        {"lambdas", plan.config.lambdaCount},
        {"fibres", plan.config.fiberCount},
        {"paths", plan.config.pathCount},
        {"max_shared", plan.config.maxCoincidences},
        {"routing", experiment::routingName(plan.routing)},
        {"holding", std::string(experiment::holdingName(plan.traffic.holding))},
        {"mean_holding", plan.traffic.meanHolding},
        {"calls", plan.traffic.count},
        {"traffic", plan.matrixPath.empty() ? nlohmann::json() : nlohmann::json(plan.matrixPath)},
        {"warmup", plan.warmup},
        {"threads", work.threads}};
  }
  return py::make_tuple(pythonOf(points), pythonOf(runs), pythonOf(settings), call.notes());
}

}  // namespace

void bindRuns(py::module_& module) {
  module.def("_run", &runNetwork, py::arg("network"), py::arg("words"),
             py::arg("path_object") = py::none(), py::arg("wavelength_object") = py::none(),
             "The lab's run on a loaded network; wrnsim.run is the public door.");
  module.def("_sweep", &sweepNetwork, py::arg("network"), py::arg("words"),
             "The lab's sweep on a loaded network; wrnsim.sweep is the public door.");
  module.def("_run_defaults", &runDefaults, "wrnsim.run's defaults, as the lab's run has them.");
  module.def("_sweep_defaults", &sweepDefaults,
             "wrnsim.sweep's defaults, as the lab's sweep has them.");
}

}  // namespace python
