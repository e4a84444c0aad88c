#include "python/env_binding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "experiment/cause_counts.h"
#include "experiment/experiment.h"
#include "experiment/stepped_run.h"
#include "lab/lab_cli.h"
#include "lab/run_steps.h"
#include "python/answer_values.h"
#include "python/json_objects.h"
#include "python/lab_call.h"
#include "python/network_data.h"
#include "python/observation.h"
#include "python/python_policy.h"
#include "run/policy_makers.h"

namespace python {

namespace py = pybind11;

namespace {

std::int32_t mostRegenerators(const NetworkData& network) {
  std::int32_t most = 0;
  for (const LinkData& link : network.links()) most = std::max(most, link.regenerators);
  return most;
}

// An action as a position: an int or anything with __index__ but a bool.
std::int32_t positionOf(py::handle action) {
  const std::optional<std::int32_t> position = clampedIndex(action);
  if (!position) {
    throw py::type_error("action must be an int (a candidate's position), not '" +
                         std::string(Py_TYPE(action.ptr())->tp_name) + "'");
  }
  return *position;
}

class Env {
 public:
  Env(const NetworkData& network, const std::vector<std::string>& words, std::int64_t maxCalls,
      py::object reward, py::object wavelengthObject)
      : network_(network),
        maxCalls_(maxCalls),
        reward_(std::move(reward)),
        python_(std::make_shared<PythonPolicies>(py::none(), std::move(wavelengthObject))) {
    LabCall call("run", network, words);
    {
      py::gil_scoped_release release;
      const lab::RunOptions options = lab::runOptionsOf(call.words());
      const lab::RunPolicies policies = lab::checkRunOptions(options);
      planned_ = lab::planRun(options, policies, network.input(), true, call.io());
      if (!python_->empty()) python_->install(planned_);
      planned_.plan.routing =
          experiment::routedOnce(planned_.plan, std::max(1u, std::thread::hardware_concurrency()));
      seed_ = options.seed;
    }
    planned_.plan.policies.pathName = "agent";
    planned_.label.policies.path = experiment::PolicyChoice{"agent", 0, nullptr, ""};
    planned_.label.commandLine.clear();
    notes_ = call.notes();
    const base::Config& config = planned_.plan.config;
    observation_.emplace(network.nodeCount(), config.pathCount, config.lambdaCount,
                         config.fiberCount, static_cast<std::int32_t>(network.links().size()),
                         mostRegenerators(network), std::max(config.updateInterval, 0));
    for (std::size_t c = 0; c < experiment::kCauseColumns; ++c) {
      causes_[c] = py::str(experiment::kCauseNames[c]);
    }
  }

  py::tuple start(std::optional<std::uint64_t> seed) {
    Busy busy(*this);
    if (seed) {
      seed_ = *seed;
    } else if (started_) {
      ++seed_;
    }
    started_ = true;
    steps_ = 0;
    experiment::ExperimentPlan plan = planned_.plan;
    if (plan.allPairs) plan.allPairs->seed = seed_;
    plan.matrixTraffic.seed = seed_;
    advance([&] { run_.start(std::move(plan)); });
    if (planned_.label.traffic) planned_.label.traffic->seed = seed_;
    py::dict info;
    if (!run_.ended()) {
      const wrnsim::Call& call = run_.call();
      info[keys_.tick] = call.tick;
      info[keys_.origin] = call.origin;
      info[keys_.destination] = call.destination;
      info[keys_.counted] = run_.counted();
    }
    return py::make_tuple(observation(), info);
  }

  py::tuple step(py::handle action) {
    const std::int32_t position = positionOf(action);
    if (run_.ended()) {
      throw std::runtime_error(
          "the episode has ended (or none was started): call reset() for the next one");
    }
    Busy busy(*this);
    const wrnsim::Call call = run_.call();
    experiment::CallFate fate;
    advance([&] { fate = run_.answer(position); });
    ++steps_;
    const bool terminated = run_.ended();
    const bool truncated = !terminated && maxCalls_ > 0 && steps_ >= maxCalls_;
    py::array_t<float> seen = observation();
    if (truncated) close();
    py::dict info;
    info[keys_.carried] = fate.carried;
    info[keys_.cause] = fate.cause ? py::object(causes_[*fate.cause]) : py::none();
    info[keys_.counted] = fate.counted;
    info[keys_.tick] = call.tick;
    info[keys_.origin] = call.origin;
    info[keys_.destination] = call.destination;
    const double reward =
        reward_.is_none() ? (fate.carried ? 1.0 : 0.0) : reward_(info).cast<double>();
    return py::make_tuple(std::move(seen), reward, terminated, truncated, std::move(info));
  }

  // The record of the run as `run --json` has it, when the episode ran to its end.
  py::object record() const {
    if (!run_.finished()) return py::none();
    nlohmann::json record = lab::runRecord(planned_, network_.input(), run_.result());
    record["provenance"]["program"] = "wrnsim.Env (Python)";
    return pythonOf(record);
  }

  // The run's thread may need the GIL to let go of a Python policy.
  void close() {
    py::gil_scoped_release release;
    run_.abandon();
  }
  ~Env() { close(); }
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

