// Decisions per second of a stepped run answered by a trivial agent, beside the same run with
// the same answers given by a path policy inside the run, so that the hand-over's own cost
// shows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "experiment/experiment.h"
#include "experiment/stepped_run.h"
#include "experiment/traffic_model.h"

namespace {

constexpr const char* kUsage =
    "usage: stepped_run_bench [--topology FILE] [--wavelengths N] [--load ERLANG]\n"
    "                         [--calls PER_PAIR] [--repeat N]\n";

struct Options {
  std::string topology = WRNSIM_EXAMPLES_DIR "/NSFNET.con";
  int wavelengths = 16;
  double load = 0.5;
  long calls = 2000;
  int repeat = 3;
};

class FirstPath : public wrnsim::PathPolicy {
 public:
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    return request.view.paths().empty() ? wrnsim::kNoPath : 0;
  }
};

experiment::ExperimentPlan planOf(const Options& options) {
  std::ifstream file(options.topology, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + options.topology);
  std::ostringstream text;
  text << file.rdbuf();
  experiment::ExperimentPlan plan;
  plan.topology = text.str();
  plan.config.lambdaCount = options.wavelengths;
  plan.config.fiberCount = 1;
  experiment::TrafficModel model;
  model.meanHolding = 10.0;
  model.meanGap = experiment::meanGapForLoad(options.load, model.meanHolding);
  model.count = options.calls;
  plan.allPairs = model;
  return plan;
}

double secondsSince(std::chrono::steady_clock::time_point began) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// The run with the first candidate chosen inside it; the seconds of the run alone.
double insideRun(experiment::ExperimentPlan plan, std::int64_t& offered) {
  plan.policies.pathName = "first";
  plan.policies.path = [](const wrnsim::Settings&) { return std::make_unique<FirstPath>(); };
  const auto began = std::chrono::steady_clock::now();
  const experiment::ExperimentResult result = experiment::runExperiment(plan);
  offered = result.offered;
  return secondsSince(began);
}

double steppedRun(const experiment::ExperimentPlan& plan, std::int64_t& decisions,
                  std::int64_t& offered) {
  const auto began = std::chrono::steady_clock::now();
  experiment::SteppedRun run(plan);
  while (!run.ended()) run.answer(0);
  const double seconds = secondsSince(began);
  decisions = run.decisions();
  offered = run.result().offered;
  return seconds;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (flag == "--topology") {
      options.topology = value;
    } else if (flag == "--wavelengths") {
      options.wavelengths = std::stoi(value);
    } else if (flag == "--load") {
      options.load = std::stod(value);
    } else if (flag == "--calls") {
      options.calls = std::stol(value);
    } else if (flag == "--repeat") {
      options.repeat = std::stoi(value);
    } else {
      return false;
    }
  }
  return options.repeat > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    const experiment::ExperimentPlan plan = planOf(options);
    double inside = 1e300;
    double stepped = 1e300;
    std::int64_t decisions = 0;
    std::int64_t offeredInside = 0;
    std::int64_t offeredStepped = 0;
    for (int r = 0; r < options.repeat; ++r) {
      inside = std::min(inside, insideRun(plan, offeredInside));
      stepped = std::min(stepped, steppedRun(plan, decisions, offeredStepped));
    }
    if (offeredInside != offeredStepped) {
      std::cerr << "the two runs disagree: " << offeredInside << " and " << offeredStepped
                << " calls offered\n";
      return 1;
    }
    const double calls = static_cast<double>(decisions);
    std::printf("%s, %d wavelengths, load %.2f per pair, %ld calls per pair; best of %d\n",
                options.topology.c_str(), options.wavelengths, options.load, options.calls,
                options.repeat);
    std::printf("policy inside the run: %10.0f calls/s   (%.3f s)\n", calls / inside, inside);
    std::printf("stepped run, agent 0:  %10.0f decisions/s (%.3f s, %lld decisions)\n",
                calls / stepped, stepped, static_cast<long long>(decisions));
    std::printf("hand-over per decision: %.2f us\n", (stepped - inside) / calls * 1e6);
  } catch (const std::exception& error) {
    std::cerr << "stepped_run_bench: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
