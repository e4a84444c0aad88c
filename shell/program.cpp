#include "shell/program.h"

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

}  // namespace

int runProgram(base::Console& console, base::FileSystem& files, const ProgramOptions& options) {
  std::optional<Process> process;
  try {
    process.emplace(console, files, options.searchLimits);
  } catch (const std::bad_alloc&) {
    const int status = endWithoutProcess(console);
    console.flush();
    return status;
  }
  process->session.setRunDriver(options.runDriver);
  int status = 0;
  try {
    startUp(*process);
    status = runMainMenu(*process);
  } catch (const base::EndOfInput&) {
    printEnd(console);
  }
  console.flush();
  return status;
}

}  // namespace shell
