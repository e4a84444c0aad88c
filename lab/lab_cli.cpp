#include "lab/lab_cli.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "experiment/shell_words.h"
#include "lab/command_files.h"
#include "lab/command_options.h"
#include "lab/draw_command.h"
#include "lab/paths_command.h"
#include "lab/theory_command.h"
#include "lab/topology_command.h"
#include "lab/version.h"
#include "run/policy_makers.h"

namespace lab {

namespace {

// Options that only serve another option, given without it: refused rather than ignored.
void refuseUnserved(const CLI::App& app) {
  struct Served {
    const char* command;
    const char* option;
    // Either serves it.
    const char* needs;
    const char* orNeeds;
  };
  static constexpr Served kServed[] = {
      {"sweep", "--min-seeds", "--target-ci", nullptr},
      {"sweep", "--max-seeds", "--target-ci", nullptr},
      {"sweep", "--results-dir", "--jobs-file", nullptr},
      {"sweep", "--program", "--jobs-file", nullptr},
      {"draw", "--color-by", "--result", nullptr},
      {"run", "--seed", "--all-pairs", "--traffic"},
      {"run", "--holding", "--all-pairs", "--traffic"},
      {"run", "--mean-holding", "--all-pairs", "--traffic"},
      {"run", "--calls", "--all-pairs", "--traffic"},
  };
  for (const Served& served : kServed) {
    const CLI::App* command = app.get_subcommand(served.command);
    if (!command->parsed() || command->count(served.option) == 0 ||
        command->count(served.needs) > 0 ||
        (served.orNeeds != nullptr && command->count(served.orNeeds) > 0)) {
      continue;
    }
    const std::string needs =
        served.orNeeds == nullptr
            ? std::string(served.needs) + ", which is"
            : std::string(served.needs) + " or " + served.orNeeds + ", neither of which is";
    throw UsageError(std::string(served.option) + " serves " + needs +
                     " given: it would be ignored");
  }
}

// Every command's options, and the parser that fills them as the command line says.
struct LabCommands {
  // `program` (argv[0], when there is one) is what sweep's jobs lines call.
  explicit LabCommands(const char* program)
      : app("wrnsim-lab: traffic generation, batch runs and blocking curves for wrnsim",
            "wrnsim-lab") {
    app.require_subcommand(1);
    app.set_version_flag("--version", "wrnsim-lab " + versionText());
    if (program != nullptr) sweep.program = program;
    addGen(app, gen);
    addRun(app, run);
    addSweep(app, sweep);
    addCollect(app, collect);
    addDraw(app, draw);
    addTheory(app, theory);
    addTopologyCommand(app, convert, converting);
    addPathsCommand(app, paths, writingPaths);
  }
  LabCommands(const LabCommands&) = delete;
  LabCommands& operator=(const LabCommands&) = delete;

  CLI::App app;
  GenOptions gen;
  RunOptions run;
  SweepOptions sweep;
  CollectOptions collect;
  DrawOptions draw;
  TheoryOptions theory;
  ConvertOptions convert;
  bool converting = false;
  PathsOptions paths;
  bool writingPaths = false;
};

// The options of one command given its words, as the command line would take them.
template <typename Options>
Options optionsOf(const std::string& command, const std::vector<std::string>& words,
                  Options LabCommands::*options) {
  LabCommands commands("wrnsim-lab");
  std::vector<std::string> line{"wrnsim-lab", command};
  line.insert(line.end(), words.begin(), words.end());
  std::vector<const char*> argv;
  for (const std::string& word : line) argv.push_back(word.c_str());
  try {
    commands.app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    throw UsageError(error.what());
  }
  refuseUnserved(commands.app);
  return commands.*options;
}

}  // namespace

RunOptions runOptionsOf(const std::vector<std::string>& words) {
  return optionsOf("run", words, &LabCommands::run);
}

SweepOptions sweepOptionsOf(const std::vector<std::string>& words) {
  return optionsOf("sweep", words, &LabCommands::sweep);
}

int runLab(int argc, const char* const* argv, LabIo& io) {
  // Quoted, so that the line recorded with a result can be pasted back into a shell.
  io.commandLine = experiment::shellCommand({argv, argv + argc});
  LabCommands commands(argc > 0 ? argv[0] : nullptr);
  CLI::App& app = commands.app;
  GenOptions& gen = commands.gen;
  RunOptions& run = commands.run;
  SweepOptions& sweep = commands.sweep;
  CollectOptions& collect = commands.collect;
  DrawOptions& draw = commands.draw;
  TheoryOptions& theory = commands.theory;
  ConvertOptions& convert = commands.convert;
  const bool& converting = commands.converting;
  PathsOptions& paths = commands.paths;
  const bool& writingPaths = commands.writingPaths;
  const std::string first = argc > 1 ? argv[1] : "";
  if (!first.empty() && first[0] != '-' && first != "gen" && first != "run" && first != "sweep" &&
      first != "collect" && first != "draw" && first != "theory" && first != "topology" &&
      first != "paths") {
    io.err << "wrnsim-lab: unknown command '" << argv[1]
           << "': the commands are gen, run, sweep, collect, draw, theory, topology and paths "
              "(--help for more)\n";
    return kUsageStatus;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help, io.out, io.err);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version, io.out, io.err);
  } catch (const CLI::ParseError& error) {
    app.exit(error, io.out, io.err);
    return kUsageStatus;
  }
  int status = 0;
  try {
    refuseUnserved(app);
    // Each command's files are compared before it reads or writes any of them.
    auto guarded = [](const auto& options, auto command, LabIo& labIo) {
      filesOf(options).check();
      return command(options, labIo);
    };
    if (app.got_subcommand("gen")) {
      status = guarded(gen, genCommand, io);
    } else if (app.got_subcommand("run")) {
      status = guarded(run, runCommand, io);
    } else if (app.got_subcommand("sweep")) {
      status = guarded(sweep, sweepCommand, io);
    } else if (app.got_subcommand("draw")) {
      status = guarded(draw, drawCommand, io);
    } else if (app.got_subcommand("theory")) {
      status = guarded(theory, theoryCommand, io);
    } else if (converting) {
      status = guarded(convert, convertCommand, io);
    } else if (writingPaths) {
      status = guarded(paths, pathsCommand, io);
    } else {
      status = guarded(collect, collectCommand, io);
    }
  } catch (const UsageError& error) {
    io.err << "wrnsim-lab: " << error.what() << '\n';
    return kUsageStatus;
  } catch (const nlohmann::json::type_error& error) {
    // A record edited by hand may hold a field of another type than the lab writes.
    io.err << "wrnsim-lab: a record holds a value of the wrong type: " << error.what() << '\n';
    return kUsageStatus;
  } catch (const run::PolicyFailure& failure) {
    // A policy that threw ends its command before the outputs are written.
    io.err << "wrnsim-lab: " << failure.what() << '\n';
    return 1;
  }
  // What went to standard output must have arrived, or the run did not succeed.
  errno = 0;
  io.out.flush();
  if (!io.out) {
    io.err << "wrnsim-lab: cannot write standard output: "
           << std::strerror(errno != 0 ? errno : EIO) << '\n';
    return kUsageStatus;
  }
  return status;
}

}  // namespace lab
