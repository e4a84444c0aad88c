#include "shell/program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

#include "shell/menus.h"
#include "shell/process.h"

namespace shell {

namespace {

// Without its process-wide records the program cannot start: the start-up code, then the
// end that the fatal failures have.
int endWithoutProcess(base::Console& console) {
  try {
    base::ErrorReporter(console).reportError(30);
  } catch (const base::EndOfInput&) {
  }
  printEnd(console);
  return 1;
}

// Output that never arrived must not pass for a session that went well.
int finish(base::Console& console, int status) {
  console.flush();
  if (!console.writeFailed()) return status;
  // A reader that left early (where its signal is ignored) needs no telling.
  if (console.writeError() == EPIPE) return kOutputLostStatus;
  std::fprintf(stderr, "wrnsim: the output could not be written: %s\n",
               std::strerror(console.writeError()));
  return kOutputLostStatus;
}

}  // namespace

int runProgram(base::Console& console, base::FileSystem& files, const ProgramOptions& options) {
  std::optional<Process> process;
  try {
    process.emplace(console, files, options.searchLimits);
  } catch (const std::bad_alloc&) {
    return finish(console, endWithoutProcess(console));
  }
  process->session.setRunDriver(options.runDriver);
  int status = 0;
  try {
    startUp(*process);
    status = runMainMenu(*process);
  } catch (const base::EndOfInput&) {
    printEnd(console);
  }
  return finish(console, status);
}

}  // namespace shell
