// What each command reads and writes, resolved from its options before it runs: the one
// place where a command's files are compared, so that none is lost to another.
#pragma once

#include "lab/commands.h"
#include "lab/draw_command.h"
#include "lab/file_guard.h"
#include "lab/paths_command.h"
#include "lab/theory_command.h"
#include "lab/topology_command.h"

namespace lab {

FileGuard filesOf(const GenOptions& options);
FileGuard filesOf(const RunOptions& options);
FileGuard filesOf(const SweepOptions& options);
FileGuard filesOf(const CollectOptions& options);
FileGuard filesOf(const DrawOptions& options);
FileGuard filesOf(const TheoryOptions& options);
FileGuard filesOf(const ConvertOptions& options);
FileGuard filesOf(const PathsOptions& options);

}  // namespace lab
