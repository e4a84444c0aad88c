#include "lab/command_options.h"

#include <CLI/CLI.hpp>

#include "experiment/routing_choice.h"
#include "lab/option_values.h"
#include "session/limits.h"

namespace lab {

namespace {

void addTrafficOptions(CLI::App& command, TrafficOptions& traffic) {
  command
      .add_option("--holding", traffic.holding, "Holding time distribution: exp, fixed, uniform")
      ->capture_default_str();
  command.add_option("--mean-holding", traffic.meanHolding, "Mean holding time in ticks")
      ->check(meanTicks(false))
      ->capture_default_str();
  command.add_option("--calls", traffic.calls, "Calls per pair")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{100'000'000}))
      ->capture_default_str();
}

void addNetworkOptions(CLI::App& command, base::Config& config) {
  command.add_option("--lambdas", config.lambdaCount, "Wavelengths per fibre")
      ->check(CLI::Range(1, session::kMaxWavelengths))
      ->capture_default_str();
  command.add_option("--fibres", config.fiberCount, "Fibres per link")
      ->check(CLI::Range(1, 1'000'000))
      ->capture_default_str();
  command.add_option("--paths", config.pathCount, "Candidate paths per pair")
      ->check(CLI::Range(1, 1'000'000))
      ->capture_default_str();
  command
      .add_option("--max-shared", config.maxCoincidences,
                  "Largest number of links two candidate paths may share")
      ->check(CLI::Range(0, 1'000'000))
      ->capture_default_str();
}

void addRoutingOption(CLI::App& command, std::string& routing) {
  command
      .add_option("--routing", routing,
                  "How candidate paths are found: console (the console's own breadth-first "
                  "search), k-shortest (simple paths by hop count, ties in node order) or "
                  "paths:FILE (each pair's lines of FILE, as the paths command writes them)")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            if (experiment::routingFromName(text) || experiment::pathsFileOfName(text)) return {};
            return "a routing is console, k-shortest or paths:FILE, not '" + text + "'";
          },
          ""))
      ->capture_default_str();
}

}  // namespace

void addGen(CLI::App& app, GenOptions& options) {
  CLI::App* gen = app.add_subcommand("gen", "Write a call file from a traffic model");
  gen->add_option("--mean-gap", options.meanGap, "Mean gap between call starts in ticks")
      ->check(meanTicks(true))
      ->capture_default_str();
  addTrafficOptions(*gen, options.traffic);
  gen->add_option("--seed", options.seed, "Seed of the generator")
      ->check(kSeed)
      ->capture_default_str();
  gen->add_option("-o,--output", options.output, "Output file (standard output if absent)");
}

