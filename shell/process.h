// Everything that lives for the whole process: console, files, configuration, buffers and
// the simulation session.
#pragma once

#include <cstdint>
#include <string>

#include "base/config.h"
#include "base/console.h"
#include "base/error_reporter.h"
#include "base/input_file.h"
#include "routing/candidate_search.h"
#include "session/session.h"

namespace shell {

struct Process {
  Process(base::Console& console, base::FileSystem& files,
          const routing::SearchLimits& searchLimits = {})
      : console(console),
        reporter(console),
        files(files),
        session({console, &console, reporter, files}, searchLimits) {}

  base::Console& console;
  base::ErrorReporter reporter;
  base::FileSystem& files;
  base::Config config;
  std::string topologyName;
  std::string callFileName;
  // Reserved at start-up, so that a process short of memory says so (code 60) before any
  // menu rather than in the middle of a load.
  std::string recordBuffer;
  // Its view numbering, route ids and random generator carry on across EJECUTAR visits.
  session::Session session;
};

// Sets the defaults and makes the buffers, reporting code 30, 60 or 175 when one cannot be
// made.
void startUp(Process& process);

}  // namespace shell