  std::size_t paths() const { return static_cast<std::size_t>(planned_.plan.config.pathCount); }
  py::tuple bounds() const {
    return py::make_tuple(py::array_t<float>(py::cast(observation_->low())),
                          py::array_t<float>(py::cast(observation_->high())));
  }
  std::vector<std::string> names() const { return observation_->names(); }
  bool ended() const { return run_.ended(); }
  std::int64_t steps() const { return steps_; }
  std::uint64_t seed() const { return seed_; }
  const std::string& notes() const { return notes_; }

 private:
  // Refuses a second thread while the run advances without the GIL.
  class Busy {
   public:
    explicit Busy(Env& env) : env_(env) {
      if (env_.busy_) throw std::runtime_error("the environment is in use by another thread");
      env_.busy_ = true;
    }
    ~Busy() { env_.busy_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    Env& env_;
  };

  // Runs `step` without the GIL; what a Python policy raised in it is raised here.
  template <typename Step>
  void advance(Step&& step) {
    bool raised = false;
    {
      py::gil_scoped_release release;
      try {
        step();
      } catch (const run::PolicyFailure&) {
        if (!python_->pending()) throw;
        raised = true;
      }
    }
    if (raised) python_->raisePending();
  }

  py::array_t<float> observation() {
    py::array_t<float> out(static_cast<py::ssize_t>(observation_->size()));
    if (run_.ended()) {
      observation_->fill(wrnsim::Call{}, nullptr, out.mutable_data());
    } else {
      observation_->fill(run_.call(), &run_.view(), out.mutable_data());
    }
    return out;
  }

  struct Keys {
    py::str carried{"carried"};
    py::str cause{"cause"};
    py::str counted{"counted"};
    py::str tick{"tick"};
    py::str origin{"origin"};
    py::str destination{"destination"};
  };

  NetworkData network_;
  lab::PlannedRun planned_;
  std::int64_t maxCalls_;
  py::object reward_;
  std::shared_ptr<PythonPolicies> python_;
  std::string notes_;
  std::optional<Observation> observation_;
  std::array<py::str, experiment::kCauseColumns> causes_;
  Keys keys_;
  experiment::SteppedRun run_;
  std::uint64_t seed_ = 0;
  bool started_ = false;
  bool busy_ = false;
  std::int64_t steps_ = 0;
};

}  // namespace

void bindEnv(py::module_& module) {
  py::class_<Env>(module, "_Env", "The C++ half of wrnsim.Env; use wrnsim.Env.")
      .def(py::init<const NetworkData&, const std::vector<std::string>&, std::int64_t, py::object,
                    py::object>(),
           py::arg("network"), py::arg("words"), py::arg("max_calls"), py::arg("reward"),
           py::arg("wavelength_object") = py::none())
      .def("_start", &Env::start, py::arg("seed"))
      .def("step", &Env::step, py::arg("action"),
           R"(Answers the decision waiting with `action` and runs on to the next one.

Returns (observation, reward, terminated, truncated, info):
  observation (numpy.ndarray of float32): the next decision, laid out as
    observation_names says; all zeros once terminated.
  reward (float): 1.0 for a carried call and 0.0 for a blocked one, or what the
    environment's reward function gives for `info`.
  terminated (bool): the traffic has ended; result() then gives the run's result.
  truncated (bool): max_calls decisions were answered; the run is dropped.
  info (dict): the call answered: carried (bool), cause (None, or the name of its
    cause of blocking as the run's records name it: 'no_wavelength', 'update_error',
    'policy_error', ...), counted (bool: it started from the warm-up on, so the
    run's counts include it), tick, origin, destination.

action (int or numpy integer): the position of a candidate path in the
  observation's slots. -1 refuses the call (blocked as 'without_path'); any other
  position that holds no candidate blocks it as 'policy_error', as a plug-in
  policy's wrong answer does.

Raises:
  TypeError: action is not an int (a bool is not taken).
  RuntimeError: the episode has ended (reset() starts the next), or the
    wavelength policy threw (the episode then ends without a result).)")
      .def("_record", &Env::record)
      .def("close", &Env::close,
           "Drops the episode in progress, if any, and its thread (the result of one that ended "
           "stays); reset() starts another.")
      .def_property_readonly("paths", &Env::paths,
                             "Candidate slots of an observation (the run's `paths`); the "
                             "actions an agent may take are 0 to paths - 1.")
      .def_property_readonly("observation_bounds", &Env::bounds,
                             "(low, high): numpy float32 arrays every observation lies within, "
                             "entry by entry.")
      .def_property_readonly("observation_names", &Env::names,
                             "The name of each entry of an observation, as 'origin[3]', "
                             "'view_age', 'path[1].free_end_to_end'.")
      .def_property_readonly("ended", &Env::ended,
                             "True when no decision waits: the episode ended or none started.")
      .def_property_readonly("steps", &Env::steps, "Steps taken in the current episode.")
      .def_property_readonly("seed", &Env::seed,
                             "The seed of the current episode's generated traffic.")
      .def_property_readonly("_notes", &Env::notes);
}

}  // namespace python