void addRun(CLI::App& app, RunOptions& options) {
  CLI::App* run = app.add_subcommand("run", "Run one experiment and print its summary");
  run->add_option("--topology", options.topology,
                  "Topology file: .con, or .gml, .graphml, .txt/.sndlib, .xml, .csv (converted)")
      ->required();
  addNetworkOptions(*run, options.config);
  addRoutingOption(*run, options.routing);
  run->add_option(
         "--policy", options.config.pathPolicy,
         "Path policy, as the console's menu: 1 Aleatorio (random), 2 Balanceado (in turn), "
         "3 Least Loaded corto (most free, in turn among ties), 4 Least Loaded "
         "balanceado (most free, earliest among ties)")
      ->check(wholeNumber(1, 4, "a policy"))
      ->capture_default_str()
      ->each([&options](const std::string&) { options.policyGiven = true; });
  run->add_option("--path-policy", options.pathPolicy,
                  "Path policy by name: random, rotating, least-loaded-rotating, "
                  "least-loaded-first (1 to 4), or FILE.so:NAME from a plug-in");
  run->add_option("--wavelength-policy", options.wavelengthPolicy,
                  "Wavelength policy by name: most-free (the built-in rule), or FILE.so:NAME "
                  "from a plug-in");
  run->add_option("--interval", options.config.updateInterval, "Ticks between view refreshes")
      ->check(wholeNumber(0, 2'000'000'000, "an interval"))
      ->capture_default_str();
  run->add_option("--pair", options.pairs, "A source: ORIGIN DESTINATION CALLFILE (repeatable)")
      ->type_size(3)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  run->add_flag("--all-pairs", options.allPairs,
                "Generated traffic on every ordered pair of distinct nodes");
  run->add_option("--traffic", options.trafficFile,
                  "Generated traffic per pair from a CSV of origin,destination,load (Erlang)");
  run->add_option("--load", options.load, "Offered load per pair in Erlang (with --all-pairs)")
      ->check(kLoad)
      ->each([&options](const std::string&) { options.loadGiven = true; });
  addTrafficOptions(*run, options.traffic);
  run->add_option("--seed", options.seed, "Seed of the generated traffic")
      ->check(kSeed)
      ->capture_default_str();
  run->add_option("--warmup", options.warmup,
                  "Leave calls started before this tick, and the ticks before it, out of the "
                  "counts")
      ->check(CLI::Range(std::int64_t{0}, std::int64_t{1} << 62))
      ->capture_default_str();
  run->add_flag("--trace", options.trace, "Write the console trace and report to standard output");
  run->add_flag("--json", options.json, "Print the summary as JSON");
  run->add_flag("--quiet", options.quiet, "No progress on standard error");
  run->add_option("-o,--output", options.output, "Write the summary to this file");
}

void addSweep(CLI::App& app, SweepOptions& options) {
  CLI::App* sweep =
      app.add_subcommand("sweep", "Run a grid of loads x policies x intervals x seeds");
  sweep
      ->add_option("--topology", options.topology,
                   "Topology file: .con, or .gml, .graphml, .txt/.sndlib, .xml, .csv (converted)")
      ->required();
  addNetworkOptions(*sweep, options.config);
  addRoutingOption(*sweep, options.routing);
  sweep->add_option("--loads", options.loads, "Offered loads per pair in Erlang")
      ->required()
      ->delimiter(',')
      ->check(kLoad);
  sweep
      ->add_option("--policies", options.policies,
                   "Path policies: 1 to 4 or their names (random, rotating, "
                   "least-loaded-rotating, least-loaded-first), or FILE.so:NAME")
      ->delimiter(',')
      ->capture_default_str();
  sweep
      ->add_option("--wavelength-policies", options.wavelengthPolicies,
                   "Wavelength policies: most-free (the built-in rule) or FILE.so:NAME")
      ->delimiter(',')
      ->capture_default_str();
  sweep->add_option("--intervals", options.intervals, "Update intervals")
      ->delimiter(',')
      ->check(wholeNumber(0, 2'000'000'000, "an interval"))
      ->capture_default_str();
  sweep->add_option("--seeds", options.seeds, "Seeds per point")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{1'000'000}))
      ->each([&options](const std::string&) { options.seedsGiven = true; })
      ->capture_default_str();
  sweep
      ->add_option("--target-ci", options.targetCi,
                   "Add seeds to each point until its 95% interval's half-width is at most this "
                   "times its mean")
      ->check(kPositiveFraction);
  sweep->add_option("--min-seeds", options.minSeeds, "Seeds per point before --target-ci judges")
      ->check(wholeNumber(2, 1'000'000, "a number of seeds"))
      ->capture_default_str();
  sweep->add_option("--max-seeds", options.maxSeeds, "Most seeds per point with --target-ci")
      ->check(wholeNumber(2, 1'000'000, "a number of seeds"))
      ->capture_default_str();
  sweep->add_option("--first-seed", options.firstSeed, "First seed")
      ->check(kSeed)
      ->capture_default_str();
  addTrafficOptions(*sweep, options.traffic);
  sweep
      ->add_option("--warmup", options.warmup,
                   "Leave calls started before this tick, and the ticks before it, out of the "
                   "counts of every run")
      ->check(CLI::Range(std::int64_t{0}, std::int64_t{1} << 62))
      ->capture_default_str();
  sweep->add_option("-j,--threads", options.threads, "Threads (default: all cores)");
  sweep->add_flag("--quiet", options.quiet, "No progress on standard error");
  sweep->add_option("--csv", options.csv, "CSV output")->capture_default_str();
  sweep->add_option("--svg", options.svg, "SVG chart output")->capture_default_str();
  sweep->add_option("--title", options.title, "Chart title")->capture_default_str();
  sweep->add_option("--traffic", options.trafficFile,
                    "Traffic pattern over the pairs from a CSV of origin,destination,load, scaled "
                    "at each point to a mean of that point's load per pair");
  sweep->add_option("--runs-csv", options.runsCsv, "CSV output with one row per run (every seed)");
  sweep->add_option("--reference", options.reference,
                    "Theory's curve beside the measured one: efp, exact or erlang (one link)");
  sweep->add_option("--records", options.recordsDir,
                    "Write each run's whole record (as run --json) to this folder");
  sweep->add_option("--svg-causes", options.causesSvg,
                    "SVG chart of blocking by cause against load, a panel per cause");
  sweep->add_option("--jobs-file", options.jobsFile,
                    "Write one 'run --json' command line per run here instead of running");
  sweep->add_option("--results-dir", options.resultsDir, "Where the command lines write results")
      ->capture_default_str();
  sweep->add_option("--program", options.program, "Program name in the command lines")
      ->capture_default_str();
}

void addCollect(CLI::App& app, CollectOptions& options) {
  CLI::App* collect =
      app.add_subcommand("collect", "Merge 'run --json' results into the CSV and chart");
  collect->add_option("files", options.files, "Result files")->required();
  collect->add_option("--csv", options.csv, "CSV output")->capture_default_str();
  collect->add_option("--svg", options.svg, "SVG chart output")->capture_default_str();
  collect->add_option("--title", options.title, "Chart title")->capture_default_str();
  collect->add_option("--runs-csv", options.runsCsv,
                      "CSV output with one row per run (every seed)");
  collect->add_option("--svg-causes", options.causesSvg,
                      "SVG chart of blocking by cause against load, a panel per cause");
  collect->add_option("--reference", options.reference,
                      "Theory's curve beside the measured one, as in sweep: efp, exact or erlang");
  collect->add_option("--topology", options.topology,
                      "With --reference: the topology file the runs were made on");
  collect->add_option("--traffic", options.trafficFile,
                      "With --reference: the traffic file the runs were made with, if any");
}

void addDraw(CLI::App& app, DrawOptions& options) {
  CLI::App* draw = app.add_subcommand("draw", "Draw a network, and where runs blocked, as SVG");
  draw->add_option("--topology", options.topology, "Topology file")->required();
  draw->add_option("--result", options.results,
                   "'run --json' records of runs on it, of one point (seeds of one sweep point), "
                   "averaged; repeat it or list several");
  draw->add_option("--color-by", options.colourBy,
                   "What colours the links: blocking (events of every cause per counted tick: "
                   "the assignment's types 0-3 and update errors' refused hops), assignment "
                   "(types 0-3 only), update-errors (type 4 only) or occupancy (mean)")
      ->capture_default_str();
  draw->add_option("--layout", options.layout,
                   "auto (coordinates when there are any, else circle), coordinates, circle "
                   "or force")
      ->capture_default_str();
  draw->add_option("--title", options.title, "Title (the topology's file name if absent)");
  draw->add_option("-o,--output", options.output, "SVG output")->required();
}

void addTheory(CLI::App& app, TheoryOptions& options) {
  CLI::App* theory = app.add_subcommand(
      "theory", "Blocking by the Erlang fixed point (and exactly) on the routes a run would use");
  theory->add_option("--topology", options.topology, "Topology file (.con)")->required();
  addNetworkOptions(*theory, options.config);
  theory->add_option("--policy", options.config.pathPolicy, "Path policy (as in run)")
      ->check(wholeNumber(1, 4, "a policy"))
      ->capture_default_str();
  theory->add_option("--interval", options.config.updateInterval, "Ticks between view refreshes")
      ->check(wholeNumber(0, 2'000'000'000, "an interval"))
      ->capture_default_str();
  theory->add_option("--load", options.load, "Offered load per ordered pair in Erlang")
      ->check(kLoad)
      ->each([&options](const std::string&) { options.loadGiven = true; });
  theory->add_option("--traffic", options.trafficFile,
                     "Load per pair from a CSV of origin,destination,load (Erlang)");
  theory->add_flag("--exact", options.exact, "Also the exact product-form blocking");
  theory->add_flag("--json", options.json, "Print the result as JSON");
  addRoutingOption(*theory, options.routing);
}

}  // namespace lab
