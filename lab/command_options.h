// The options of the lab's commands that fill an options record: their names, defaults,
// checks and help texts, as the command line and the Python module take them.
#pragma once

#include "lab/commands.h"
#include "lab/draw_command.h"
#include "lab/theory_command.h"

namespace CLI {
class App;
}

namespace lab {

// Each adds its command to `app`, filling `options` when the command is parsed; the
// records must outlive the parse.
void addGen(CLI::App& app, GenOptions& options);
void addRun(CLI::App& app, RunOptions& options);
void addSweep(CLI::App& app, SweepOptions& options);
void addCollect(CLI::App& app, CollectOptions& options);
void addDraw(CLI::App& app, DrawOptions& options);
void addTheory(CLI::App& app, TheoryOptions& options);

}  // namespace lab
